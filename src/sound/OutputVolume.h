// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

// The desktop's sound outputs: the default one, and any other by name;
// whether each is muted and how loud, as last heard from the sound server,
// which tells of every change.
class OutputVolume : public QObject {
    Q_OBJECT
public:
    struct Level {
        bool Known = false;   // the sound server has answered (or cannot be reached)
        bool Present = false; // the output is there
        QByteArray Output;    // its name on the server
        bool Muted = false;
        int Percent = 0;         // the loudest channel, as pactl shows it
        QList<quint32> Channels; // each channel as the server keeps it: put back exactly
        bool operator==(const Level&) const = default;
    };

    // The default output.
    virtual Level Current() const = 0;
    // The output of that name.
    virtual Level Of(const QByteArray& output) const = 0;
    // Mutes or unmutes level.Output and sets its volume: each channel as in
    // Channels when given, else every channel to Percent.
    virtual void Set(const Level& level) = 0;

signals:
    void changed();
};
