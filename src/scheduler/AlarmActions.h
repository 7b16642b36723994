// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// What a firing alarm does. Every call returns at once; sound plays on.
class AlarmActions {
public:
    virtual ~AlarmActions() = default;
    virtual void PlayStandardAlarm(int slot) = 0;
    virtual void PlayWav(const QString& path, int repeat) = 0;
    // Stops a looping WAV; a single playback runs to its end.
    virtual void StopWav() = 0;
    // Cuts the standard alarm sound short.
    virtual void StopStandardAlarm() = 0;
    virtual void LaunchExec(const QString& text) = 0;

    // Run when a WAV played once has reached its end: its alarm is over.
    std::function<void()> OnSingleEnded;
    // Run when a launch failed and the standard alarm sounded instead.
    std::function<void(const QString& text)> OnLaunchFailed;
    // Run when the alarm sound could not be played at all, once for each
    // stretch of failing sounds.
    std::function<void(const QString& why)> OnSoundFailed;
};
