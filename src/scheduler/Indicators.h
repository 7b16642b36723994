// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmSlot.h"

#include <QList>
#include <QString>
#include <optional>

// What the scheduler shows about the alarms; the window words it. What
// happens (a ring, a fallback, missed rings) it tells by its signals.
class Indicators {
public:
    virtual ~Indicators() = default;
    // The next alarm due, as its slot's own time, or none armed (lblAlerm).
    virtual void ShowNextAlarm(std::optional<AlarmTime> next) = 0;
    virtual void SetSnoozeShown(bool shown) = 0; // lblSnz
    // A ring lasts or a sound plays: it can be stopped (cmdStop).
    virtual void SetStopShown(bool shown) = 0;
    virtual void ShowSwitch(int position) = 0; // lblSw highlight
};
