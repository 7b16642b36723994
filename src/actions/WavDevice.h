// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MediaBackend.h"

#include <QObject>
#include <QString>

// A slot's WAV playback. The mark says what it is: Repeating ("rep") loops
// until stopped, Once ("norep") ends the sound at the end of the file, None
// plays nothing. The end of a playback acts by the mark at the moment it
// arrives, so it never ends a loop. Any playback can be stopped.
class WavDevice : public QObject {
    Q_OBJECT
public:
    explicit WavDevice(MediaBackend& backend);

    void PlayWav(const QString& path, int repeat);
    void StopWav();
    bool Sounding() const { return sounding_; }

signals:
    void failed(const QString& path, const QString& why);
    void soundingChanged();

private:
    enum class Mark { None, Repeating, Once };

    void OnEnded();
    void OnFailure(const QString& why);
    void SetSounding(bool sounding);

    MediaBackend& backend_;
    Mark mark_ = Mark::None;
    QString path_;
    bool sounding_ = false;
};
