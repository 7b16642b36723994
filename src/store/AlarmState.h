// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Settings.h"

#include <array>

// The scheduler's run-time state beside the table. Never stored.
struct AlarmState {
    // Firings in the slot's current snooze series; shifts its effective time.
    std::array<qint32, SlotCount + 1> SnoozeCount{};
    // 0: not ringing; otherwise scans since the slot fired, plus one.
    std::array<qint16, SlotCount + 1> RingCount{};
    // The action a ring started with, which it goes on with to its end.
    std::array<qint16, SlotCount + 1> RingCommand{};
    // The alarm announced in the next-alarm label; -1: none recorded.
    qint16 NextAlarmHour = -1;
    qint16 NextAlarmMinute = 0;

    int TotalSnoozeCount() const {
        int total = 0;
        for (int n = 1; n <= SlotCount; ++n)
            total += SnoozeCount[n];
        return total;
    }
};
