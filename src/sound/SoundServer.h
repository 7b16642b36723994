// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

struct PulseLoop;
struct pa_context;

// Vendrix's one connection to the sound server (PulseAudio, or PipeWire's
// PulseAudio server), on the client library's own thread: every sound plays
// on it and the default output's volume is followed on it. A server that
// goes away, or is not there yet, is tried again every second for a minute
// after it went or after a sound asked for it, then every half minute.
class SoundServer : public QObject {
    Q_OBJECT
public:
    SoundServer();
    ~SoundServer() override;

    const std::shared_ptr<PulseLoop>& Pulse() const { return pulse_; }
    // A sound wants to be heard: the server is tried at once if it is not there.
    void Want();

signals:
    // The connection can be used (again).
    void connected();
    // The server went away, or cannot be reached.
    void disconnected();

private:
    void Connect();
    void Retry();
    static void OnState(pa_context* context, void* self);

    std::shared_ptr<PulseLoop> pulse_;
    QTimer retry_;
    QElapsedTimer wanted_; // since the server went or a sound asked for it
};
