// SPDX-License-Identifier: GPL-3.0-or-later
#include "Settings.h"

#include <algorithm>

void Settings::SetDefaults() {
    Switch = SwitchOff;
    SnoozeInt = 5;
    PresetHour.fill(0);
    PresetMinute.fill(0);
    CurrentID = 1;
    for (int n = 1; n <= SlotCount; ++n)
        ResetSlot(n);
}

bool Settings::AnyOn() const {
    return std::any_of(AlarmTable.begin() + 1, AlarmTable.end(),
                       [](const AlarmSlot& slot) { return slot.State != StateOff; });
}

// Only values that would break an index or a control are corrected, each to
// the value the scheduler already treats it as, so a slot that could not ring
// never starts ringing because of a correction. Times and dates stay as read:
// a slot at 25:00 or on 0/0 simply never matches.
void Settings::Correct() {
    Switch = std::clamp<qint16>(Switch, SwitchSnooze, SwitchOff);
    SnoozeInt = SnoozeInt == 0 ? 5 : std::clamp<qint16>(SnoozeInt, 2, 10);
    CurrentID = std::clamp<qint16>(CurrentID, 1, SlotCount);
    for (int n = 1; n <= SlotCount; ++n) {
        AlarmSlot& slot = AlarmTable[n];
        if (slot.State < StateOff || slot.State > StateWeekdays)
            slot.State = StateOff; // any other type is never armed
        if (slot.Command != CommandStandard && slot.Command != CommandWav)
            slot.Command = CommandLaunch; // any other action launches
        slot.Repeat = slot.Repeat != 0 ? 1 : 0;
        for (qint16& day : slot.WeekSwitch)
            day = day != 0 ? 1 : 0;
    }
}
