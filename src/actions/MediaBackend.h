// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// The device a slot's WAV plays on: one file open at a time. Stop and close
// are harmless with nothing open.
class MediaBackend : public QObject {
    Q_OBJECT
public:
    // False when the file cannot be opened at all; failed() has said why.
    virtual bool Open(const QString& path) = 0;
    virtual void Play() = 0;
    // Back to the start of the open file, ready to play it again.
    virtual void Rewind() = 0;
    virtual void Stop() = 0;
    virtual void Close() = 0;

signals:
    // Code 1 when a playback ran to its end, another code otherwise.
    void completed(int code);
    // The file cannot be played: missing, unreadable, or no sound the device knows.
    void failed(const QString& why);
};
