// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ActionsLogging.h"
#include "SoundDevice.h"
#include "TellOnce.h"

#include <QObject>
#include <QStringList>

// alerm.wav, streamed afresh on every call, its first minute at most. A file
// that cannot be decoded is named on standard error; when none can, the same
// tone built into the program plays instead.
class StandardAlarm : public QObject {
    Q_OBJECT
public:
    // No call sounds longer than a ring lasts.
    static constexpr int LongestSeconds = 60;

    // The first decodable alerm.wav among the candidate paths is used.
    explicit StandardAlarm(const QStringList& candidates);

    // Sounds once from the beginning, cutting a sound under way.
    void Play();
    void Stop();
    bool Sounding() const { return sounding_; }

signals:
    // No sound can be played (no audio device, a stream that fails); told
    // once for each stretch of failing sounds.
    void failed(const QString& why);
    void soundingChanged();

private:
    void Failed(const QString& why);
    void SetSounding(bool sounding);

    QString path_;
    SoundDevice device_{LongestSeconds};
    bool sounding_ = false;
    TellOnce failing_{lcActions};
};
