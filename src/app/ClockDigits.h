// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// The box that holds the clock's digits and separator: a screen reader reads
// it as one label named by the time, and none of the digits on their own.
class ClockDigits : public QWidget {
    Q_OBJECT
public:
    explicit ClockDigits(QWidget* parent);
};
