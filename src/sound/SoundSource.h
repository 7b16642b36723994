// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <functional>
#include <memory>

// What a playback plays: samples that may come from a slow file, so it is
// opened and read on a thread of its own, never the window's.
class SoundSource {
public:
    virtual ~SoundSource() = default;
    virtual int Channels() const = 0;
    virtual int Rate() const = 0;
    // Up to `frames` frames of interleaved float samples into `out`: how many
    // were given (none at the end), or why it can be read no further.
    virtual Result<qint64> Read(float* out, qint64 frames) = 0;
};

// Opens a source, or says why it cannot.
using SoundOpener = std::function<Result<std::unique_ptr<SoundSource>>()>;
