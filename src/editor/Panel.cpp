// SPDX-License-Identifier: GPL-3.0-or-later
#include "Panel.h"

#include "Twips.h"

#include <QPainter>

void Panel::AddLine(int x1, int y1, int x2, int y2) {
    lines_.emplace_back(Px(x1), Px(y1), Px(x2), Px(y2));
}

void Panel::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    for (const QLine& line : lines_)
        painter.drawLine(line);
}
