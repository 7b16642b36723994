// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// The device a slot's WAV plays on: one file open at a time. Stop and close
// are harmless with nothing open.
class MediaBackend {
public:
    virtual ~MediaBackend() = default;
    // False when the file cannot be opened at all (no path, no such file).
    virtual bool Open(const QString& path) = 0;
    virtual void Play() = 0;
    // Back to the start of the open file, ready to play it again.
    virtual void Rewind() = 0;
    virtual void Stop() = 0;
    virtual void Close() = 0;

    // Code 1 when a playback ran to its end, another code otherwise.
    std::function<void(int code)> OnCompletion;
    // The open file turned out to be unplayable.
    std::function<void()> OnFailure;
};
