// SPDX-License-Identifier: GPL-3.0-or-later
#include "Actions.h"

#include "ActionsLogging.h"

#include <QDir>

Actions::Actions(SoundServer& server, const QString& programDir)
    : standard_(server, SoundCandidates(programDir)), device_(server), wav_(device_),
      launcher_(programDir) {
    connect(&standard_, &StandardAlarm::soundingChanged, this, &Actions::UpdateSounding);
    connect(&wav_, &WavDevice::soundingChanged, this, &Actions::UpdateSounding);
    connect(&wav_, &WavDevice::failed, this, [this](const QString& path, const QString& why) {
        qCWarning(lcActions).noquote()
            << QStringLiteral("cannot play %1 (%2); sounding the standard alarm instead")
                   .arg(path.isEmpty() ? QStringLiteral("the WAV") : path, why);
        emit wavFailed(path, why);
    });
    connect(&launcher_, &Launcher::failed, this, [this](const QString& text, const QString& why) {
        qCWarning(lcActions).noquote()
            << QStringLiteral("cannot launch \"%1\" (%2); sounding the standard alarm instead")
                   .arg(text, why);
        emit launchFailed(text, why);
    });
}

QStringList Actions::SoundCandidates(const QString& programDir) {
    const QDir dir(programDir);
    return {dir.filePath(QStringLiteral("alerm.wav")),
            dir.filePath(QStringLiteral("../share/vendrix/alerm.wav"))};
}

void Actions::PlayStandardAlarm() {
    standard_.Play();
}

void Actions::PlayWav(const QString& path, int repeat) {
    qCDebug(lcActions) << "play" << path << (repeat != 0 ? "looping" : "once");
    wav_.PlayWav(path, repeat);
}

void Actions::StopWav() {
    wav_.StopWav();
}

void Actions::StopStandardAlarm() {
    standard_.Stop();
}

void Actions::LaunchExec(const QString& text) {
    qCDebug(lcActions) << "launch" << text;
    launcher_.LaunchExec(text);
}

void Actions::UpdateSounding() {
    const bool sounding = standard_.Sounding() || wav_.Sounding();
    if (sounding == sounding_)
        return;
    sounding_ = sounding;
    emit soundingChanged();
}
