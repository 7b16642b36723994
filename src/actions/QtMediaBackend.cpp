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
                         if (status == QMediaPlayer::EndOfMedia)
                             emit completed(1);
                         else if (status == QMediaPlayer::InvalidMedia)
                             ReportFailure(QStringLiteral("not a sound it can play"));
                     });
    QObject::connect(player_.get(), &QMediaPlayer::errorOccurred, player_.get(),
                     [this](QMediaPlayer::Error error, const QString& text) {
                         if (error != QMediaPlayer::NoError)
                             ReportFailure(text);
                     });
}

// The player reports one fault in several ways: it is told once.
void QtMediaBackend::ReportFailure(const QString& why) {
    if (failureReported_)
        return;
    failureReported_ = true;
    emit failed(why);
}

bool QtMediaBackend::Open(const QString& path) {
    const QFileInfo file(path);
    const QString why = path.isEmpty()       ? QStringLiteral("no file named")
                        : !file.exists()     ? QStringLiteral("no such file")
                        : !file.isFile()     ? QStringLiteral("not a file")
                        : !file.isReadable() ? QStringLiteral("not readable")
                                             : QString();
    if (!why.isEmpty()) {
        emit failed(why);
        return false;
    }
    EnsurePlayer();
    failureReported_ = false;
    player_->setSource(
        QUrl()); // a file readied by Prepare is loaded afresh: the same one would not play
    player_->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    return true;
}

// Loading a file once makes the media framework load what it needs to play
// it, which takes longer than the first second of a ring.
void QtMediaBackend::Prepare(const QString& path) {
    EnsurePlayer();
    player_->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
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
