// SPDX-License-Identifier: GPL-3.0-or-later
#include "AlarmScheduler.h"

#include "SchedulerLogging.h"
#include "TextRules.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr qint16 StandardRingScans = AlarmScheduler::StandardRingSeconds - 1;
constexpr qint16 WavRingScans = 9;
constexpr qint64 LaunchAnswersWithinMs = 60'000; // the opener is given 30 s
constexpr qint64 ClockChangeMs = 60'000;         // one clock ahead of another by this: not jitter
// The wall goes back at most this far when the zone changes (Kiritimati to
// Pago Pago); a clock set back farther starts afresh.
constexpr qint64 LongestZoneStep = 26 * 3600;
// Missed rings are looked for this far back, at most.
constexpr qint64 MissedWithin = 8 * 86400;

qint64 Seconds(qint64 ms) {
    return qint64(std::floor(double(ms) / 1000.0));
}

// As the wall shows it, for the user: in no zone, so nothing moves it.
QDateTime Shown(qint64 wall) {
    return QDateTime(WallTime::DateOf(wall),
                     QTime::fromMSecsSinceStartOfDay(int(WallTime::SecondsOfDay(wall)) * 1000),
                     Qt::UTC);
}

} // namespace

AlarmScheduler::AlarmScheduler(Settings& settings, AlarmState& state, AlarmActions& actions,
                               Indicators& indicators)
    : settings_(settings), state_(state), actions_(actions), indicators_(indicators) {
    connect(&actions_, &AlarmActions::soundingChanged, this, &AlarmScheduler::ShowStop);
    connect(&actions_, &AlarmActions::wavFailed, this, [this](const QString&, const QString& why) {
        if (wavSlot_ > 0)
            RingAsStandard(wavSlot_, why);
        else
            actions_.PlayStandardAlarm(); // a test: the sound once
    });
    connect(&actions_, &AlarmActions::launchFailed, this, &AlarmScheduler::OnLaunchFailed);
}

void AlarmScheduler::StartedAt(qint64 realMs) {
    startedMs_ = realMs;
}

// What this scan covers, and what moved the clock when it covers much. The
// first covers from the program's start, up to the late limit.
AlarmScheduler::Span AlarmScheduler::NextSpan(const ScanTime& now) {
    const qint64 wallNow = Seconds(WallTime::AtMs(now.RealMs, now.Zone));
    Span span{previousMs_, now.RealMs, passedWall_, wallNow, MissedRings::Slept};
    if (!scanned_) {
        span.FromMs = std::max(startedMs_.value_or(now.RealMs), now.RealMs - LateLimit * 1000) - 1;
        span.WallFrom = Seconds(WallTime::AtMs(span.FromMs, now.Zone));
    } else {
        const qint64 bootAdvance = now.BootMs - previousBootMs_;
        span.Why = now.Zone(Seconds(previousMs_)) != previousOffset_ ? MissedRings::ZoneChanged
                   : now.RealMs - previousMs_ - bootAdvance > ClockChangeMs ? MissedRings::ClockSet
                                                                            : MissedRings::Slept;
        if (passedWall_ - wallNow > LongestZoneStep) // set back far: what came before is history
            span.WallFrom = passedWall_ = wallNow;
        span.WallFrom = std::max(span.WallFrom, wallNow - MissedWithin);
    }
    if (scanned_ && span.Why == MissedRings::ZoneChanged)
        EndSeries();
    scanned_ = true;
    previousMs_ = now.RealMs;
    previousBootMs_ = now.BootMs;
    previousOffset_ = now.Zone(Seconds(now.RealMs));
    passedWall_ = std::max(passedWall_, wallNow);
    zone_ = now.Zone;
    return span;
}

