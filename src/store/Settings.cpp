// SPDX-License-Identifier: GPL-3.0-or-later
#include "Settings.h"

#include <algorithm>

namespace {

// Ours takes theirs where only theirs changed; false where both did.
template <typename T> bool Take(T& ours, const T& base, const T& theirs) {
    if (theirs == base || theirs == ours)
        return true;
    if (ours != base)
        return false;
    ours = theirs;
    return true;
}

} // namespace

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

std::optional<Settings> Settings::Merged(const Settings& base, const Settings& theirs,
                                         int editing) const {
    Settings merged = *this;
    bool apart = Take(merged.Switch, base.Switch, theirs.Switch) &&
                 Take(merged.SnoozeInt, base.SnoozeInt, theirs.SnoozeInt) &&
                 Take(merged.CurrentID, base.CurrentID, theirs.CurrentID) &&
                 Take(merged.PresetHour, base.PresetHour, theirs.PresetHour) &&
                 Take(merged.PresetMinute, base.PresetMinute, theirs.PresetMinute) &&
                 Take(merged.WakeNoticeTold, base.WakeNoticeTold, theirs.WakeNoticeTold);
    for (int n = 1; n <= SlotCount && apart; ++n) {
        const bool edited = n == editing && theirs.AlarmTable[n] != base.AlarmTable[n];
        apart = !edited && Take(merged.AlarmTable[n], base.AlarmTable[n], theirs.AlarmTable[n]);
    }
    return apart ? std::optional(merged) : std::nullopt;
}
