// SPDX-License-Identifier: GPL-3.0-or-later
#include "Audibility.h"

#include "ClockLogging.h"

Audibility::Audibility(SoundStatus& sound, OutputVolume& volume) : volume_(volume) {
    connect(&sound, &SoundStatus::silenced, this, &Audibility::Silent);
    connect(&sound, &SoundStatus::playing, this, [this] {
        playing_ = true;
        Heard();
    });
    connect(&volume_, &OutputVolume::changed, this, &Audibility::OutputChanged);
}

void Audibility::Sounding(bool sounding) {
    if (sounding && !sounding_)
        playing_ = false;
    sounding_ = sounding;
    silent_ = silent_ && sounding;
    if (sounding)
        OutputChanged();
}

// A stream that waits plays again only when the server says so; one that
// plays into no output plays on into the next that comes.
void Audibility::Silent(Silence why, const QString& detail) {
    if (!sounding_)
        return;
    playing_ = playing_ && why == Silence::NoOutput;
    if (std::exchange(silent_, true))
        return;
    qCWarning(lcClock).noquote()
        << QStringLiteral("cannot play the alarm sound: %1; it plays once it can").arg(detail);
    emit silenced(why);
}

void Audibility::OutputChanged() {
    const OutputVolume::Level level = volume_.Current();
    if (sounding_ && level.Known && !level.Present)
        Silent(Silence::NoOutput, QStringLiteral("no sound output, or only the server's stand-in"));
    else
        Heard();
}

void Audibility::Heard() {
    const OutputVolume::Level level = volume_.Current();
    if (!silent_ || !playing_ || !level.Present || level.Muted || level.Percent == 0)
        return;
    silent_ = false;
    qCInfo(lcClock) << "the alarm sound is heard again";
    emit heard();
}
