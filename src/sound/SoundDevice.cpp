// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundDevice.h"

#include "PlaybackStream.h"
#include "SoundStream.h"

#include <QFileInfo>

namespace {

// A file that did not answer (a hung network share) is not asked again for
// this long: every try leaves a thread waiting on it.
constexpr qint64 SilentForMs = 60'000;

} // namespace

SoundDevice::SoundDevice(SoundServer& server, int limitSeconds, QStringList fallbacks)
    : server_(server), limitSeconds_(limitSeconds), fallbacks_(std::move(fallbacks)) {}

SoundDevice::~SoundDevice() = default;

void SoundDevice::Play(const QString& path, bool loop) {
    chain_ = QStringList{path} + fallbacks_;
    chain_.removeDuplicates();
    loop_ = loop;
    Start(0);
}

// The one before is cut, unless all of it is with the server: its last
// moment then overlaps the new start rather than ending in a click.
void SoundDevice::Start(qsizetype at) {
    if (playing_) {
        playing_->disconnect(this);
        playing_->Abandon();
        playing_.release()->deleteLater();
    }
    const QString path = chain_[at];
    if (silent_.contains(path) && silent_[path].elapsed() < SilentForMs)
        return Failed(at, PlaybackStream::NoAnswer);
    const auto open = [path, loop = loop_, limit = limitSeconds_]() {
        Result<std::unique_ptr<SoundStream>> stream = SoundStream::Open(path, loop, limit);
        if (!stream)
            return Result<std::unique_ptr<SoundSource>>(stream.Error());
        return Result<std::unique_ptr<SoundSource>>(std::move(*stream));
    };
    playing_ = std::make_unique<PlaybackStream>(server_, open, QFileInfo(path).fileName());
    connect(playing_.get(), &PlaybackStream::ended, this, [this] {
        Stop();
        emit ended();
    });
    connect(playing_.get(), &PlaybackStream::failed, this, [this, at](const QString& why) {
        if (!playing_->Opened() && why == PlaybackStream::NoAnswer)
            silent_[chain_[at]].start();
        Failed(at, why);
    });
}

// A file that fails while it plays (cut short, spoilt meanwhile) gives way
// too: the rest of the ring is heard.
void SoundDevice::Failed(qsizetype at, const QString& why) {
    if (at + 1 < chain_.size()) {
        emit replaced(chain_[at], why);
        return Start(at + 1);
    }
    Stop();
    emit failed(why);
}

// Called from the playback's own signals too: it goes once they are done.
void SoundDevice::Stop() {
    if (!playing_)
        return;
    playing_->disconnect(this);
    playing_->Cut();
    playing_.release()->deleteLater();
}