void AlarmScheduler::Scan(const ScanTime& now) {
    const Span span = NextSpan(now);
    const QDate today = WallTime::DateOf(span.WallTo);
    // The label's seconds since midnight are single precision, as the clock's.
    const float seconds = float(
        double(WallTime::AtMs(now.RealMs, now.Zone) - WallTime::Of(today, 0) * 1000) / 1000.0);
    QList<QDateTime> missed;
    bool anyArmed = false;
    for (int n = 1; n <= SlotCount; ++n) {
        if (state_.RingCount[n] > 0)
            AdvanceRing(n);
        Follow(n, span, missed);
        qint32 secondsToGo = RoundHalfEven32(double(AlarmSecond(n)) - seconds);
        QDate ringDate = today;
        if (secondsToGo < 0) {
            secondsToGo += SecondsPerDay;
            ringDate = ringDate.addDays(1);
        }
        if (Armed(settings_.AlarmTable[n], ringDate)) {
            anyArmed = true;
            UpdateNextAlarm(n, secondsToGo, seconds);
        }
    }
    if (!missed.isEmpty()) {
        std::sort(missed.begin(), missed.end());
        if (state_.TotalSnoozeCount() == 0)
            indicators_.SetSnoozeShown(false);
        emit this->missed({missed, today, span.Why});
    }
    if (!anyArmed)
        ShowNext(span.WallTo);
}

// With nothing armed today or tomorrow, the label names the next yearly
// date to come: one that is armed shows; otherwise none is set.
void AlarmScheduler::ShowNext(qint64 wallNow) {
    state_.NextAlarmHour = -1;
    state_.NextAlarmMinute = 0;
    std::optional<qint64> soonest;
    std::optional<AlarmTime> shown;
    for (int n = 1; n <= SlotCount; ++n) {
        if (settings_.AlarmTable[n].State != StateDate)
            continue;
        const std::optional<qint64> wall = NextOwnWall(n, wallNow);
        if (wall && (!soonest || *wall < *soonest)) {
            soonest = wall;
            shown = AlarmTime{settings_.AlarmTable[n].Hour, settings_.AlarmTable[n].Minute};
        }
    }
    indicators_.ShowNextAlarm(shown);
}

// What of slot n has come in this scan rings, unless the switch is at OFF;
// what came too long ago is told instead. Its own moment outranks a snooze.
void AlarmScheduler::Follow(int n, const Span& span, QList<QDateTime>& missed) {
    if (settings_.Switch == SwitchOff)
        return;
    std::optional<Due> due = Own(n, span, missed);
    if (!due)
        due = Snoozed(n, span, missed);
    if (due)
        Fire(n, *due);
}

// The series' next moment, on the real clock, if it came in this scan; one
// stepped over by more than the late limit ends the series: nobody was
// there to be snoozed.
std::optional<AlarmScheduler::Due> AlarmScheduler::Snoozed(int n, const Span& span,
                                                           QList<QDateTime>& missed) {
    if (state_.SnoozeCount[n] <= 0)
        return std::nullopt;
    const qint64 at =
        seriesFrom_[n] + qint64(state_.SnoozeCount[n]) * qint64(settings_.SnoozeInt) * 60;
    if (at * 1000 <= span.FromMs || at * 1000 > span.ToMs)
        return std::nullopt;
    if (span.ToMs - at * 1000 <= LateLimit * 1000)
        return Due{at, std::nullopt};
    missed << Shown(Seconds(WallTime::AtMs(at * 1000, zone_)));
    if (state_.RingCount[n] == 0)
        state_.SnoozeCount[n] = 0;
    return std::nullopt;
}

// The alarm's own moments that came on the wall in this scan, each at its
// instant: the latest within the late limit rings, older ones are told.
std::optional<AlarmScheduler::Due> AlarmScheduler::Own(int n, const Span& span,
                                                       QList<QDateTime>& missed) {
    std::optional<Due> due;
    for (std::optional<qint64> wall = NextOwnWall(n, span.WallFrom); wall && *wall <= span.WallTo;
         wall = NextOwnWall(n, *wall)) {
        const qint64 at = WallTime::FirstInstant(*wall, zone_);
        if (at * 1000 > span.ToMs)
            break; // not come yet, however the wall reads
        if (span.ToMs - at * 1000 <= LateLimit * 1000) {
            due = Due{at, wall};
            continue;
        }
        missed << Shown(*wall);
        if (state_.RingCount[n] == 0)
            state_.SnoozeCount[n] = 0;
    }
    return due;
}

