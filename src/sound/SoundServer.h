// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SoundStatus.h"

#include <QElapsedTimer>
#include <QTimer>
#include <memory>

struct PulseLoop;
struct pa_context;
struct pa_operation;

// Vendrix's one connection to the sound server (PulseAudio, or PipeWire's
// PulseAudio server), on the client library's own thread: every sound plays
// on it and the outputs' volume is followed on it. A server that is not
// there is tried again soon while a sound waits for it (and for a moment
// after it went, as a restart takes), otherwise seldom. While a sound
// plays, a server that stops answering is told.
class SoundServer : public SoundStatus {
    Q_OBJECT
public:
    // How the server is tried again: every SoonMs while a sound waits (for
    // WaitedMs after it asked) and for RestartMs after the server went,
    // else every LaterMs; and how long an answer may take.
    struct Timing {
        int SoonMs = 250;
        int LaterMs = 30'000;
        qint64 WaitedMs = 60'000;
        qint64 RestartMs = 5'000;
        qint64 StallMs = 3'000;
    };

    SoundServer();
    explicit SoundServer(Timing timing);
    ~SoundServer() override;

    const std::shared_ptr<PulseLoop>& Pulse() const { return pulse_; }
    // The server is known to be missing: tried, and not there.
    bool Missing() const { return missing_; }
    // A sound wants to be heard: the server is tried at once if it is not there.
    void Want();
    // A playback lives from Attach to Detach; what it meets is told.
    void Attach();
    void Detach();
    void Waiting(Silence why, const QString& detail);
    void Heard();

signals:
    // The connection can be used (again).
    void connected();
    // The server went away, or a try found none.
    void disconnected();

private:
    void Connect();
    void Lost(bool wasReady);
    void Ping();
    static void OnState(pa_context* context, void* self);
    static void Follow(pa_context* context, void* self);

    const Timing timing_;
    std::shared_ptr<PulseLoop> pulse_;
    QTimer retry_;
    QElapsedTimer wanted_; // since a sound last asked for the server
    QElapsedTimer lost_;   // since the server went
    bool missing_ = false;
    int playbacks_ = 0;
    QTimer ping_; // while a playback lives
    QElapsedTimer asked_;
    pa_operation* pinging_ = nullptr; // under the loop's lock
    bool wasReady_ = false;           // the connection was made: under the loop's lock
    bool stalled_ = false;
};
