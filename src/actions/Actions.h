// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmActions.h"
#include "Launcher.h"
#include "QtMediaBackend.h"
#include "StandardAlarm.h"
#include "WavDevice.h"

// The alarm actions on real sound and real processes. An alarm that fires is
// always heard: a WAV that cannot play and a launch that cannot start sound
// the standard alarm instead.
class Actions : public AlarmActions {
public:
    explicit Actions(const QString& programDir);

    void PlayStandardAlarm(int slot) override;
    void PlayWav(const QString& path, int repeat) override;
    void StopWav() override;
    void StopStandardAlarm() override;
    void LaunchExec(const QString& text) override;

    // Where alerm.wav is looked for: beside the program, then where an
    // installed copy keeps its data.
    static QStringList SoundCandidates(const QString& programDir);

private:
    void LaunchFailed(const QString& text);

    StandardAlarm standard_;
    QtMediaBackend backend_;
    WavDevice wav_;
    Launcher launcher_;
};
