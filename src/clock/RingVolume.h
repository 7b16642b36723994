// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OutputVolume.h"

#include <QElapsedTimer>
#include <QMap>
#include <QSet>
#include <QTimer>

// An alarm reaches the room: for a ring, a muted or turned-down default
// output is unmuted and brought up to half volume (only up, never down), and
// so is any output that becomes the default while it rings. When the ring
// ends, each is put back exactly as it was, unless the user changed it
// meanwhile: that change stands. An output lost with the sound server (a
// restart, a crash) is still owed its put-back: raised again if it comes
// back too quiet during the ring, put back once it is there after. While
// outputs are owed, what to put back is kept in a record, so that a run
// after a crash puts back an output that still shows the level it was
// raised to.
class RingVolume : public QObject {
    Q_OBJECT
public:
    static constexpr int Half = 50; // percent, as pactl shows it

    // `record`: where what is raised is kept (none when empty).
    RingVolume(OutputVolume& output, QString record);

    void Raise();
    void PutBack();
    // Whether an alarm would be heard badly or not at all as things stand.
    static bool TooQuiet(const OutputVolume::Level& level);

private:
    struct Raised {
        OutputVolume::Level Found; // what to put back
        OutputVolume::Level To;
        bool Ringing = false; // raised by the ring under way; else owed from before
        bool Reached = false; // the output has shown the raised level since it was there
        QElapsedTimer Seen;   // since an owed output was there again
    };

    void RaiseDefault();
    void Changed();
    bool Follow(Raised& raised, const OutputVolume::Level& now);
    bool Owed(Raised& raised, const OutputVolume::Level& now);
    void ReadRecord();
    void Write();

    OutputVolume& output_;
    const QString record_;
    bool ringing_ = false;
    QMap<QByteArray, Raised> raised_; // by this ring, and owed from before
    QSet<QByteArray> dealtWith_;      // outputs this ring raised, or found loud enough
    QByteArray written_;              // the record as it stands
    QTimer settle_;                   // a moment after an owed output is back, to judge it settled
};
