// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OutputVolume.h"

#include <optional>

// An alarm reaches the room: for a ring, a muted or turned-down default
// output is unmuted and brought up to half volume (only up, never down), and
// put back exactly as it was when the ring ends. A change the user makes
// meanwhile stands: nothing is put back over it.
class RingVolume : public QObject {
    Q_OBJECT
public:
    static constexpr int Half = 50; // percent, as pactl shows it

    explicit RingVolume(OutputVolume& output);

    void Raise();
    void PutBack();
    // Whether an alarm would be heard badly or not at all as things stand.
    static bool TooQuiet(const OutputVolume::Level& level);

private:
    void Changed();

    OutputVolume& output_;
    std::optional<OutputVolume::Level> found_; // while raised: what to put back
    OutputVolume::Level raisedTo_;
    bool reached_ = false; // the output has shown the raised level
};
