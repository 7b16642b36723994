// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SoundDevice.h"

#include <QObject>
#include <QSet>
#include <QStringList>

// alerm.wav, streamed afresh on every call, its first minute at most. When
// it cannot be opened or decoded at that moment (missing, spoilt, not a
// file), the same tone built into the program plays instead, and standard
// error says why, once for each reason.
class StandardAlarm : public QObject {
    Q_OBJECT
public:
    // No call sounds longer than a ring lasts.
    static constexpr int LongestSeconds = 60;
    // The tone built into the program.
    static const QString BuiltInTone;

    // The first alerm.wav among the candidate paths is used.
    StandardAlarm(SoundServer& server, const QStringList& candidates);

    // Sounds once from the beginning, cutting a sound under way.
    void Play();
    void Stop();
    bool Sounding() const { return sounding_; }
    SoundDevice& Device() { return device_; }

signals:
    void soundingChanged();

private:
    void SetSounding(bool sounding);

    QString path_;
    SoundDevice device_;
    bool sounding_ = false;
    QSet<QString> told_; // why alerm.wav could not play, as told
};
