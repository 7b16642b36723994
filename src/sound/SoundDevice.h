// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MediaBackend.h"

#include <QElapsedTimer>
#include <QHash>
#include <QStringList>
#include <memory>

class PlaybackStream;
class SoundServer;

// Every sound Vendrix makes plays here: a file streamed by SoundStream into
// a stream of its own on the sound server's connection. A file that cannot
// be opened (or does not answer) gives way to the next of the fallbacks, so
// that a chain of them never ends in silence.
class SoundDevice : public MediaBackend {
    Q_OBJECT
public:
    // limitSeconds: no playback lasts longer (0: the whole file).
    explicit SoundDevice(SoundServer& server, int limitSeconds = 0, QStringList fallbacks = {});
    ~SoundDevice() override;

    void Play(const QString& path, bool loop) override;
    void Stop() override;

signals:
    // `path` could not be played (why): the next in line plays instead.
    void replaced(const QString& path, const QString& why);

private:
    void Start(qsizetype at);
    void Failed(qsizetype at, const QString& why);

    SoundServer& server_;
    int limitSeconds_;
    QStringList fallbacks_;
    QStringList chain_; // what plays now, then what may stand in for it
    bool loop_ = false;
    std::unique_ptr<PlaybackStream> playing_;
    QHash<QString, QElapsedTimer> silent_; // files that did not answer, and since when
};
