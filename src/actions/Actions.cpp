// SPDX-License-Identifier: GPL-3.0-or-later
#include "Actions.h"

#include "Warn.h"

#include <QDir>

Actions::Actions(const QString& programDir)
    : standard_(SoundCandidates(programDir),
                [this](const QString& why) {
                    if (OnSoundFailed)
                        OnSoundFailed(why);
                }),
      wav_(backend_, standard_,
           [this] {
               if (OnSingleEnded)
                   OnSingleEnded();
           }),
      launcher_(programDir, [this](const QString& text) { LaunchFailed(text); }) {}

QStringList Actions::SoundCandidates(const QString& programDir) {
    const QDir dir(programDir);
    return {dir.filePath(QStringLiteral("alerm.wav")),
            dir.filePath(QStringLiteral("../share/vendrix/alerm.wav"))};
}

void Actions::PlayStandardAlarm(int) {
    standard_.Play();
}

void Actions::PlayWav(const QString& path, int repeat) {
    wav_.PlayWav(path, repeat);
}

void Actions::StopWav() {
    wav_.StopWav();
}

void Actions::StopStandardAlarm() {
    standard_.Cut();
}

void Actions::LaunchExec(const QString& text) {
    if (!launcher_.LaunchExec(text))
        LaunchFailed(text);
}

void Actions::LaunchFailed(const QString& text) {
    Warn(QStringLiteral("cannot launch \"%1\"; sounding the standard alarm instead").arg(text));
    standard_.Play();
    if (OnLaunchFailed)
        OnLaunchFailed(text);
}
