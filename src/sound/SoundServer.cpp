// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundServer.h"

#include "PulseLoop.h"
#include "SoundLogging.h"

#include <QThread>
#include <pulse/pulseaudio.h>

namespace {

constexpr int DrainMs = 500;       // at the end, for what is still on its way to the server
constexpr int PingEveryMs = 1'000; // while a sound plays

void Drop(pa_context* context) {
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_set_subscribe_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
}

} // namespace

SoundServer::SoundServer() : SoundServer(Timing{}) {}

SoundServer::SoundServer(Timing timing) : timing_(timing), pulse_(std::make_shared<PulseLoop>()) {
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &SoundServer::Connect);
    ping_.setInterval(PingEveryMs);
    connect(&ping_, &QTimer::timeout, this, &SoundServer::Ping);
    Connect();
}

// What was asked last (the output put back as it was) reaches the server first.
SoundServer::~SoundServer() {
    const PulseLock lock(*pulse_);
    for (int waited = 0;
         pulse_->Ready() && pa_context_is_pending(pulse_->context) > 0 && waited < DrainMs;
         waited += 10) {
        pa_threaded_mainloop_unlock(pulse_->loop);
        QThread::msleep(10);
        pa_threaded_mainloop_lock(pulse_->loop);
    }
    if (pinging_)
        pa_operation_unref(std::exchange(pinging_, nullptr));
    if (pulse_->context)
        Drop(std::exchange(pulse_->context, nullptr));
    pulse_->Signal();
}

void SoundServer::Want() {
    wanted_.start();
    if (!retry_.isActive())
        return;
    retry_.stop();
    Connect();
}

void SoundServer::Attach() {
    if (playbacks_++ == 0)
        ping_.start();
}

void SoundServer::Detach() {
    if (--playbacks_ > 0)
        return;
    ping_.stop();
    stalled_ = false;
}

void SoundServer::Waiting(Silence why, const QString& detail) {
    Want();
    emit silenced(why, detail);
}

void SoundServer::Heard() {
    stalled_ = false;
    emit playing();
}

void SoundServer::Connect() {
    const PulseLock lock(*pulse_);
    if (pulse_->context)
        Drop(pulse_->context);
    wasReady_ = false;
    pa_proplist* about = pa_proplist_new();
    pa_proplist_sets(about, PA_PROP_APPLICATION_NAME, "Vendrix");
    pa_proplist_sets(about, PA_PROP_APPLICATION_ID, "vendrix");
    pa_proplist_sets(about, PA_PROP_APPLICATION_ICON_NAME, "vendrix");
    pulse_->context =
        pa_context_new_with_proplist(pa_threaded_mainloop_get_api(pulse_->loop), "Vendrix", about);
    pa_proplist_free(about);
    pa_context_set_state_callback(pulse_->context, &SoundServer::OnState, this);
    pa_context_connect(pulse_->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
}

// Tried again soon while a sound waits, and while a server that went may be
// restarting; a try that fails asks for nothing.
void SoundServer::Lost(bool wasReady) {
    if (wasReady)
        lost_.start();
    const bool restarting = lost_.isValid() && lost_.elapsed() < timing_.RestartMs;
    const bool waited = wanted_.isValid() && wanted_.elapsed() < timing_.WaitedMs;
    missing_ = !restarting;
    const int next = waited || restarting ? timing_.SoonMs : timing_.LaterMs;
    qCDebug(lcSound) << "no sound server; tried again in" << next << "ms";
    retry_.start(next);
    emit disconnected();
}

// While a sound plays, the server is asked something every second: one
// that stops answering (stopped, not gone) leaves the sound unheard.
void SoundServer::Ping() {
    const PulseLock lock(*pulse_);
    pa_context* context = pulse_->Ready();
    if (!context)
        return;
    if (!pinging_) {
        asked_.start();
        pinging_ = pa_context_get_server_info(
            context,
            [](pa_context*, const pa_server_info*, void* self) {
                auto* server = static_cast<SoundServer*>(self);
                pa_operation_unref(std::exchange(server->pinging_, nullptr));
            },
            this);
        return;
    }
    if (asked_.elapsed() < timing_.StallMs || std::exchange(stalled_, true))
        return;
    emit silenced(Silence::ServerHung, QStringLiteral("the sound server does not answer"));
}

// On the library's thread: every change of an output, of the default one,
// and of a stream's volume is followed.
void SoundServer::Follow(pa_context* context, void* self) {
    pa_context_set_subscribe_callback(
        context,
        [](pa_context* context, pa_subscription_event_type_t event, uint32_t index, void* self) {
            PulseLoop& pulse = *static_cast<SoundServer*>(self)->pulse_;
            const auto facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
            if (facility == PA_SUBSCRIPTION_EVENT_SINK_INPUT)
                pulse.level.Changed(context, index);
            else if (pulse.outputsChanged)
                pulse.outputsChanged(context);
        },
        self);
    pa_operation_unref(pa_context_subscribe(context,
                                            pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK |
                                                                   PA_SUBSCRIPTION_MASK_SERVER |
                                                                   PA_SUBSCRIPTION_MASK_SINK_INPUT),
                                            nullptr, nullptr));
}

// On the library's thread.
void SoundServer::OnState(pa_context* context, void* self) {
    auto* server = static_cast<SoundServer*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        qCDebug(lcSound) << "connected to the sound server";
        server->wasReady_ = true;
        Follow(context, self);
        QMetaObject::invokeMethod(
            server,
            [server] {
                server->missing_ = false;
                emit server->connected();
            },
            Qt::QueuedConnection);
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED: {
        server->pulse_->level.Lost();
        if (server->pinging_)
            pa_operation_unref(std::exchange(server->pinging_, nullptr));
        const bool wasReady = std::exchange(server->wasReady_, false);
        QMetaObject::invokeMethod(
            server, [server, wasReady] { server->Lost(wasReady); }, Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
    server->pulse_->Signal();
}
