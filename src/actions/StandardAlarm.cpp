#include "StandardAlarm.h"

#include <QAudioSink>
#include <QFile>
#include <QMediaDevices>
#include <QtEndian>

namespace {

const QString BuiltInTone = QStringLiteral(":/vendrix/alerm.wav");

std::optional<QAudioFormat::SampleFormat> SampleFormat(quint16 code, quint16 bits) {
    if (code == 1 && bits == 8)
        return QAudioFormat::UInt8;
    if (code == 1 && bits == 16)
        return QAudioFormat::Int16;
    if (code == 1 && bits == 32)
        return QAudioFormat::Int32;
    if (code == 3 && bits == 32)
        return QAudioFormat::Float;
    return std::nullopt;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(64 << 20) : QByteArray();
}

} // namespace

std::optional<StandardAlarm::Pcm> StandardAlarm::Decode(const QByteArray& wav) {
    if (wav.size() < 12 || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE")
        return std::nullopt;
    std::optional<QAudioFormat> format;
    for (qsizetype at = 12; at + 8 <= wav.size();) {
        const QByteArray id = wav.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(wav.constData() + at + 4);
        const qsizetype body = at + 8;
        const qsizetype length = std::min<qsizetype>(size, wav.size() - body);
        if (id == "fmt " && length >= 16) {
            const char* f = wav.constData() + body;
            const quint16 channels = qFromLittleEndian<quint16>(f + 2);
            const quint32 rate = qFromLittleEndian<quint32>(f + 4);
            const auto sample =
                SampleFormat(qFromLittleEndian<quint16>(f), qFromLittleEndian<quint16>(f + 14));
            if (!sample || channels < 1 || channels > 8 || rate < 1000 || rate > 384000)
                return std::nullopt;
            format.emplace();
            format->setChannelCount(channels);
            format->setSampleRate(int(rate));
            format->setSampleFormat(*sample);
        } else if (id == "data" && format) {
            const QByteArray samples = wav.mid(body, length);
            if (samples.isEmpty())
                return std::nullopt;
            return Pcm{*format, samples};
        }
        at = body + qsizetype(size) + (size & 1); // chunks are padded to even sizes
    }
    return std::nullopt;
}

StandardAlarm::StandardAlarm(const QStringList& candidates) {
    std::optional<Pcm> decoded;
    for (const QString& path : candidates) {
        if (QFile::exists(path) && (decoded = Decode(ReadFile(path))))
            break;
    }
    builtIn_ = !decoded;
    sound_ = decoded ? *decoded : *Decode(ReadFile(BuiltInTone));
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
    sink_ = new QAudioSink(QMediaDevices::defaultAudioOutput(), sound_.Format);
    QObject::connect(sink_, &QAudioSink::stateChanged, sink_, [this](QAudio::State state) {
        if (state == QAudio::IdleState && looping_)
            Start();
    });
    buffer_.seek(0);
    sink_->start(&buffer_);
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
