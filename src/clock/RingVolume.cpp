// SPDX-License-Identifier: GPL-3.0-or-later
#include "RingVolume.h"

#include "ClockLogging.h"

#include <algorithm>

namespace {

// The server keeps volumes finer than percent: a step either way is the same.
bool Shows(const OutputVolume::Level& now, const OutputVolume::Level& level) {
    return now.Muted == level.Muted && std::abs(now.Percent - level.Percent) <= 1;
}

} // namespace

RingVolume::RingVolume(OutputVolume& output) : output_(output) {
    connect(&output_, &OutputVolume::changed, this, &RingVolume::Changed);
}

bool RingVolume::TooQuiet(const OutputVolume::Level& level) {
    return level.Known && (!level.Present || level.Muted || level.Percent < Half);
}

void RingVolume::Raise() {
    const OutputVolume::Level now = output_.Current();
    if (found_ || !now.Present || !TooQuiet(now))
        return;
    found_ = now;
    raisedTo_ = now;
    raisedTo_.Muted = false;
    if (now.Percent < Half) {
        raisedTo_.Percent = Half;
        raisedTo_.Channels.clear(); // every channel to half
    }
    reached_ = false;
    qCDebug(lcClock).noquote()
        << QStringLiteral("the sound output was %1 at %2 %; brought up to %3 % for the ring")
               .arg(now.Muted ? QStringLiteral("muted") : QStringLiteral("on"))
               .arg(now.Percent)
               .arg(raisedTo_.Percent);
    output_.Set(raisedTo_);
}

void RingVolume::PutBack() {
    if (!found_)
        return;
    output_.Set(*std::exchange(found_, std::nullopt));
}

// Once the output has shown the raised level, any other is the user's.
void RingVolume::Changed() {
    if (!found_)
        return;
    if (Shows(output_.Current(), raisedTo_))
        reached_ = true;
    else if (reached_)
        found_.reset();
}
