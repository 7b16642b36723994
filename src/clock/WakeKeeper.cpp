// SPDX-License-Identifier: GPL-3.0-or-later
#include "WakeKeeper.h"

WakeKeeper::WakeKeeper(WakeTimer& timer, SleepInhibitor& inhibitor)
    : timer_(timer), inhibitor_(inhibitor) {
    connect(&timer_, &WakeTimer::woke, this, &WakeKeeper::Woke);
}

// Set again only when the wake moves, not at every scan. The wake comes a
// minute ahead; once that minute has begun, it is set for the ring itself,
// so that a sleep within the last minute still ends in time.
void WakeKeeper::Follow(qint64 now, std::optional<qint64> ring) {
    if (wokeFor_ && !ringing_ && now > *wokeFor_ + WakeAhead) { // it did not ring after all
        wokeFor_.reset();
        inhibitor_.Release();
    }
    armedRing_ = ring;
    const std::optional<qint64> wake =
        ring ? std::optional(*ring - WakeAhead > now ? *ring - WakeAhead : *ring) : std::nullopt;
    if (wake == armedWake_)
        return;
    armedWake_ = wake;
    timer_.WakeAt(wake);
}

void WakeKeeper::Woke() {
    wokeFor_ = armedRing_.value_or(0);
    inhibitor_.Hold();
}

void WakeKeeper::RingStarted() {
    ringing_ = true;
    wokeFor_.reset();
    inhibitor_.Hold();
}

void WakeKeeper::RingEnded() {
    ringing_ = false;
    if (!wokeFor_)
        inhibitor_.Release();
}
