// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QAudioFormat>
#include <QFile>
#include <QIODevice>
#include <memory>
#include <vector>

struct sf_private_tag;
struct SF_INFO;

// A sound file decoded by libsndfile while it plays, a small block at a time,
// as 16-bit samples: memory stays flat whatever the file's length. Whatever
// libsndfile reads plays (WAV in every form, FLAC, Ogg Vorbis and Opus, MP3
// where the installed libsndfile has it). A looping stream starts again at
// its first frame without a gap; a limited one ends after so many seconds.
class SoundStream : public QIODevice {
    Q_OBJECT
public:
    ~SoundStream() override;

    // The file ready to play, or why it cannot: missing, unreadable, no sound.
    static Result<std::unique_ptr<SoundStream>> Open(const QString& path, bool loop,
                                                     int limitSeconds = 0);

    QAudioFormat Format() const { return format_; }

signals:
    // A looping file can no longer be read from its start.
    void failed(const QString& why);

public:
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    SoundStream() = default;
    Status OpenFile(SF_INFO& info);
    bool Rewind();

    QFile file_;
    sf_private_tag* sound_ = nullptr;
    QAudioFormat format_;
    bool loop_ = false;
    qint64 framesLeft_ = 0; // before the limit, or the end of a stream that does not loop
    bool ended_ = false;
    std::vector<float> block_ = std::vector<float>(4096); // decoded as floats: every form alike
};
