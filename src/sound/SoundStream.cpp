// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundStream.h"

#include "RegularFile.h"

#include <algorithm>
#include <limits>
#include <sndfile.h>

namespace {

// libsndfile reading through Qt, so that resources (the built-in tone) play too.
QIODevice& Of(void* user) {
    return *static_cast<QIODevice*>(user);
}
sf_count_t Length(void* user) {
    return Of(user).size();
}
sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    QIODevice& io = Of(user);
    const sf_count_t base = whence == SEEK_CUR ? io.pos() : whence == SEEK_END ? io.size() : 0;
    io.seek(std::clamp<sf_count_t>(base + offset, 0, io.size()));
    return io.pos();
}
sf_count_t Read(void* out, sf_count_t count, void* user) {
    return std::max<qint64>(Of(user).read(static_cast<char*>(out), count), 0);
}
sf_count_t Write(const void*, sf_count_t, void*) {
    return 0;
}
sf_count_t Tell(void* user) {
    return Of(user).pos();
}

} // namespace

Result<std::unique_ptr<SoundStream>> SoundStream::Open(const QString& path, bool loop,
                                                       int limitSeconds) {
    std::unique_ptr<SoundStream> stream(new SoundStream);
    stream->path_ = path;
    SF_INFO info{};
    if (const Status opened = stream->OpenFile(info); !opened)
        return opened.Error();
    stream->channels_ = info.channels;
    stream->rate_ = info.samplerate;
    stream->loop_ = loop;
    stream->framesLeft_ = limitSeconds > 0 ? qint64(limitSeconds) * info.samplerate
                          : loop           ? std::numeric_limits<qint64>::max()
                                           : info.frames;
    return stream;
}

Status SoundStream::OpenFile(SF_INFO& info) {
    if (sound_)
        sf_close(sound_);
    sound_ = nullptr;
    file_.close();
    if (path_.isEmpty())
        return Failure{QStringLiteral("no file named")};
    if (path_.startsWith(u':')) {
        file_.setFileName(path_);
        if (!file_.open(QIODevice::ReadOnly))
            return Failure{file_.errorString()};
    } else if (const Status opened = OpenRegular(file_, path_); !opened) {
        return opened;
    }
    static SF_VIRTUAL_IO io{Length, Seek, ::Read, Write, Tell};
    sound_ = sf_open_virtual(&io, SFM_READ, &info, &file_);
    if (!sound_)
        return Failure{QString::fromUtf8(sf_strerror(nullptr))};
    if (info.channels < 1 || info.channels > 8 || info.samplerate < 1000 ||
        info.samplerate > 384000 || info.frames <= 0)
        return Failure{QStringLiteral("no sound in it")};
    return Done{};
}

// Each round of a loop reads the file afresh: one spoilt or replaced while
// it plays is found out, not played as noise.
Status SoundStream::Rewind() {
    SF_INFO info{};
    const Status opened = OpenFile(info);
    if (opened && (info.channels != channels_ || info.samplerate != rate_))
        return Failure{QStringLiteral("the file changed while it played")};
    return opened;
}

SoundStream::~SoundStream() {
    if (sound_)
        sf_close(sound_);
}

// At the end of the file a looping stream starts again (a file that yields
// nothing ends it).
Result<qint64> SoundStream::Read(float* out, qint64 frames) {
    qint64 done = 0;
    bool rewound = false;
    while (done < frames && framesLeft_ > 0) {
        const sf_count_t wanted = std::min(frames - done, framesLeft_);
        const sf_count_t got = sf_readf_float(sound_, out + done * channels_, wanted);
        done += got;
        framesLeft_ -= got;
        if (got == wanted) {
            rewound = false;
        } else if (!loop_ || (got == 0 && rewound)) {
            framesLeft_ = 0;
        } else if (const Status again = Rewind(); !again) {
            return again.Error();
        } else {
            rewound = true;
        }
    }
    std::for_each(out, out + done * channels_, [](float& v) { v = std::clamp(v, -1.0f, 1.0f); });
    return done;
}
