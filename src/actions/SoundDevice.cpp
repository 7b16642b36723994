// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundDevice.h"

#include "SoundStream.h"

#include <QAudioSink>
#include <QMediaDevices>

SoundDevice::SoundDevice(int limitSeconds) : limitSeconds_(limitSeconds) {}

SoundDevice::~SoundDevice() {
    Close();
}

bool SoundDevice::Open(const QString& path, bool loop) {
    Close();
    Result<std::unique_ptr<SoundStream>> stream = SoundStream::Open(path, loop, limitSeconds_);
    if (!stream) {
        emit failed(stream.Error().Why);
        return false;
    }
    stream_ = std::move(*stream);
    connect(stream_.get(), &SoundStream::failed, this, &MediaBackend::failed);
    return true;
}

void SoundDevice::Play() {
    if (!stream_)
        return;
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull())
        return emit failed(QStringLiteral("no audio device"));
    sink_ = new QAudioSink(output, stream_->Format(), this);
    connect(sink_, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && sink_->error() != QAudio::NoError)
            emit failed(QStringLiteral("the audio stream failed (%1)").arg(int(sink_->error())));
        else if (state == QAudio::IdleState)
            emit completed(1); // played to its end
        else if (state == QAudio::ActiveState)
            emit started();
    });
    sink_->start(stream_.get());
}

void SoundDevice::Stop() {
    if (!sink_)
        return;
    sink_->disconnect(this);
    sink_->stop();
    sink_->deleteLater();
    sink_ = nullptr;
}

void SoundDevice::Close() {
    Stop();
    stream_.reset();
}
