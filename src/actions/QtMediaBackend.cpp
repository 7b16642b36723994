// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtMediaBackend.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>

QtMediaBackend::QtMediaBackend() = default;
QtMediaBackend::~QtMediaBackend() = default;

void QtMediaBackend::EnsurePlayer() {
    if (player_)
        return;
    output_ = std::make_unique<QAudioOutput>();
    player_ = std::make_unique<QMediaPlayer>();
    player_->setAudioOutput(output_.get());
    QObject::connect(player_.get(), &QMediaPlayer::mediaStatusChanged, player_.get(),
                     [this](QMediaPlayer::MediaStatus status) {
                         if (status == QMediaPlayer::EndOfMedia && OnCompletion)
                             OnCompletion(1);
                         else if (status == QMediaPlayer::InvalidMedia)
                             ReportFailure();
                     });
    QObject::connect(player_.get(), &QMediaPlayer::errorOccurred, player_.get(),
                     [this](QMediaPlayer::Error error) {
                         if (error != QMediaPlayer::NoError)
                             ReportFailure();
                     });
}

void QtMediaBackend::ReportFailure() {
    if (failureReported_ || !OnFailure)
        return;
    failureReported_ = true;
    OnFailure();
}

bool QtMediaBackend::Open(const QString& path) {
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile() || !file.isReadable())
        return false;
    EnsurePlayer();
    failureReported_ = false;
    player_->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    return true;
}

void QtMediaBackend::Play() {
    if (player_)
        player_->play();
}

// Seeking back to the start at the end of a pass sometimes leaves the
// GStreamer pipeline waiting on a wildly skewed clock: the player reports
// Playing but no sample reaches the speaker again. Loading the file afresh
// gives every pass a new pipeline, which has never stalled.
void QtMediaBackend::Rewind() {
    if (!player_)
        return;
    const QUrl source = player_->source();
    player_->setSource(QUrl());
    player_->setSource(source);
}

void QtMediaBackend::Stop() {
    if (player_)
        player_->stop();
}

void QtMediaBackend::Close() {
    if (player_)
        player_->setSource(QUrl());
}
