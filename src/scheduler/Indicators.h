// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The parts of the clock strip the scheduler keeps up to date.
class Indicators {
public:
    virtual ~Indicators() = default;
    virtual void SetAlarmText(const QString& text) = 0; // lblAlerm
    virtual void SetSnoozeShown(bool shown) = 0;        // lblSnz
    virtual void SetStopShown(bool shown) = 0;          // cmdStop
    virtual void ShowSwitch(int position) = 0;          // lblSw highlight
    // Slot n rings: it started a sound, or its launch failed and the
    // standard alarm sounded instead.
    virtual void AlarmRinging(int n) = 0;
};
