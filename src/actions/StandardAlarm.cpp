// SPDX-License-Identifier: GPL-3.0-or-later
#include "StandardAlarm.h"

#include "Logging.h"

#include <QAudioSink>
#include <QFile>
#include <QMediaDevices>
#include <algorithm>
#include <sndfile.h>
#include <vector>

namespace {

const QString BuiltInTone = QStringLiteral(":/vendrix/alerm.wav");

// libsndfile reading from a file or resource through Qt, so a long file is
// read no further than its decoded part.
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

Result<StandardAlarm::Pcm> DecodeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{file.errorString()};
    return StandardAlarm::Decode(file);
}

} // namespace

Result<StandardAlarm::Pcm> StandardAlarm::Decode(QIODevice& file) {
    SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
    SF_INFO info{};
    SNDFILE* sound = sf_open_virtual(&io, SFM_READ, &info, &file);
    if (!sound)
        return Failure{QString::fromUtf8(sf_strerror(nullptr))};
    std::vector<float> samples;
    if (info.channels >= 1 && info.channels <= 8 && info.samplerate >= 1000 &&
        info.samplerate <= 384000 && info.frames > 0) {
        const sf_count_t frames =
            std::min<sf_count_t>(info.frames, sf_count_t(info.samplerate) * LongestSeconds);
        samples.resize(size_t(frames * info.channels));
        samples.resize(size_t(sf_readf_float(sound, samples.data(), frames) * info.channels));
    }
    sf_close(sound);
    if (samples.empty())
        return Failure{QStringLiteral("no sound in it")};
    Pcm pcm;
    pcm.Format.setChannelCount(info.channels);
    pcm.Format.setSampleRate(info.samplerate);
    pcm.Format.setSampleFormat(QAudioFormat::Int16);
    pcm.Samples.resize(qsizetype(samples.size() * sizeof(qint16)));
    auto* out = reinterpret_cast<qint16*>(pcm.Samples.data());
    for (float sample : samples)
        *out++ = qint16(std::clamp(sample, -1.0f, 1.0f) * 32767.0f);
    return pcm;
}

StandardAlarm::StandardAlarm(const QStringList& candidates) {
    for (const QString& path : candidates) {
        if (!QFile::exists(path))
            continue;
        const Result<Pcm> decoded = DecodeFile(path);
        if (decoded) {
            sound_ = *decoded;
            break;
        }
        qCWarning(lcActions).noquote() << QStringLiteral("cannot use %1 as the alarm sound (%2)")
                                              .arg(path, decoded.Error().Why);
    }
    if (sound_.Samples.isEmpty())
        sound_ = *DecodeFile(BuiltInTone);
    buffer_.setBuffer(&sound_.Samples);
    buffer_.open(QIODevice::ReadOnly);
}

StandardAlarm::~StandardAlarm() {
    Release();
}

void StandardAlarm::Release() {
    if (!sink_)
        return;
    sink_->disconnect();
    sink_->stop();
    sink_->deleteLater();
    sink_ = nullptr;
}

void StandardAlarm::Stop() {
    if (!sink_)
        return;
    Release();
    emit soundingChanged();
}

void StandardAlarm::Play() {
    Release();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return Failed(QStringLiteral("no audio device"));
    sink_ = new QAudioSink(device, sound_.Format);
    connect(sink_, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && sink_->error() != QAudio::NoError)
            Failed(QStringLiteral("the audio stream failed (%1)").arg(int(sink_->error())));
        else if (state == QAudio::IdleState)
            Stop(); // played to its end
    });
    buffer_.seek(0);
    sink_->start(&buffer_);
    emit soundingChanged();
}

// The sound restarts every second while an alarm rings: a failure is told
// once, and again only after the sound has been given up for a while.
void StandardAlarm::Failed(const QString& why) {
    Stop();
    const bool fresh = !lastFailure_.isValid() || lastFailure_.elapsed() > 3000;
    lastFailure_.start();
    if (!fresh)
        return;
    qCWarning(lcActions).noquote() << QStringLiteral("cannot play the alarm sound: %1").arg(why);
    emit failed(why);
}
