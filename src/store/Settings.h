// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmSlot.h"

#include <array>
#include <optional>

inline constexpr int SlotCount = 20;
inline constexpr qint32 SecondsPerDay = 86400;
inline constexpr int PresetCount = 8;

enum SwitchPosition : qint16 { SwitchSnooze = 0, SwitchOn = 1, SwitchOff = 2 };

// Everything kept from one run to the next. Slots are numbered 1..20; index 0
// holds no slot and is never written.
struct Settings {
    std::array<AlarmSlot, SlotCount + 1> AlarmTable{};
    qint16 Switch = 0;
    qint16 SnoozeInt = 0;
    qint16 CurrentID = 0;
    std::array<qint16, PresetCount> PresetHour{};
    std::array<qint16, PresetCount> PresetMinute{};
    // Why the computer cannot be woken for alarms, as the user was last told:
    // the same reason is not told again at every start.
    QString WakeNoticeTold;

    // The defaults of a first start.
    void SetDefaults();
    // Puts slot n back to a blank alarm (00:00, off, 1/1, standard sound).
    void ResetSlot(int n) { AlarmTable[n] = AlarmSlot{}; }
    // Brings values a hand-edited file may hold outside their domains to the
    // value that keeps the program's behaviour (see Settings.cpp).
    void Correct();
    // Some slot is on; and with the switch not at OFF, some alarm will ring.
    bool AnyOn() const;
    bool Armed() const { return Switch != SwitchOff && AnyOn(); }
    // These settings with what `theirs` (an edit of the file) changed since
    // `base` (the file as last read or written) taken in; none when both
    // changed the same thing differently, or `theirs` changed slot `editing`
    // (one with changes in the editor that are not registered; 0: none).
    std::optional<Settings> Merged(const Settings& base, const Settings& theirs, int editing) const;

    bool operator==(const Settings&) const = default;
};
