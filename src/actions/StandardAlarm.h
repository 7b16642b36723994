// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QAudioFormat>
#include <QBuffer>
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

class QAudioSink;
class QIODevice;

// alerm.wav, decoded once, played through a fresh audio stream on every call
// (a reused stream of Qt 6.4 falls silent after a few restarts, and an alarm
// must keep sounding). A file that cannot be decoded is named on standard
// error; when none can, the same tone built into the program plays instead.
class StandardAlarm : public QObject {
    Q_OBJECT
public:
    // The first decodable alerm.wav among the candidate paths is used.
    explicit StandardAlarm(const QStringList& candidates);
    ~StandardAlarm() override;

    // Sounds once from the beginning, cutting a sound under way.
    void Play();
    void Stop();
    bool Sounding() const { return sink_ != nullptr; }

    struct Pcm {
        QAudioFormat Format;
        QByteArray Samples;
    };
    // No call sounds longer than a ring lasts: the rest of a long file is
    // never read.
    static constexpr int LongestSeconds = 60;
    // A sound file in any form libsndfile reads (PCM of any width, float,
    // WAVE_FORMAT_EXTENSIBLE, ADPCM, µ-law...) as 16-bit samples, its first
    // LongestSeconds only.
    static Result<Pcm> Decode(QIODevice& file);

signals:
    // No sound can be played (no audio device, a stream that fails); told
    // once for each stretch of failing sounds.
    void failed(const QString& why);
    void soundingChanged();

private:
    void Failed(const QString& why);
    void Release();

    Pcm sound_;
    QBuffer buffer_;
    QAudioSink* sink_ = nullptr;
    QElapsedTimer lastFailure_;
};
