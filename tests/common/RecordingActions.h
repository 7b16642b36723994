// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmActions.h"

#include <QStringList>

// Records every alarm action as a line of text ("wav /a.wav 1"), stamped with
// the time `clock` shows when one is given.
class RecordingActions : public AlarmActions {
public:
    void PlayStandardAlarm(int slot) override { Log(QStringLiteral("standard %1").arg(slot)); }
    void PlayWav(const QString& path, int repeat) override {
        Log(QStringLiteral("wav %1 %2").arg(path).arg(repeat));
    }
    void StopWav() override { Log(QStringLiteral("stopwav")); }
    void StopStandardAlarm() override { Log(QStringLiteral("stopstandard")); }
    void LaunchExec(const QString& text) override {
        Log(QStringLiteral("launch ") + text);
        if (launchFails)
            OnLaunchFailed(text);
    }

    QStringList calls;
    bool launchFails = false;
    const QString* clock = nullptr;

private:
    void Log(const QString& what) { calls << (clock ? *clock + u' ' + what : what); }
};
