// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmSlot.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// Rings that a jump of the clock stepped over and that did not ring, and
// what moved the clock: a sleep, the clock set forward, or the time zone.
struct MissedRings {
    enum Cause { Slept, ClockSet, ZoneChanged };
    QList<QDateTime> At; // the local times they were due, in order
    QDate Today;
    Cause Why = Slept;
};

// What the scheduler tells about the alarms; the window words and shows it.
class Indicators {
public:
    virtual ~Indicators() = default;
    // The next alarm due, as its slot's own time, or none armed (lblAlerm).
    virtual void ShowNextAlarm(std::optional<AlarmTime> next) = 0;
    virtual void SetSnoozeShown(bool shown) = 0; // lblSnz
    // A ring lasts or a sound plays: it can be stopped (cmdStop).
    virtual void SetStopShown(bool shown) = 0;
    virtual void ShowSwitch(int position) = 0; // lblSw highlight
    // Slot n fired with a sound.
    virtual void AlarmRinging(int n) = 0;
    // Slot n's own action failed (why, in a few words): it rings as the standard alarm.
    virtual void AlarmFellBack(int n, const QString& why) = 0;
    virtual void AlarmsMissed(const MissedRings& missed) = 0;
};