qint32 AlarmScheduler::AlarmSecond(int n) const {
    const AlarmSlot& slot = settings_.AlarmTable[n];
    const qint64 minutes =
        qint64(slot.Minute) + qint64(state_.SnoozeCount[n]) * settings_.SnoozeInt;
    return qint32(std::clamp<qint64>(slot.Hour * 3600LL + minutes * 60, INT32_MIN, INT32_MAX));
}

// A slot whose time cannot be on a clock (a hand-edited 25:00 or 23:-5) is
// never armed.
bool AlarmScheduler::Armed(const AlarmSlot& slot, QDate date) const {
    if (slot.Hour < 0 || slot.Hour > 23 || slot.Minute < 0 || slot.Minute > 59)
        return false;
    switch (slot.State) {
    case StateDaily:
        return true;
    case StateDate:
        return date.month() == slot.Month && date.day() == slot.Day;
    case StateWeekdays:
        return slot.WeekSwitch[date.dayOfWeek() % 7] != 0;
    default:
        return false;
    }
}

// The wall time of slot n's first own moment after `after`; a date comes
// once a year at most (29 February within eight years), so it is looked up
// year by year.
std::optional<qint64> AlarmScheduler::NextOwnWall(int n, qint64 after) const {
    const AlarmSlot& slot = settings_.AlarmTable[n];
    const qint64 second = slot.Hour * 3600LL + slot.Minute * 60LL;
    QDate day = WallTime::DateOf(after);
    if (WallTime::Of(day, second) <= after)
        day = day.addDays(1);
    if (slot.State == StateDate) {
        for (int year = day.year(); year <= day.year() + 8; ++year) {
            const QDate date(year, slot.Month, slot.Day);
            if (date.isValid() && date >= day && Armed(slot, date))
                return WallTime::Of(date, second);
        }
        return std::nullopt;
    }
    for (const QDate last = day.addDays(6); day <= last; day = day.addDays(1)) {
        if (Armed(slot, day))
            return WallTime::Of(day, second);
    }
    return std::nullopt;
}

// Slot n's next ring after the last scan: the series' next snooze, or its
// own next moment on the wall, as an instant.
std::optional<qint64> AlarmScheduler::NextInstant(int n) const {
    if (state_.SnoozeCount[n] > 0)
        return seriesFrom_[n] + qint64(state_.SnoozeCount[n]) * qint64(settings_.SnoozeInt) * 60;
    const std::optional<qint64> wall = NextOwnWall(n, passedWall_);
    if (!wall)
        return std::nullopt;
    return WallTime::FirstInstant(*wall, zone_);
}

std::optional<NextRingTime> AlarmScheduler::NextRing() const {
    if (!scanned_ || settings_.Switch == SwitchOff)
        return std::nullopt;
    std::optional<NextRingTime> first;
    for (int n = 1; n <= SlotCount; ++n) {
        const std::optional<qint64> at = NextInstant(n);
        if (at && (!first || *at < first->At))
            first = NextRingTime{*at, n};
    }
    return first;
}

// A ring goes on with the action it started, whatever its slot holds by now,
// so that what ends it also ends its sound.
void AlarmScheduler::AdvanceRing(int n) {
    state_.RingCount[n] = qint16(std::min<int>(state_.RingCount[n] + 1, INT16_MAX));
    if (state_.RingCommand[n] == CommandStandard) {
        actions_.PlayStandardAlarm();
        if (state_.RingCount[n] > StandardRingScans)
            EndRing(n);
    } else if (state_.RingCount[n] > WavRingScans) {
        actions_.StopWav();
        EndRing(n);
    }
}

