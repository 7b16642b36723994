// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SleepInhibitor.h"
#include "WakeTimer.h"

#include <QObject>
#include <optional>

// While an alarm is armed, the computer is woken shortly before it; it is
// kept from sleeping while an alarm rings, and from a wake until the ring it
// was for has rung (a laptop with its lid closed would go back to sleep
// within a minute).
class WakeKeeper : public QObject {
    Q_OBJECT
public:
    // The wake comes this many seconds before a ring.
    static constexpr qint64 WakeAhead = 60;

    WakeKeeper(WakeTimer& timer, SleepInhibitor& inhibitor);

    // At each scan: the time now and of the next ring, in epoch seconds.
    void Follow(qint64 now, std::optional<qint64> ring);
    // The next ring, as last followed.
    std::optional<qint64> NextRing() const { return armedRing_; }
    void RingStarted();
    void RingEnded();
    // From a ring until nothing rings or sounds any more.
    bool Ringing() const { return ringing_; }

private:
    void Woke();

    WakeTimer& timer_;
    SleepInhibitor& inhibitor_;
    bool ringing_ = false;
    std::optional<qint64> armedRing_; // the next ring
    std::optional<qint64> armedWake_; // what the wake timer is set for
    std::optional<qint64> wokeFor_;   // the ring a wake was for, until it has rung
};
