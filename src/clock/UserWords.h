// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmSlot.h"
#include "SoundStatus.h"

#include <QString>
#include <optional>

// Everything Vendrix says to the user in words, in one place: a translation
// has one place to go. What goes to standard error stays in English where
// it is logged.
namespace Words {

// "アラーム 07:15", or "アラーム 未設定" when none is armed.
QString Alarm(std::optional<AlarmTime> time);
// The name a slot's file or program goes by.
QString NameOf(const QString& path);
// Why no sound can be made, as the user understands it.
QString Why(Silence why);
// The ring's notification while no sound can be made.
QString CannotSound(Silence why);

} // namespace Words