// The standard sound ends with the last standard ring: a long alerm.wav does
// not play on after its minute.
void AlarmScheduler::EndRing(int n) {
    qCDebug(lcScheduler) << "the ring of slot" << n << "ends";
    state_.RingCount[n] = 0;
    if (!EndSnoozeIfOn(n) && state_.SnoozeCount[n] > 0)
        indicators_.SetSnoozeShown(true);
    if (state_.RingCommand[n] == CommandStandard && !Ringing(CommandStandard))
        actions_.StopStandardAlarm();
    ShowStop();
}

// With the switch on there is no snooze: the series ends where it stands.
bool AlarmScheduler::EndSnoozeIfOn(int n) {
    if (settings_.Switch != SwitchOn)
        return false;
    state_.SnoozeCount[n] = 0;
    indicators_.SetSnoozeShown(false);
    return true;
}

// Everything a firing changes is in place before its action is asked for:
// the action may report its failure from within the call. The alarm's own
// moment starts a series from its instant.
void AlarmScheduler::Fire(int n, const Due& due) {
    const AlarmSlot& slot = settings_.AlarmTable[n];
    qCDebug(lcScheduler) << "slot" << n << "fires, action" << slot.Command;
    if (due.Wall) {
        seriesFrom_[n] = due.At;
        state_.SnoozeCount[n] = 0;
    }
    Snooze(n);
    firedSeries_[n] = state_.SnoozeCount[n];
    state_.RingCount[n] = 1;
    state_.RingCommand[n] = slot.Command;
    if (slot.Command == CommandStandard) {
        emit ringing(n);
        ShowStop();
        actions_.PlayStandardAlarm();
    } else if (slot.Command == CommandWav) {
        PlayWav(n);
    } else {
        state_.SnoozeCount[n] = 0;
        state_.RingCount[n] = 0;
        launchedAt_[n] = previousMs_;
        actions_.LaunchExec(slot.Exec);
        return;
    }
    if (state_.SnoozeCount[n] > 0)
        indicators_.SetSnoozeShown(true);
}

// The series moves on: to its next moment still ahead when the ring came
// late (a wake, a stall). With the switch on there is no series.
void AlarmScheduler::Snooze(int n) {
    state_.SnoozeCount[n] += 1;
    EndSnoozeIfOn(n);
    while (state_.SnoozeCount[n] > 0 && settings_.SnoozeInt > 0 &&
           (seriesFrom_[n] + qint64(state_.SnoozeCount[n]) * settings_.SnoozeInt * 60) * 1000 <=
               previousMs_)
        state_.SnoozeCount[n] += 1;
}

// A series under way when the zone changed belongs to a morning that is
// gone: it ends, as one a suspend stepped over does.
void AlarmScheduler::EndSeries() {
    for (int n = 1; n <= SlotCount; ++n) {
        if (state_.RingCount[n] == 0)
            state_.SnoozeCount[n] = 0;
    }
    if (state_.TotalSnoozeCount() == 0)
        indicators_.SetSnoozeShown(false);
}

// One WAV plays at a time: the new one ends any other's ring. A single
// playback neither rings on nor snoozes; Stop still cuts it.
void AlarmScheduler::PlayWav(int n) {
    const AlarmSlot& slot = settings_.AlarmTable[n];
    for (int m = 1; m <= SlotCount; ++m) {
        if (m != n && state_.RingCount[m] > 0 && state_.RingCommand[m] == CommandWav)
            EndRing(m);
    }
    if (slot.Repeat == 0) {
        state_.SnoozeCount[n] = 0;
        state_.RingCount[n] = 0;
    }
    wavSlot_ = n;
    emit ringing(n);
    actions_.PlayWav(slot.WAV, slot.Repeat);
    ShowStop();
}

