// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmActions.h"
#include "AlarmState.h"
#include "Indicators.h"
#include "Settings.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <optional>

// Rings that a jump of the clock stepped over and that did not ring, and
// what moved the clock: a sleep, the clock set forward, or the time zone.
struct MissedRings {
    enum Cause { Slept, ClockSet, ZoneChanged };
    QList<QDateTime> At; // the local times they were due, in order
    QDate Today;
    Cause Why = Slept;
};

// A ring to come: its local time, and the slot that rings.
struct NextRingTime {
    QDateTime At;
    int Slot = 0;
};

// The moment of one scan: the local date and time of day as the clock shows
// them, and the real time (UTC) that tells a suspend from a clock change.
struct ScanTime {
    QDate Date;
    float Seconds = 0; // since local midnight, with fraction
    qint64 RealMs = 0; // milliseconds since the epoch
    qint64 BootMs = 0; // milliseconds of a clock that counts a suspend and no clock setting
};

// The once-a-second alarm scan, the master switch and Stop. It reads the
// table on every scan, so a committed change takes effect at the next one.
//
// A slot fires when one of its moments falls in the stretch of time this
// scan covers: from where the previous scan's stretch ended up to half a
// second ahead of now. Scans one second apart thus fire exactly where a
// "within half a second" test would, while a late scan still catches what it
// stepped over. Moments more than ten minutes late (a suspend) stay silent,
// except those skipped by a daylight-saving jump, which ring at once; a
// snooze series whose moment was stepped over so ends, and the moments
// stepped over are told.
//
// An alarm whose own action fails (a WAV that cannot play, a launch that
// cannot start) rings as the standard alarm instead, for the whole ring.
class AlarmScheduler : public QObject {
    Q_OBJECT
public:
    // The standard alarm sounds once a second for this long.
    static constexpr int StandardRingSeconds = 60;

    AlarmScheduler(Settings& settings, AlarmState& state, AlarmActions& actions,
                   Indicators& indicators);

    void Scan(const ScanTime& now);
    void lblSw_Click(int index);
    void cmdStop_Click();
    // Stop, and every snooze series ends; the switch stays as it is.
    void EndSnoozes();
    // A slot was registered anew: its snooze series ends, the occurrence it
    // fired last is forgotten and the next scan finds the next alarm afresh.
    void SlotCommitted(int n);
    // The editor's test of an action: the sound once, or the launch.
    void TestAction(int command, const QString& wav, const QString& exec);
    // The local time of the next ring after the last scan, as things stand
    // (the types, the snooze series, the switch); none when nothing will ring.
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
    struct Window {
        double Skipped; // exclusive start of a stretch stepped over, up to Start
        double Start;   // exclusive, in local seconds since the epoch of the calendar
        double End;     // inclusive
        MissedRings::Cause Why = MissedRings::Slept; // what moved the clock past Skipped
    };

    Window NextWindow(const ScanTime& now, double local);
    void StepOver(const Window& window, QDate today);
    void AdvanceRing(int n);
    void EndRing(int n);
    bool EndSnoozeIfOn(int n);
    void Fire(int n, double due);
    void Snooze(int n, double seriesDay);
    void PlayWav(int n);
    void RingAsStandard(int n, const QString& why);
    void OnLaunchFailed(const QString& text, const QString& why);
    void ShowStop();
    bool Ringing(std::optional<qint16> command = std::nullopt) const;
    bool Armed(const AlarmSlot& slot, QDate date) const;
    qint32 AlarmSecond(int n) const;
    std::optional<double> NextMoment(int n, double after) const;
    std::optional<qint64> NextArmedDay(const AlarmSlot& slot, qint64 from) const;
    std::optional<double> DueMoment(int n, double after, double until) const;
    void UpdateNextAlarm(int n, qint32 secondsToGo, float now);

    Settings& settings_;
    AlarmState& state_;
    AlarmActions& actions_;
    Indicators& indicators_;

    bool scanned_ = false;
    double previousLocal_ = 0;
    qint64 previousRealMs_ = 0;
    qint64 previousBootMs_ = 0;
    double previousEnd_ = 0;
    // The moment each slot fired last, so the clock going back never rings it twice.
    std::array<std::optional<double>, SlotCount + 1> lastFired_{};
    // The snooze count of each slot's last firing, which a failed action rings on with.
    std::array<qint32, SlotCount + 1> firedSeries_{};
    // When each slot launched last, in local seconds: a failure heard of soon after rings it.
    std::array<std::optional<double>, SlotCount + 1> launchedAt_{};
    int wavSlot_ = 0;       // the slot the WAV plays for; 0 for a test
    bool sounding_ = false; // a ring lasts or a sound plays: Stop is shown
};
