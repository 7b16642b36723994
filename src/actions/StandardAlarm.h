// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmSound.h"

#include <QAudioFormat>
#include <QBuffer>
#include <QByteArray>
#include <QElapsedTimer>
#include <QStringList>
#include <functional>
#include <optional>

class QAudioSink;

// alerm.wav, decoded once, played through a fresh audio stream on every call
// (a reused stream of Qt 6.4 falls silent after a few restarts, and an alarm
// must keep sounding). A file that cannot be decoded is named on standard
// error; when none can, the same tone built into the program plays instead.
class StandardAlarm : public AlarmSound {
public:
    // The first decodable alerm.wav among the candidate paths is used.
    // onFailed runs when no sound can be played (no audio device, an audio
    // stream that fails), once for each stretch of failing sounds.
    StandardAlarm(const QStringList& candidates, std::function<void(const QString& why)> onFailed);
    ~StandardAlarm() override;

    void Play() override;
    void StartLoop() override;
    void StopLoop() override;
    // Cuts a sound that Play started short; a loop goes on until StopLoop.
    void Cut();

    struct Pcm {
        QAudioFormat Format;
        QByteArray Samples;
    };
    // A sound file in any form libsndfile reads (PCM of any width, float,
    // WAVE_FORMAT_EXTENSIBLE, ADPCM, µ-law...) as 16-bit samples; on failure
    // `error` says why.
    static std::optional<Pcm> Decode(const QByteArray& file, QString* error);

private:
    void Start();
    void Stop();
    void Failed(const QString& why);

    Pcm sound_;
    QBuffer buffer_;
    QAudioSink* sink_ = nullptr;
    bool looping_ = false;
    std::function<void(const QString& why)> onFailed_;
    QElapsedTimer lastFailure_;
};
