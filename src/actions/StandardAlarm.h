#pragma once

#include "AlarmSound.h"

#include <QAudioFormat>
#include <QBuffer>
#include <QByteArray>
#include <QStringList>
#include <optional>

class QAudioSink;

// alerm.wav, read and decoded once, played through a fresh audio stream on
// every call (a reused stream of Qt 6.4 falls silent after a few restarts,
// and an alarm must keep sounding). When the file is missing or is not a
// PCM WAV, the same tone built into the program plays instead.
class StandardAlarm : public AlarmSound {
public:
    // The first readable alerm.wav among the candidate paths is used.
    explicit StandardAlarm(const QStringList& candidates);
    ~StandardAlarm() override;

    void Play() override;
    void StartLoop() override;
    void StopLoop() override;
    bool UsesBuiltInTone() const { return builtIn_; }

    struct Pcm {
        QAudioFormat Format;
        QByteArray Samples;
    };
    // The samples of an uncompressed (PCM) RIFF WAVE file.
    static std::optional<Pcm> Decode(const QByteArray& wav);

private:
    void Start();
    void Stop();

    Pcm sound_;
    QBuffer buffer_;
    QAudioSink* sink_ = nullptr;
    bool looping_ = false;
    bool builtIn_ = false;
};