// The ring the firing would have had with the standard alarm, snoozing as
// the switch says; the switch at OFF has stopped everything since.
void AlarmScheduler::RingAsStandard(int n, const QString& why) {
    if (settings_.Switch == SwitchOff)
        return;
    state_.SnoozeCount[n] = settings_.Switch == SwitchSnooze ? firedSeries_[n] : 0;
    state_.RingCount[n] = 1;
    state_.RingCommand[n] = CommandStandard;
    if (state_.SnoozeCount[n] > 0)
        indicators_.SetSnoozeShown(true);
    emit fellBack(n, why);
    ShowStop();
    actions_.PlayStandardAlarm();
}

// The failure of a slot's launch comes at once or within half a minute; any
// other (a test's) sounds the standard alarm once.
void AlarmScheduler::OnLaunchFailed(const QString& text, const QString& why) {
    bool rang = false;
    for (int n = 1; n <= SlotCount; ++n) {
        if (launchedAt_[n] && previousMs_ - *launchedAt_[n] <= LaunchAnswersWithinMs &&
            settings_.AlarmTable[n].Exec == text) {
            launchedAt_[n].reset();
            RingAsStandard(n, why);
            rang = true;
        }
    }
    if (!rang)
        actions_.PlayStandardAlarm();
}

void AlarmScheduler::ShowStop() {
    const bool sounding = Ringing() || actions_.Sounding();
    indicators_.SetStopShown(sounding);
    if (std::exchange(sounding_, sounding) && !sounding)
        emit quiet();
}

bool AlarmScheduler::Ringing(std::optional<qint16> command) const {
    for (int n = 1; n <= SlotCount; ++n) {
        if (state_.RingCount[n] > 0 && (!command || state_.RingCommand[n] == *command))
            return true;
    }
    return false;
}

// The record's seconds are recomputed from its own hour and minute, without
// snooze shift, while a candidate's include its shift: so which snoozed slot
// the label names depends on slot order, and the label shows the slot's own
// time, never the snoozed one.
void AlarmScheduler::UpdateNextAlarm(int n, qint32 secondsToGo, float now) {
    float recorded = 86401.0f; // none yet: any candidate wins
    if (state_.NextAlarmHour != -1) {
        recorded = float(state_.NextAlarmHour * 3600 + state_.NextAlarmMinute * 60) - now;
        if (recorded < 0)
            recorded += float(SecondsPerDay);
    }
    if (recorded > float(secondsToGo)) {
        const AlarmSlot& slot = settings_.AlarmTable[n];
        state_.NextAlarmHour = slot.Hour;
        state_.NextAlarmMinute = slot.Minute;
        indicators_.ShowNextAlarm(AlarmTime{slot.Hour, slot.Minute});
    }
}

void AlarmScheduler::lblSw_Click(int index) {
    settings_.Switch = qint16(std::clamp(index, int(SwitchSnooze), int(SwitchOff)));
    indicators_.ShowSwitch(settings_.Switch);
    if (settings_.Switch == SwitchSnooze)
        return;
    state_.SnoozeCount.fill(0);
    if (settings_.Switch == SwitchOff)
        cmdStop_Click();
    indicators_.SetSnoozeShown(false);
}

void AlarmScheduler::cmdStop_Click() {
    actions_.StopWav();
    actions_.StopStandardAlarm();
    state_.RingCount.fill(0);
    ShowStop();
}

void AlarmScheduler::EndSnoozes() {
    state_.SnoozeCount.fill(0);
    cmdStop_Click();
    indicators_.SetSnoozeShown(false);
}

void AlarmScheduler::SlotCommitted(int n) {
    state_.NextAlarmHour = -1;
    state_.NextAlarmMinute = 0;
    state_.SnoozeCount[n] = 0;
}

void AlarmScheduler::TestAction(int command, const QString& wav, const QString& exec) {
    if (command == CommandStandard) {
        actions_.PlayStandardAlarm();
    } else if (command == CommandWav) {
        wavSlot_ = 0;
        actions_.PlayWav(wav, 0);
    } else {
        actions_.LaunchExec(exec);
    }
}
