// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MediaBackend.h"

#include <QObject>
#include <QString>

// A slot's WAV playback. The mark says what it is: Repeating ("rep") loops
// until stopped, Once ("norep") ends the sound at the end of the file, None
// plays nothing. Only a completion with code 1 acts, and by the mark at the
// moment it arrives, so a late completion of a replaced or stopped playback
// changes nothing. Any playback can be stopped.
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

    void OnCompletion(int code);
    void OnFailure(const QString& why);
    void Close();
    void End();
    void SetSounding(bool sounding);

    MediaBackend& backend_;
    Mark mark_ = Mark::None;
    QString path_;
    bool open_ = false;
    bool sounding_ = false;
};
