// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmActions.h"

#include <QStringList>

// Records every alarm action as a line of text ("wav /a.wav 1"), stamped with
// the time `clock` shows when one is given. A sound plays until it is stopped
// or EndWav() ends it; a WAV or launch named in `failing` fails at once.
class RecordingActions : public AlarmActions {
public:
    void PlayStandardAlarm() override {
        Log(QStringLiteral("standard"));
        SetSounding(standard, true);
    }
    void PlayWav(const QString& path, int repeat) override {
        Log(QStringLiteral("wav %1 %2").arg(path).arg(repeat));
        wavPath = path;
        SetSounding(wav, true);
        if (failing.contains(path))
            FailWav();
    }
    void StopWav() override {
        Log(QStringLiteral("stopwav"));
        SetSounding(wav, false);
    }
    void StopStandardAlarm() override {
        Log(QStringLiteral("stopstandard"));
        SetSounding(standard, false);
    }
    void LaunchExec(const QString& text) override {
        Log(QStringLiteral("launch ") + text);
        if (failing.contains(text))
            emit launchFailed(text, QStringLiteral("no such program or file"));
    }
    bool Sounding() const override { return standard || wav; }

    // The WAV plays to its end.
    void EndWav() { SetSounding(wav, false); }
    // The WAV turns out unplayable.
    void FailWav() {
        SetSounding(wav, false);
        emit wavFailed(wavPath, QStringLiteral("it gives no sound"));
    }

    QStringList calls;
    QStringList failing;
    const QString* clock = nullptr;

private:
    void Log(const QString& what) { calls << (clock ? *clock + u' ' + what : what); }
    void SetSounding(bool& flag, bool on) {
        const bool before = Sounding();
        flag = on;
        if (Sounding() != before)
            emit soundingChanged();
    }

    bool standard = false;
    bool wav = false;
    QString wavPath;
};
