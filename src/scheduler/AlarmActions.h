// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// What a firing alarm does. Every call returns at once; sound plays on, and
// what happens later (an end, a failure) is told by the signals, which may
// also come from within the call itself.
class AlarmActions : public QObject {
    Q_OBJECT
public:
    virtual void PlayStandardAlarm() = 0;
    virtual void PlayWav(const QString& path, int repeat) = 0;
    // Stops the WAV playback, looping or single.
    virtual void StopWav() = 0;
    // Cuts the standard alarm sound short.
    virtual void StopStandardAlarm() = 0;
    virtual void LaunchExec(const QString& text) = 0;
    // Whether any sound of the program is playing now.
    virtual bool Sounding() const = 0;

signals:
    // The WAV cannot be played, or the launch cannot start; why, in a few words.
    void wavFailed(const QString& path, const QString& why);
    void launchFailed(const QString& text, const QString& why);
    void soundingChanged();
};
