// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundStream.h"

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
    stream->file_.setFileName(path);
    SF_INFO info{};
    if (const Status opened = stream->OpenFile(info); !opened)
        return opened.Error();
    stream->format_.setChannelCount(info.channels);
    stream->format_.setSampleRate(info.samplerate);
    stream->format_.setSampleFormat(QAudioFormat::Int16);
    stream->loop_ = loop;
    stream->framesLeft_ = limitSeconds > 0 ? qint64(limitSeconds) * info.samplerate
                          : loop           ? std::numeric_limits<qint64>::max()
                                           : info.frames;
    stream->QIODevice::open(QIODevice::ReadOnly);
    return stream;
}

Status SoundStream::OpenFile(SF_INFO& info) {
    if (sound_)
        sf_close(sound_);
    sound_ = nullptr;
    file_.close();
    if (file_.fileName().isEmpty())
        return Failure{QStringLiteral("no file named")};
    if (!file_.open(QIODevice::ReadOnly))
        return Failure{file_.errorString()};
    static SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
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
bool SoundStream::Rewind() {
    SF_INFO info{};
    Status opened = OpenFile(info);
    if (opened &&
        (info.channels != format_.channelCount() || info.samplerate != format_.sampleRate()))
        opened = Failure{QStringLiteral("the file changed while it played")};
    if (!opened)
        QMetaObject::invokeMethod(
            this, [this, why = opened.Error().Why] { emit failed(why); }, Qt::QueuedConnection);
    return bool(opened);
}

SoundStream::~SoundStream() {
    if (sound_)
        sf_close(sound_);
}

// Never none before the end: the audio stream takes "none" for the end.
qint64 SoundStream::bytesAvailable() const {
    return (ended_ ? 0 : 1 << 20) + QIODevice::bytesAvailable();
}

// Blocks as the audio stream asks for them; at the end of the file a
// looping stream starts again (a file that yields nothing ends it).
qint64 SoundStream::readData(char* data, qint64 maxSize) {
    const int frameBytes = format_.bytesPerFrame();
    qint64 done = 0;
    bool rewound = false;
    while (!ended_ && maxSize - done >= frameBytes) {
        const sf_count_t wanted =
            std::min<sf_count_t>({(maxSize - done) / frameBytes, framesLeft_,
                                  sf_count_t(block_.size()) / format_.channelCount()});
        const sf_count_t got = sf_readf_float(sound_, block_.data(), wanted);
        auto* out = reinterpret_cast<qint16*>(data + done);
        for (sf_count_t i = 0; i < got * format_.channelCount(); ++i)
            out[i] = qint16(std::clamp(block_[size_t(i)], -1.0f, 1.0f) * 32767.0f);
        done += got * frameBytes;
        framesLeft_ -= got;
        if (framesLeft_ <= 0) {
            ended_ = true;
        } else if (got < wanted) { // the end of the file
            ended_ = !loop_ || (got == 0 && rewound) || !Rewind();
            rewound = true;
        } else {
            rewound = false;
        }
    }
    return done;
}
