// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>

// Alarm types: the index of the option button that selects them.
enum AlarmType : qint16 { StateOff = 0, StateDaily = 1, StateDate = 2, StateWeekdays = 3 };
// Actions: the index of the option button that selects them.
enum AlarmCommand : qint16 { CommandStandard = 0, CommandWav = 1, CommandLaunch = 2 };

// An hour and minute as a slot holds them (a hand-edited file may hold 25:00).
struct AlarmTime {
    qint16 Hour = 0;
    qint16 Minute = 0;
    bool operator==(const AlarmTime&) const = default;
};

// One of the twenty alarm slots, as stored in alerm.ini.
struct AlarmSlot {
    qint16 Hour = 0;
    qint16 Minute = 0;
    qint16 State = StateOff;
    qint16 Command = CommandStandard;
    qint16 Month = 1;
    qint16 Day = 1;
    std::array<qint16, 7> WeekSwitch{}; // 0 = Sunday .. 6 = Saturday
    QString WAV;
    qint16 Repeat = 0;
    QString Exec;

    bool operator==(const AlarmSlot&) const = default;
};
