// SPDX-License-Identifier: GPL-3.0-or-later
#include "StandardAlarm.h"

#include "ActionsLogging.h"
#include "SoundStream.h"

#include <QFile>

namespace {

const QString BuiltInTone = QStringLiteral(":/vendrix/alerm.wav");

} // namespace

StandardAlarm::StandardAlarm(const QStringList& candidates) : path_(BuiltInTone) {
    for (const QString& path : candidates) {
        if (!QFile::exists(path))
            continue;
        const auto stream = SoundStream::Open(path, false);
        if (stream) {
            path_ = path;
            break;
        }
        qCWarning(lcActions).noquote() << QStringLiteral("cannot use %1 as the alarm sound (%2)")
                                              .arg(path, stream.Error().Why);
    }
    if (path_ == BuiltInTone && !SoundStream::Open(BuiltInTone, false))
        qCWarning(lcActions) << "the built-in alarm tone cannot be decoded";
    connect(&device_, &SoundDevice::completed, this, &StandardAlarm::Stop);
    connect(&device_, &SoundDevice::failed, this, &StandardAlarm::Failed);
    connect(&device_, &SoundDevice::started, this, [this] { failing_.Again(); });
}

void StandardAlarm::Stop() {
    device_.Close();
    SetSounding(false);
}

// alerm.wav gone since the start: the tone built in plays instead.
void StandardAlarm::Play() {
    if (!device_.Open(QFile::exists(path_) ? path_ : BuiltInTone, false))
        return;
    SetSounding(true);
    device_.Play();
}

void StandardAlarm::SetSounding(bool sounding) {
    if (sounding == sounding_)
        return;
    sounding_ = sounding;
    emit soundingChanged();
}

// The sound restarts every second while an alarm rings: a failure is told
// once, and again only after a sound has played.
void StandardAlarm::Failed(const QString& why) {
    Stop();
    if (failing_.Tell(QStringLiteral("cannot play the alarm sound: %1").arg(why)))
        emit failed(why);
}
