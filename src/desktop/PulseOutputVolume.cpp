// SPDX-License-Identifier: GPL-3.0-or-later
#include "PulseOutputVolume.h"

#include "DesktopLogging.h"

#include <QThread>
#include <QTimer>
#include <pulse/pulseaudio.h>

namespace {

constexpr int RetryMs = 30'000;
constexpr int DrainMs = 500; // at the end, for what is still on its way to the server

// While it lives, the library's thread keeps off the shared state.
class Locked {
public:
    explicit Locked(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
    ~Locked() { pa_threaded_mainloop_unlock(loop_); }

private:
    pa_threaded_mainloop* loop_;
};

int PercentOf(pa_volume_t volume) {
    return int((quint64(volume) * 100 + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM);
}

} // namespace

PulseOutputVolume::PulseOutputVolume() : loop_(pa_threaded_mainloop_new()) {
    pa_threaded_mainloop_start(loop_);
    Connect();
}

PulseOutputVolume::~PulseOutputVolume() {
    {
        const Locked locked(loop_);
        for (int waited = 0; context_ && pa_context_get_state(context_) == PA_CONTEXT_READY &&
                             pa_context_is_pending(context_) > 0 && waited < DrainMs;
             waited += 10) {
            pa_threaded_mainloop_unlock(loop_);
            QThread::msleep(10);
            pa_threaded_mainloop_lock(loop_);
        }
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
    }
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

void PulseOutputVolume::Connect() {
    const Locked locked(loop_);
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Vendrix");
    pa_context_set_state_callback(context_, &PulseOutputVolume::OnContext, this);
    pa_context_set_subscribe_callback(
        context_,
        [](pa_context* context, pa_subscription_event_type_t, uint32_t, void* self) {
            static_cast<PulseOutputVolume*>(self)->Ask(context);
        },
        this);
    pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
}

void PulseOutputVolume::OnContext(pa_context* context, void* self) {
    auto* volume = static_cast<PulseOutputVolume*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        pa_operation_unref(pa_context_subscribe(
            context,
            pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
            nullptr, nullptr));
        volume->Ask(context);
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        volume->Publish({true, false, false, 0, {}});
        QMetaObject::invokeMethod(
            volume,
            [volume] { QTimer::singleShot(RetryMs, volume, [volume] { volume->Connect(); }); },
            Qt::QueuedConnection);
        break;
    default:
        break;
    }
}

// What the default output is, then how it stands.
void PulseOutputVolume::Ask(pa_context* context) {
    pa_operation_unref(pa_context_get_server_info(context, &PulseOutputVolume::OnServer, this));
}

void PulseOutputVolume::OnServer(pa_context* context, const pa_server_info* info, void* self) {
    auto* volume = static_cast<PulseOutputVolume*>(self);
    volume->sink_ = info && info->default_sink_name ? info->default_sink_name : "";
    if (volume->sink_.isEmpty())
        return volume->Publish({true, false, false, 0, {}});
    pa_operation_unref(pa_context_get_sink_info_by_name(context, volume->sink_.constData(),
                                                        &PulseOutputVolume::OnSink, self));
}

void PulseOutputVolume::OnSink(pa_context*, const pa_sink_info* info, int eol, void* self) {
    auto* volume = static_cast<PulseOutputVolume*>(self);
    if (eol < 0)
        return volume->Publish({true, false, false, 0, {}});
    if (!info)
        return;
    Level level{true, true, info->mute != 0, PercentOf(pa_cvolume_max(&info->volume)), {}};
    for (int c = 0; c < info->volume.channels; ++c)
        level.Channels << info->volume.values[c];
    volume->Publish(level);
}

void PulseOutputVolume::Publish(const Level& level) {
    {
        const QMutexLocker locker(&mutex_);
        if (level == level_)
            return;
        level_ = level;
    }
    QMetaObject::invokeMethod(this, &OutputVolume::changed, Qt::QueuedConnection);
}

OutputVolume::Level PulseOutputVolume::Current() const {
    const QMutexLocker locker(&mutex_);
    return level_;
}

void PulseOutputVolume::Set(const Level& level) {
    const Level now = Current();
    const Locked locked(loop_);
    if (sink_.isEmpty() || !now.Present || !context_ ||
        pa_context_get_state(context_) != PA_CONTEXT_READY)
        return;
    pa_cvolume volume{};
    if (!level.Channels.isEmpty()) {
        volume.channels = quint8(std::min<qsizetype>(level.Channels.size(), PA_CHANNELS_MAX));
        for (int c = 0; c < volume.channels; ++c)
            volume.values[c] = level.Channels[c];
    } else {
        pa_cvolume_set(&volume, unsigned(std::max<qsizetype>(now.Channels.size(), 1)),
                       pa_volume_t(quint64(PA_VOLUME_NORM) * quint64(level.Percent) / 100));
    }
    qCDebug(lcDesktop) << "the output set to" << (level.Muted ? "muted" : "unmuted")
                       << PercentOf(pa_cvolume_max(&volume)) << "%";
    pa_operation_unref(
        pa_context_set_sink_volume_by_name(context_, sink_.constData(), &volume, nullptr, nullptr));
    pa_operation_unref(pa_context_set_sink_mute_by_name(context_, sink_.constData(), level.Muted,
                                                        nullptr, nullptr));
}
