// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"
#include "SoundSource.h"

#include <QFile>
#include <memory>

struct sf_private_tag;
struct SF_INFO;

// A sound file decoded by libsndfile while it plays, a small block at a time:
// memory stays flat whatever the file's length. Whatever libsndfile reads
// plays (WAV in every form, FLAC, Ogg Vorbis and Opus, MP3 where the
// installed libsndfile has it). Only a regular file is opened (a resource
// too), never a FIFO, a device or a folder, whose opening or reading could
// wait for ever. A looping stream starts again at its first frame without a
// gap; a limited one ends after so many seconds. A file that opens but
// gives less than it declares fails as one that does not open.
class SoundStream : public SoundSource {
public:
    ~SoundStream() override;

    // The file ready to play, or why it cannot: missing, not a file, no sound.
    static Result<std::unique_ptr<SoundStream>> Open(const QString& path, bool loop,
                                                     int limitSeconds = 0);

    int Channels() const override { return channels_; }
    int Rate() const override { return rate_; }
    Result<qint64> Read(float* out, qint64 frames) override;

private:
    SoundStream() = default;
    Status OpenFile(SF_INFO& info);
    Status GivesSound(SF_INFO& info);
    Status Rewind();
    Status Whole() const;

    QString path_;
    QFile file_;
    sf_private_tag* sound_ = nullptr;
    int channels_ = 0;
    int rate_ = 0;
    bool loop_ = false;
    qint64 framesLeft_ = 0; // before the limit, or the end of a stream that does not loop
    qint64 declared_ = 0;   // the frames the file says it holds
    qint64 roundRead_ = 0;  // read since it was opened, or rewound for a loop
};
