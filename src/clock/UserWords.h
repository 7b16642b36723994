// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmScheduler.h"
#include "AlarmSlot.h"
#include "OutputVolume.h"
#include "Result.h"
#include "SettingsFile.h"
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

// A start that gives way to a copy it cannot reach: its process, and its
// machine when it is another.
QString AlreadyRuns(qint64 pid, const QString& host);
// The settings beside the program were passed over, and why.
QString NotBesideTheProgram(const QString& why, const QString& used);

// What loading the settings file `path` found wrong; empty when nothing.
QString LoadTrouble(const SettingsFile::Loaded& found, const QString& path);
// An edit of `path` that could not be taken in, kept as `keptAs` (empty: not copied).
QString KeptAside(const QString& path, const QString& keptAs);
// An edit that reached the file while Vendrix saved it, kept as `keptAs`.
QString EditKeptBeside(const QString& keptAs);
// A save of `path` failed.
QString SaveFailed(const QString& path, const Failure& why);
// At the end of the run the settings of `path` went beside it, as `beside`.
QString SavedBeside(const QString& path, const QString& beside);

QString MissedSummary();
// Rings a jump of the clock stepped over: each by the time it was due (with
// its date when that was not today), the first ones only when there are many.
QString Missed(const MissedRings& missed);

// What a ring of the standard alarm is called.
QString StandardAlarm();
// Why a slot's own action could not be done, from the few words an action
// gives (which go to standard error as they are), as the user understands it.
QString WhyNot(const QString& reason);
// The ring's notification when the slot's own action failed.
QString FellBack(const AlarmSlot& slot, const QString& reason);
// The computer cannot be woken for alarms (why, as the wake says).
QString CannotWake(const QString& why);
// Alarms set while the switch is at OFF.
QString SwitchIsOff();
// Closed with an alarm armed: the summary, and what it means.
QString ClosedSummary();
QString ClosedWithAlarms();
// An alarm due at `at` (HH:mm) on an output as `level` shows it: too quiet,
// or missing.
QString QuietSummary();
QString QuietAhead(const OutputVolume::Level& level, const QString& at, int raisedTo);

} // namespace Words
