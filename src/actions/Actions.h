// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmActions.h"
#include "Launcher.h"
#include "SoundDevice.h"
#include "StandardAlarm.h"
#include "WavDevice.h"

// The alarm actions on real sound and real processes. A WAV that cannot play
// and a launch that cannot start are told, with one line on standard error.
class Actions : public AlarmActions {
    Q_OBJECT
public:
    Actions(SoundServer& server, const QString& programDir);

    void PlayStandardAlarm() override;
    void PlayWav(const QString& path, int repeat) override;
    void StopWav() override;
    void StopStandardAlarm() override;
    void LaunchExec(const QString& text) override;
    bool Sounding() const override { return sounding_; }

    // Where alerm.wav is looked for: beside the program, then where an
    // installed copy keeps its data.
    static QStringList SoundCandidates(const QString& programDir);

private:
    void UpdateSounding();

    StandardAlarm standard_;
    SoundDevice device_;
    WavDevice wav_;
    Launcher launcher_;
    bool sounding_ = false;
};
