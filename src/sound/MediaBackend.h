// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// The device a sound plays on: one sound at a time. Stop is harmless with
// nothing playing.
class MediaBackend : public QObject {
    Q_OBJECT
public:
    // Plays the file from its start, cutting whatever played; a looping one
    // plays on from its start at its end, without a gap.
    virtual void Play(const QString& path, bool loop) = 0;
    virtual void Stop() = 0;

signals:
    // The sound played to its last sample.
    void ended();
    // The file cannot be played: missing, not a file, no sound, spoilt while it played.
    void failed(const QString& why);
};
