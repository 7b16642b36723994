// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// Why no sound of Vendrix can be made now.
enum class Silence {
    NoServer,   // none runs, or it cannot be reached
    ServerGone, // it went away while a sound played
    ServerHung, // it is there but does not answer
    Refused,    // it would not play the stream
    NoOutput,   // no output is left but the server's stand-in, which plays into nothing
};

// How the sounds Vendrix plays fare on the sound server: that one waits,
// unheard, and why; that one plays.
class SoundStatus : public QObject {
    Q_OBJECT
signals:
    // A sound cannot be made now; it plays once it can. `detail`: the
    // library's own words, for standard error.
    void silenced(Silence why, const QString& detail);
    // A sound plays on the server: at its start, and again after a silence.
    void playing();
};
