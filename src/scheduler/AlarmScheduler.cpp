// SPDX-License-Identifier: GPL-3.0-or-later
#include "AlarmScheduler.h"

#include "SchedulerLogging.h"
#include "TextRules.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double LateLimit = 600.0;         // a moment later than this after a suspend stays silent
constexpr double LongestClockJump = 7200.0; // daylight-saving shifts are an hour, two at most
constexpr qint16 StandardRingScans = AlarmScheduler::StandardRingSeconds - 1;
constexpr qint16 WavRingScans = 9;
constexpr double LaunchAnswersWithin = 60.0; // seconds; the opener is given 30
constexpr double ClockChange = 60.0;         // seconds one clock ran ahead of another: not jitter

double LocalSeconds(const ScanTime& now) {
    return double(now.Date.toJulianDay()) * double(SecondsPerDay) + double(now.Seconds);
}

QDateTime LocalDateTime(double seconds) {
    const qint64 day = qint64(std::floor(seconds / double(SecondsPerDay)));
    const int second = int(seconds - double(day) * double(SecondsPerDay));
    return QDateTime(QDate::fromJulianDay(day), QTime::fromMSecsSinceStartOfDay(second * 1000));
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

AlarmScheduler::Window AlarmScheduler::NextWindow(const ScanTime& now, double local) {
    Window window{local - 0.5, local - 0.5, local + 0.5};
    const double wallAdvance = local - previousLocal_;
    // The first scan never rings what passed before the program ran; a clock
    // set back starts afresh (what already fired is remembered per slot).
    if (scanned_ && wallAdvance > 0) {
        const double realAdvance = double(now.RealMs - previousRealMs_) / 1000.0;
        const double bootAdvance = double(now.BootMs - previousBootMs_) / 1000.0;
        const double jump = std::clamp(wallAdvance - realAdvance, 0.0, LongestClockJump);
        window.Skipped = previousEnd_;
        window.Start = std::max(previousEnd_, local - LateLimit - jump);
        window.Why = wallAdvance - realAdvance > ClockChange   ? MissedRings::ZoneChanged
                     : realAdvance - bootAdvance > ClockChange ? MissedRings::ClockSet
                                                               : MissedRings::Slept;
    }
    scanned_ = true;
    previousLocal_ = local;
    previousRealMs_ = now.RealMs;
    previousBootMs_ = now.BootMs;
    previousEnd_ = window.End;
    return window;
}

void AlarmScheduler::Scan(const ScanTime& now) {
    const Window window = NextWindow(now, LocalSeconds(now));
    StepOver(window, now.Date);
    bool anyArmed = false;
    for (int n = 1; n <= SlotCount; ++n) {
        if (state_.RingCount[n] > 0)
            AdvanceRing(n);
        const qint32 alarmSecond = AlarmSecond(n);
        qint32 secondsToGo = RoundHalfEven32(double(alarmSecond) - double(now.Seconds));
        QDate ringDate = now.Date;
        if (secondsToGo < 0) {
            secondsToGo += SecondsPerDay;
            ringDate = ringDate.addDays(1);
        }
        const std::optional<double> due = DueMoment(n, window.Start, window.End);
        if (due && settings_.Switch != SwitchOff) {
            lastFired_[n] = due;
            Fire(n, *due);
        }
        if (Armed(settings_.AlarmTable[n], ringDate)) {
            anyArmed = true;
            UpdateNextAlarm(n, secondsToGo, now.Seconds);
        }
    }
    if (!anyArmed) {
        state_.NextAlarmHour = -1;
        state_.NextAlarmMinute = 0;
        indicators_.ShowNextAlarm(std::nullopt);
    }
}

// Moments a suspend stepped over are told, not rung. Nobody was there to be
// snoozed either: a series whose moment was stepped over ends, and its slot
// goes back to its own time.
void AlarmScheduler::StepOver(const Window& window, QDate today) {
    if (window.Start <= window.Skipped || settings_.Switch == SwitchOff)
        return;
    MissedRings missed{{}, today, window.Why};
    for (int n = 1; n <= SlotCount; ++n) {
        const std::optional<double> moment = DueMoment(n, window.Skipped, window.Start);
        if (!moment)
            continue;
        missed.At << LocalDateTime(*moment);
        if (state_.RingCount[n] == 0)
            state_.SnoozeCount[n] = 0;
    }
    if (missed.At.isEmpty())
        return;
    std::sort(missed.At.begin(), missed.At.end());
    if (state_.TotalSnoozeCount() == 0)
        indicators_.SetSnoozeShown(false);
    emit this->missed(missed);
}

qint32 AlarmScheduler::AlarmSecond(int n) const {
    const AlarmSlot& slot = settings_.AlarmTable[n];
    const qint64 minutes =
        qint64(slot.Minute) + qint64(state_.SnoozeCount[n]) * settings_.SnoozeInt;
    return qint32(std::clamp<qint64>(slot.Hour * 3600LL + minutes * 60, INT32_MIN, INT32_MAX));
}

bool AlarmScheduler::Armed(const AlarmSlot& slot, QDate date) const {
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

// The first moment of slot n after `after`, its snooze shift included. A
// moment belongs to the day its series started on, so a snooze that runs
// past midnight keeps ringing. A slot whose own time lies outside the day (a
// hand-edited 25:00) never rings.
std::optional<double> AlarmScheduler::NextMoment(int n, double after) const {
    const AlarmSlot& slot = settings_.AlarmTable[n];
    const qint32 base = slot.Hour * 3600 + slot.Minute * 60;
    if (base < 0 || base >= SecondsPerDay || slot.State == StateOff)
        return std::nullopt;
    const double offset = AlarmSecond(n);
    const qint64 from = qint64(std::floor((after - offset) / double(SecondsPerDay))) + 1;
    const std::optional<qint64> day = NextArmedDay(slot, from);
    if (!day)
        return std::nullopt;
    return double(*day) * double(SecondsPerDay) + offset;
}

// The first day from `from` (a Julian day) on which the slot is armed; a
// date comes once a year at most, so it is looked up year by year.
std::optional<qint64> AlarmScheduler::NextArmedDay(const AlarmSlot& slot, qint64 from) const {
    if (slot.State == StateDate) {
        const int year = QDate::fromJulianDay(from).year();
        for (int y = year; y <= year + 8; ++y) { // 29 February comes within eight years
            const QDate date(y, slot.Month, slot.Day);
            if (date.isValid() && date.toJulianDay() >= from && Armed(slot, date))
                return date.toJulianDay();
        }
        return std::nullopt;
    }
    for (qint64 day = from; day < from + 7; ++day) {
        if (Armed(slot, QDate::fromJulianDay(day)))
            return day;
    }
    return std::nullopt;
}

// The moment of slot n in (after, until], unless it has already fired.
std::optional<double> AlarmScheduler::DueMoment(int n, double after, double until) const {
    const std::optional<double> moment = NextMoment(n, after);
    if (!moment || *moment > until || lastFired_[n] == *moment)
        return std::nullopt;
    return moment;
}

std::optional<NextRingTime> AlarmScheduler::NextRing() const {
    if (!scanned_ || settings_.Switch == SwitchOff)
        return std::nullopt;
    std::optional<double> first;
    int slot = 0;
    for (int n = 1; n <= SlotCount; ++n) {
        const std::optional<double> moment = NextMoment(n, previousEnd_);
        if (moment && (!first || *moment < *first)) {
            first = moment;
            slot = n;
        }
    }
    if (!first)
        return std::nullopt;
    return NextRingTime{LocalDateTime(*first), slot};
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
    if (!EndSnoozeIfOn(n))
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
// the action may report its failure from within the call.
void AlarmScheduler::Fire(int n, double due) {
    const AlarmSlot& slot = settings_.AlarmTable[n];
    qCDebug(lcScheduler) << "slot" << n << "fires, action" << slot.Command;
    Snooze(n, due - AlarmSecond(n));
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
        launchedAt_[n] = previousLocal_;
        actions_.LaunchExec(slot.Exec);
        return;
    }
    if (state_.SnoozeCount[n] > 0)
        indicators_.SetSnoozeShown(true);
}

// The series moves on: to its next moment still ahead when the ring came
// late (a wake, a stall), as one in the past would only come round tomorrow.
// With the switch on there is no series.
void AlarmScheduler::Snooze(int n, double seriesDay) {
    state_.SnoozeCount[n] += 1;
    EndSnoozeIfOn(n);
    while (state_.SnoozeCount[n] > 0 && settings_.SnoozeInt > 0 &&
           seriesDay + AlarmSecond(n) <= previousEnd_)
        state_.SnoozeCount[n] += 1;
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
        if (launchedAt_[n] && previousLocal_ - *launchedAt_[n] <= LaunchAnswersWithin &&
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
    lastFired_[n].reset();
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
