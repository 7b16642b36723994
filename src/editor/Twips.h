// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QWidget>

// Positions are designed in twips; 15 twips make one logical pixel (Qt scales
// logical pixels for high-DPI screens).
constexpr int Px(int twips) {
    return (twips + 7) / 15;
}

inline QRect TwipRect(int left, int top, int width, int height) {
    return {Px(left), Px(top), Px(width), Px(height)};
}

inline void Place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(TwipRect(left, top, width, height));
}

// Every background the program sets is light: the text on it, and on the
// controls it holds, is black whatever the desktop theme.
inline void SetBackground(QWidget* widget, const QColor& colour) {
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::WindowText, Qt::black);
    widget->setPalette(palette);
}

// A control with its design name.
template <typename W, typename... Args>
W* Make(QWidget* parent, const QString& name, Args&&... args) {
    auto* widget = new W(std::forward<Args>(args)..., parent);
    widget->setObjectName(name);
    return widget;
}

// The object name of member `index` of a control array: "lblIndex(7)".
inline QString Member(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}
