// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmActions.h"
#include "AlarmState.h"
#include "Indicators.h"
#include "Settings.h"
#include "WallTime.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <optional>

// Rings that a jump of the clock stepped over and that did not ring, and
// what moved the clock: a sleep, the clock set forward, or the time zone.
struct MissedRings {
    enum Cause { Slept, ClockSet, ZoneChanged };
    QList<QDateTime> At; // as the wall showed them when they were due, in order
    QDate Today;
    Cause Why = Slept;
};

// A ring to come: its instant (seconds since the epoch), and the slot that rings.
struct NextRingTime {
    qint64 At = 0;
    int Slot = 0;
};

// The moment of one scan: the instant, a clock that counts a suspend and no
// clock setting (which tells a suspend from a clock change), and the rules
// of the time zone in force.
struct ScanTime {
    qint64 RealMs = 0; // milliseconds since the epoch
    qint64 BootMs = 0;
    ZoneRule Zone;
};

// The once-a-second alarm scan, the master switch and Stop. It reads the
// table on every scan, so a committed change takes effect at the next one.
//
// An alarm's moment is an instant on the wall: its date, hour and minute in
// the zone in force, decided by the zone's rules. A moment the clocks show
// twice (clocks going back) rings at its first showing only; one they skip
// (clocks going forward) rings at the change. A scan fires what has come
// since the last, never an instant before it has come, so a late scan
// catches what it stepped over. Snooze rings follow the alarm's own instant
// by the interval, on the real clock, across any change of the wall's.
//
// A moment up to ten minutes late (a suspend, the clock or the zone moved
// forward) still rings; an older one stays silent and is told, and a snooze
// series so stepped over ends. A moment the wall shows again (the clock set
// back, the zone moved west) does not ring again; a zone change ends every
// series. The first scan covers the moment the program started.
//
// An alarm whose own action fails (a WAV that cannot play, a launch that
// cannot start) rings as the standard alarm instead, for the whole ring.
class AlarmScheduler : public QObject {
    Q_OBJECT
public:
    // The standard alarm sounds once a second for this long.
    static constexpr int StandardRingSeconds = 60;
    // Seconds a moment may be late and still ring.
    static constexpr qint64 LateLimit = 600;

    AlarmScheduler(Settings& settings, AlarmState& state, AlarmActions& actions,
                   Indicators& indicators);

    // The program started at this instant: the first scan covers what came since.
    void StartedAt(qint64 realMs);
    void Scan(const ScanTime& now);
    void lblSw_Click(int index);
    void cmdStop_Click();
    // Stop, and every snooze series ends; the switch stays as it is.
    void EndSnoozes();
    // A slot was registered anew: its snooze series ends and the next scan
    // finds its next alarm afresh.
    void SlotCommitted(int n);
    // The editor's test of an action: the sound once, or the launch.
    void TestAction(int command, const QString& wav, const QString& exec);
    // The next ring after the last scan, as things stand (the types, the
    // snooze series, the switch); none when nothing will ring.
    std::optional<NextRingTime> NextRing() const;

signals:
    // Slot n fired with a sound.
    void ringing(int n);
    // Nothing rings or sounds any more: the end of what `ringing` began.
    void quiet();
    // Slot n's own action failed (why, in a few words): it rings as the standard alarm.
    void fellBack(int n, const QString& why);
    void missed(const MissedRings& rings);

private:
    // What a scan covers: from the last scan's instant, and on the wall from
    // the latest wall time covered, to now.
    struct Span {
        qint64 FromMs;
        qint64 ToMs;
        qint64 WallFrom; // seconds; moments after it are new
        qint64 WallTo;
        MissedRings::Cause Why;
    };
    // A moment of a slot that has come: its instant, and for an alarm's own
    // moment (not a snooze) its wall time.
    struct Due {
        qint64 At;
        std::optional<qint64> Wall;
    };

    Span NextSpan(const ScanTime& now);
    void Follow(int n, const Span& span, QList<QDateTime>& missed);
    std::optional<Due> Snoozed(int n, const Span& span, QList<QDateTime>& missed);
    std::optional<Due> Own(int n, const Span& span, QList<QDateTime>& missed);
    void AdvanceRing(int n);
    void EndRing(int n);
    bool EndSnoozeIfOn(int n);
    void Fire(int n, const Due& due);
    void Snooze(int n);
    void PlayWav(int n);
    void RingAsStandard(int n, const QString& why);
    void OnLaunchFailed(const QString& text, const QString& why);
    void EndSeries();
    void ShowStop();
    void ShowNext(qint64 wallNow);
    bool Ringing(std::optional<qint16> command = std::nullopt) const;
    bool Armed(const AlarmSlot& slot, QDate date) const;
    qint32 AlarmSecond(int n) const;
    std::optional<qint64> NextOwnWall(int n, qint64 after) const;
    std::optional<qint64> NextInstant(int n) const;
    void UpdateNextAlarm(int n, qint32 secondsToGo, float now);

    Settings& settings_;
    AlarmState& state_;
    AlarmActions& actions_;
    Indicators& indicators_;

    bool scanned_ = false;
    std::optional<qint64> startedMs_;
    qint64 previousMs_ = 0;
    qint64 previousBootMs_ = 0;
    int previousOffset_ = 0; // of the zone in force at the last scan, then
    qint64 passedWall_ = 0;  // the latest wall time covered: nothing before it rings again
    ZoneRule zone_;          // as at the last scan
    // The instant of the alarm's own moment each series started from.
    std::array<qint64, SlotCount + 1> seriesFrom_{};
    // The snooze count of each slot's last firing, which a failed action rings on with.
    std::array<qint32, SlotCount + 1> firedSeries_{};
    // When each slot launched last: a failure heard of soon after rings it.
    std::array<std::optional<qint64>, SlotCount + 1> launchedAt_{};
    int wavSlot_ = 0;       // the slot the WAV plays for; 0 for a test
    bool sounding_ = false; // a ring lasts or a sound plays: Stop is shown
};
