// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmSound.h"
#include "MediaBackend.h"

#include <QString>
#include <functional>

// A slot's WAV playback. The mark says what the end of the playback does:
// Repeating ("rep") rewinds and plays again, Once ("norep") ends the alarm,
// None nothing. Only a completion with code 1 acts, and by the mark at the
// moment it arrives, so a late completion of a replaced or stopped playback
// changes nothing.
//
// A WAV that cannot be played is replaced by the standard alarm for as long
// as it would have sounded: looping until stopped, or once.
class WavDevice {
public:
    enum class Mark { None, Repeating, Once };

    WavDevice(MediaBackend& backend, AlarmSound& fallback, std::function<void()> onSingleEnded);

    void PlayWav(const QString& path, int repeat);
    void StopWav();
    Mark PlaybackMark() const { return mark_; }

private:
    void OnCompletion(int code);
    void FallBack();
    void StopFallbackLoop();

    MediaBackend& backend_;
    AlarmSound& fallback_;
    std::function<void()> onSingleEnded_;
    Mark mark_ = Mark::None;
    bool open_ = false;
    bool loopingFallback_ = false;
};
