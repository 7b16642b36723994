// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowIcon.h"

#include <QPainter>
#include <QPixmap>

QImage WindowIcon::Draw(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    const QColor ink(0x30, 0x30, 0x40);
    // Bells and feet.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE0, 0x60, 0x20));
    p.drawPie(QRectF(2, 2, 12, 12), 45 * 16, 180 * 16);
    p.drawPie(QRectF(18, 2, 12, 12), -45 * 16, 180 * 16);
    p.setPen(QPen(ink, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9, 27), QPointF(6, 30));
    p.drawLine(QPointF(23, 27), QPointF(26, 30));
    // Face.
    p.setPen(QPen(ink, 2.5));
    p.setBrush(QColor(0xFF, 0xFF, 0xF0));
    p.drawEllipse(QRectF(5, 6, 22, 22));
    // Hands at ten past seven... an early alarm.
    p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 17), QPointF(12.5, 21.5));
    p.drawLine(QPointF(16, 17), QPointF(21, 13.5));
    return image;
}

QIcon WindowIcon::Make() {
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(QPixmap::fromImage(Draw(size)));
    return icon;
}
