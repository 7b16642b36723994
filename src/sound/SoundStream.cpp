// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundStream.h"

#include "RegularFile.h"

#include <algorithm>
#include <limits>
#include <sndfile.h>
#include <vector>

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
    if (const Status gives = stream->GivesSound(info); !gives)
        return gives.Error();
    stream->channels_ = info.channels;
    stream->rate_ = info.samplerate;
    stream->declared_ = info.frames;
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

// A file that opens but yields no frame (cut after its header, its frames
// spoilt) is found out at once, and opened afresh to play from its start.
Status SoundStream::GivesSound(SF_INFO& info) {
    std::vector<float> frame(size_t(info.channels));
    if (sf_readf_float(sound_, frame.data(), 1) != 1)
        return Failure{QStringLiteral("it gives no sound")};
    return OpenFile(info);
}

// Each round of a loop reads the file afresh: one spoilt or replaced while
// it plays is found out, not played as noise.
Status SoundStream::Rewind() {
    SF_INFO info{};
    const Status opened = OpenFile(info);
    if (opened && (info.channels != channels_ || info.samplerate != rate_))
        return Failure{QStringLiteral("the file changed while it played")};
    declared_ = info.frames;
    roundRead_ = 0;
    return opened;
}

SoundStream::~SoundStream() {
    if (sound_)
        sf_close(sound_);
}

// At the end of the file a looping stream starts again. A file that gives
// fewer frames than it declares (cut short, its frames spoilt) fails: what
// stands in for it plays, rather than silence.
Result<qint64> SoundStream::Read(float* out, qint64 frames) {
    qint64 done = 0;
    while (done < frames && framesLeft_ > 0) {
        const sf_count_t wanted = std::min(frames - done, framesLeft_);
        const sf_count_t got = sf_readf_float(sound_, out + done * channels_, wanted);
        done += got;
        framesLeft_ -= got;
        roundRead_ += got;
        if (got == wanted)
            continue;
        if (const Status whole = Whole(); !whole)
            return whole.Error();
        if (!loop_)
            framesLeft_ = 0;
        else if (const Status again = Rewind(); !again)
            return again.Error();
    }
    std::for_each(out, out + done * channels_, [](float& v) { v = std::clamp(v, -1.0f, 1.0f); });
    return done;
}

// Decoders count a little differently: a few hundredths of the whole, or of
// a second, short is still the whole file.
Status SoundStream::Whole() const {
    const qint64 missing = declared_ - roundRead_;
    if (missing <= declared_ / 100 + rate_ / 20)
        return Done{};
    return Failure{roundRead_ == 0 ? QStringLiteral("it gives no sound")
                                   : QStringLiteral("it stops before its end")};
}
