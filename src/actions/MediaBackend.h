// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// The device a sound plays on: one file open at a time. Stop and close are
// harmless with nothing open.
class MediaBackend : public QObject {
    Q_OBJECT
public:
    // False when the file cannot be opened at all; failed() has said why. A
    // looping file plays on from its start at its end, without a gap.
    virtual bool Open(const QString& path, bool loop) = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual void Close() = 0;

signals:
    // Code 1 when a playback ran to its end, another code otherwise.
    void completed(int code);
    // The file cannot be played: missing, unreadable, no sound, or no device.
    void failed(const QString& why);
};
