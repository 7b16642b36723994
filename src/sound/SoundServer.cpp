// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundServer.h"

#include "SoundLogging.h"
#include "PulseLoop.h"

#include <QThread>
#include <pulse/pulseaudio.h>

namespace {

constexpr int SoonMs = 250;         // while a sound waits for the server
constexpr int LaterMs = 30'000;     // while nothing does
constexpr qint64 WaitedMs = 60'000; // how long "soon" lasts after it was asked for
constexpr int DrainMs = 500;        // at the end, for what is still on its way to the server

void Drop(pa_context* context) {
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_set_subscribe_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
}

} // namespace

SoundServer::SoundServer() : pulse_(std::make_shared<PulseLoop>()) {
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &SoundServer::Connect);
    wanted_.start();
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
    if (pulse_->context)
        Drop(std::exchange(pulse_->context, nullptr));
    pulse_->Signal();
}

void SoundServer::Want() {
    wanted_.restart();
    if (!retry_.isActive())
        return;
    retry_.stop();
    Connect();
}

void SoundServer::Connect() {
    const PulseLock lock(*pulse_);
    if (pulse_->context)
        Drop(pulse_->context);
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

void SoundServer::Retry() {
    const bool waited = wanted_.elapsed() < WaitedMs;
    qCDebug(lcSound) << "no sound server; tried again in" << (waited ? SoonMs : LaterMs) << "ms";
    retry_.start(waited ? SoonMs : LaterMs);
}

// On the library's thread.
void SoundServer::OnState(pa_context* context, void* self) {
    auto* server = static_cast<SoundServer*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        qCDebug(lcSound) << "connected to the sound server";
        QMetaObject::invokeMethod(server, &SoundServer::connected, Qt::QueuedConnection);
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        QMetaObject::invokeMethod(
            server,
            [server] {
                server->wanted_.restart(); // whatever played is waiting for it now
                server->Retry();
                emit server->disconnected();
            },
            Qt::QueuedConnection);
        break;
    default:
        break;
    }
    server->pulse_->Signal();
}
