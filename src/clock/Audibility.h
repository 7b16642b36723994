// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OutputVolume.h"
#include "SoundStatus.h"

#include <QObject>

// Whether what sounds is heard. It is not while a sound waits for the
// server (gone, not answering, refusing) nor while no output is left but
// the server's stand-in; once silent, it is heard again only when a sound
// plays and the output is there and not muted. Each silent stretch is told
// once, on standard error and by its signal.
class Audibility : public QObject {
    Q_OBJECT
public:
    Audibility(SoundStatus& sound, OutputVolume& volume);

    // Something of Vendrix's sounds, or nothing any more.
    void Sounding(bool sounding);

signals:
    void silenced(Silence why);
    void heard();

private:
    void Silent(Silence why, const QString& detail);
    void OutputChanged();
    void Heard();

    OutputVolume& volume_;
    bool sounding_ = false;
    bool silent_ = false;
    bool playing_ = false; // a sound plays on the server since the silence began
};
