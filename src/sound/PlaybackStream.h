// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SoundSource.h"
#include "SoundStatus.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

class SoundServer;

// One sound on the sound server's connection: its source opened and read
// on a thread of its own, into a playback stream that says it is an alarm
// (so that the desktop shows it as Vendrix's and no policy ducks or corks
// it), at the ring's level. It starts at the first sample and ends when the
// last one has been played. When the server goes away the sound waits and
// plays on from where it was once the server is back; the server hears of
// both.
class PlaybackStream : public QObject {
    Q_OBJECT
public:
    // A source that has not opened after this long does not answer.
    static constexpr int AnswerMs = 3'000;
    inline static const QString NoAnswer = QStringLiteral("it does not answer");

    // Starts at once; `name` is what the desktop's sound settings show.
    PlaybackStream(SoundServer& server, SoundOpener open, const QString& name);
    // Cuts the sound, unless abandoned.
    ~PlaybackStream() override;

    // The source opened: a failure from now on is in its reading.
    bool Opened() const { return opened_; }
    // Nothing more is told, and the sound stops at once.
    void Cut();
    // Nothing more is told, and the sound is cut, unless the whole source is
    // with the server already: then it plays out (a restart without a click).
    void Abandon();

signals:
    // The last sample has been played.
    void ended();
    // It cannot be opened (or does not answer), or read any further.
    void failed(const QString& why);

private:
    struct Job;

    QPointer<SoundServer> server_;
    std::shared_ptr<Job> job_;
    QTimer answer_;
    bool abandoned_ = false;
    bool opened_ = false;
};
