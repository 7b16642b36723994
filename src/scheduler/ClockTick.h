// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>

// What one 500 ms tick shows on the clock strip.
struct ClockFace {
    QString Week;      // "01/07 MON"
    QString Hour;      // "07"
    QString Minute;    // "05"
    QString Separator; // ":" or " "
    bool Scan = false; // the ":" tick runs the alarm scan
};

// The blinking clock: alternates the separator and asks for an alarm scan on
// every other tick, so alarms are examined once a second.
class ClockTick {
public:
    ClockFace Tick(QDate date, int hour, int minute);

private:
    qint16 Blink = 0;
};
