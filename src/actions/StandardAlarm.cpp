// SPDX-License-Identifier: GPL-3.0-or-later
#include "StandardAlarm.h"

#include "Warn.h"

#include <QAudioSink>
#include <QFile>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>
#include <sndfile.h>
#include <vector>

namespace {

const QString BuiltInTone = QStringLiteral(":/vendrix/alerm.wav");
constexpr qint64 LargestFile = 64 << 20;

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(LargestFile) : QByteArray();
}

// libsndfile reading from bytes in memory.
struct Memory {
    const QByteArray& bytes;
    sf_count_t at = 0;
};
Memory& Of(void* user) {
    return *static_cast<Memory*>(user);
}
sf_count_t Length(void* user) {
    return Of(user).bytes.size();
}
sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    Memory& m = Of(user);
    const sf_count_t base = whence == SEEK_CUR ? m.at : whence == SEEK_END ? m.bytes.size() : 0;
    m.at = std::clamp<sf_count_t>(base + offset, 0, m.bytes.size());
    return m.at;
}
sf_count_t Read(void* out, sf_count_t count, void* user) {
    Memory& m = Of(user);
    const sf_count_t n = std::clamp<sf_count_t>(m.bytes.size() - m.at, 0, count);
    std::memcpy(out, m.bytes.constData() + m.at, size_t(n));
    m.at += n;
    return n;
}
sf_count_t Write(const void*, sf_count_t, void*) {
    return 0;
}
sf_count_t Tell(void* user) {
    return Of(user).at;
}

} // namespace

std::optional<StandardAlarm::Pcm> StandardAlarm::Decode(const QByteArray& file, QString* error) {
    Memory memory{file};
    SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
    SF_INFO info{};
    SNDFILE* sound = sf_open_virtual(&io, SFM_READ, &info, &memory);
    if (!sound) {
        *error = QString::fromUtf8(sf_strerror(nullptr));
        return std::nullopt;
    }
    std::vector<float> samples;
    if (info.channels >= 1 && info.channels <= 8 && info.samplerate >= 1000 &&
        info.samplerate <= 384000 && info.frames > 0 && info.frames < LargestFile) {
        samples.resize(size_t(info.frames * info.channels));
        samples.resize(size_t(sf_readf_float(sound, samples.data(), info.frames) * info.channels));
    }
    sf_close(sound);
    if (samples.empty()) {
        *error = QStringLiteral("no sound in it");
        return std::nullopt;
    }
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

StandardAlarm::StandardAlarm(const QStringList& candidates,
                             std::function<void(const QString& why)> onFailed)
    : onFailed_(std::move(onFailed)) {
    std::optional<Pcm> decoded;
    QString error;
    for (const QString& path : candidates) {
        if (!QFile::exists(path))
            continue;
        if ((decoded = Decode(ReadFile(path), &error)))
            break;
        Warn(QStringLiteral("cannot use %1 as the alarm sound (%2)").arg(path, error));
    }
    sound_ = decoded ? *decoded : *Decode(ReadFile(BuiltInTone), &error);
    buffer_.setBuffer(&sound_.Samples);
    buffer_.open(QIODevice::ReadOnly);
}

StandardAlarm::~StandardAlarm() {
    Stop();
}

void StandardAlarm::Stop() {
    if (!sink_)
        return;
    sink_->disconnect();
    sink_->stop();
    sink_->deleteLater();
    sink_ = nullptr;
}

void StandardAlarm::Start() {
    Stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return Failed(QStringLiteral("no audio device"));
    sink_ = new QAudioSink(device, sound_.Format);
    QObject::connect(sink_, &QAudioSink::stateChanged, sink_, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && sink_->error() != QAudio::NoError)
            Failed(QStringLiteral("the audio stream failed (%1)").arg(int(sink_->error())));
        else if (state == QAudio::IdleState && looping_)
            Start();
    });
    buffer_.seek(0);
    sink_->start(&buffer_);
}

// The sound restarts every second while an alarm rings: a failure is told
// once, and again only after the sound has been given up for a while.
void StandardAlarm::Failed(const QString& why) {
    const bool fresh = !lastFailure_.isValid() || lastFailure_.elapsed() > 3000;
    lastFailure_.start();
    if (!fresh)
        return;
    Warn(QStringLiteral("cannot play the alarm sound: %1").arg(why));
    if (onFailed_)
        onFailed_(why);
}

void StandardAlarm::Play() {
    Start();
}

void StandardAlarm::StartLoop() {
    looping_ = true;
    Start();
}

void StandardAlarm::StopLoop() {
    looping_ = false;
    Stop();
}

void StandardAlarm::Cut() {
    if (!looping_)
        Stop();
}
