// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MediaBackend.h"

#include <memory>

class QAudioOutput;
class QMediaPlayer;

// The WAV device on Qt Multimedia. The player is made on the first Open, so
// a run that never plays a WAV never loads the media framework.
class QtMediaBackend : public MediaBackend {
    Q_OBJECT
public:
    QtMediaBackend();
    ~QtMediaBackend() override;

    bool Open(const QString& path) override;
    void Play() override;
    void Rewind() override;
    void Stop() override;
    void Close() override;
    // Loads the media framework and the file ahead of Open.
    void Prepare(const QString& path);

private:
    void EnsurePlayer();
    void ReportFailure(const QString& why);

    std::unique_ptr<QAudioOutput> output_;
    std::unique_ptr<QMediaPlayer> player_;
    bool failureReported_ = false;
};
