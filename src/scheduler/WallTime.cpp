// SPDX-License-Identifier: GPL-3.0-or-later
#include "WallTime.h"

#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

constexpr qint64 Day = 86400;
const QDate Epoch(1970, 1, 1);

// Farther than any zone is from UTC, on either side: the offsets there are
// the zone's before and after whatever change lies near a wall time.
constexpr qint64 Beyond = 36 * 3600;

} // namespace

ZoneRule WallTime::ZoneOf(const QDateTime& time) {
    switch (time.timeSpec()) {
    case Qt::TimeZone:
        return [zone = time.timeZone()](qint64 instant) {
            return zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(instant, Qt::UTC));
        };
    case Qt::LocalTime:
        // The system's zone read once, here; its rule then reads no file (a
        // scan asks it dozens of times, each a look at /etc/localtime).
        ::tzset();
        return [](qint64 instant) {
            const auto at = time_t(instant);
            tm local{};
            return ::localtime_r(&at, &local) ? int(local.tm_gmtoff) : 0;
        };
    default:
        return [offset = time.offsetFromUtc()](qint64) { return offset; };
    }
}

qint64 WallTime::Of(QDate date, qint64 secondsOfDay) {
    return Epoch.daysTo(date) * Day + secondsOfDay;
}

QDate WallTime::DateOf(qint64 wall) {
    return Epoch.addDays(qint64(std::floor(double(wall) / double(Day))));
}

qint64 WallTime::SecondsOfDay(qint64 wall) {
    return wall - Epoch.daysTo(DateOf(wall)) * Day;
}

qint64 WallTime::AtMs(qint64 epochMs, const ZoneRule& zone) {
    return epochMs + qint64(zone(qint64(std::floor(double(epochMs) / 1000.0)))) * 1000;
}

qint64 WallTime::FirstInstant(qint64 wall, const ZoneRule& zone) {
    const int before = zone(wall - Beyond);
    const int after = zone(wall + Beyond);
    const qint64 early = wall - before; // if the clocks still keep the offset from before
    const qint64 late = wall - after;   // if they keep the one from after
    const bool earlyHolds = zone(early) == before;
    const bool lateHolds = zone(late) == after;
    if (earlyHolds && lateHolds)
        return std::min(early, late); // shown twice: the first
    if (earlyHolds || lateHolds)
        return earlyHolds ? early : late;
    // Skipped: the change lies between the two, found to the second.
    qint64 lo = std::min(early, late);
    qint64 hi = std::max(early, late);
    const int from = zone(lo);
    while (hi - lo > 1) {
        const qint64 mid = lo + (hi - lo) / 2;
        (zone(mid) == from ? lo : hi) = mid;
    }
    return hi;
}
