// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MediaBackend.h"

#include <memory>

class QAudioSink;
class SoundStream;

// Every sound Vendrix makes plays here: a file streamed by SoundStream into
// a fresh audio stream (QAudioSink) for each playback, a reused one of Qt 6.4
// falling silent after a few restarts.
class SoundDevice : public MediaBackend {
    Q_OBJECT
public:
    // limitSeconds: no playback lasts longer (0: the whole file).
    explicit SoundDevice(int limitSeconds = 0);
    ~SoundDevice() override;

    bool Open(const QString& path, bool loop) override;
    void Play() override;
    void Stop() override;
    void Close() override;

signals:
    // The sound is heard: the audio stream runs.
    void started();

private:
    int limitSeconds_;
    std::unique_ptr<SoundStream> stream_;
    QAudioSink* sink_ = nullptr;
};
