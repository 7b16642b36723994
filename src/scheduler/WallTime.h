// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDateTime>
#include <QtGlobal>
#include <functional>

// The rules of a time zone: how far its clocks are ahead of UTC, in
// seconds, at an instant (seconds since the epoch).
using ZoneRule = std::function<int(qint64 epochSeconds)>;

// A time on the wall: a date and a time of day as the clocks show them, in
// no zone, counted in seconds as if the clocks never changed (the date's
// day since 1970-01-01 times 86400, plus the seconds of the day).
namespace WallTime {

// The rules of the zone a date-time is in: the system's local time (as the
// system has it now: a zone changed under the program is followed), or the
// zone, or offset, it names.
ZoneRule ZoneOf(const QDateTime& time);

qint64 Of(QDate date, qint64 secondsOfDay);
QDate DateOf(qint64 wall);
qint64 SecondsOfDay(qint64 wall);
// What the wall shows at an instant, in milliseconds.
qint64 AtMs(qint64 epochMs, const ZoneRule& zone);

// The instant at which the clocks of `zone` show the wall time `wall`: the
// first time, when they show it twice (clocks going back); the moment of the
// change, when they skip it (clocks going forward).
qint64 FirstInstant(qint64 wall, const ZoneRule& zone);

} // namespace WallTime
