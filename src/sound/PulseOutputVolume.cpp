// SPDX-License-Identifier: GPL-3.0-or-later
#include "PulseOutputVolume.h"

#include "SoundLogging.h"
#include "PulseLoop.h"
#include "SoundServer.h"

#include <pulse/pulseaudio.h>

namespace {

int PercentOf(pa_volume_t volume) {
    return int((quint64(volume) * 100 + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM);
}

} // namespace

PulseOutputVolume::PulseOutputVolume(SoundServer& server) : pulse_(server.Pulse()) {
    connect(&server, &SoundServer::connected, this, &PulseOutputVolume::Follow);
    connect(&server, &SoundServer::disconnected, this, [this] { Publish({true, {}, {}}); });
    Follow();
}

// No answer may come to what is gone.
PulseOutputVolume::~PulseOutputVolume() {
    const PulseLock lock(*pulse_);
    if (pulse_->context)
        pa_context_set_subscribe_callback(pulse_->context, nullptr, nullptr);
    for (pa_operation* asking : std::as_const(asking_)) {
        pa_operation_cancel(asking);
        pa_operation_unref(asking);
    }
}

// Each new connection is followed: every change of an output or of the
// default one is asked about.
void PulseOutputVolume::Follow() {
    const PulseLock lock(*pulse_);
    pa_context* context = pulse_->Ready();
    if (!context)
        return; // not known before the server answers, or is found missing
    pa_context_set_subscribe_callback(
        context,
        [](pa_context* context, pa_subscription_event_type_t, uint32_t, void* self) {
            static_cast<PulseOutputVolume*>(self)->Ask(context);
        },
        this);
    pa_operation_unref(pa_context_subscribe(
        context, pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
        nullptr, nullptr));
    Ask(context);
}

// Which output is the default, then how every output stands; the server
// answers in order.
void PulseOutputVolume::Ask(pa_context* context) {
    asking_.removeIf([](pa_operation* asking) {
        if (pa_operation_get_state(asking) == PA_OPERATION_RUNNING)
            return false;
        pa_operation_unref(asking);
        return true;
    });
    asking_ << pa_context_get_server_info(context, &PulseOutputVolume::OnServer, this)
            << pa_context_get_sink_info_list(context, &PulseOutputVolume::OnSink, this);
    asking_.removeAll(nullptr);
}

void PulseOutputVolume::OnServer(pa_context*, const pa_server_info* info, void* self) {
    auto* volume = static_cast<PulseOutputVolume*>(self);
    volume->asked_ = {true, info && info->default_sink_name ? info->default_sink_name : "", {}};
}

void PulseOutputVolume::OnSink(pa_context*, const pa_sink_info* info, int eol, void* self) {
    auto* volume = static_cast<PulseOutputVolume*>(self);
    if (eol != 0)
        return volume->Publish(eol > 0 ? volume->asked_ : Outputs{true, {}, {}});
    Level level{true, true, info->name, info->mute != 0, PercentOf(pa_cvolume_max(&info->volume)),
                {}};
    for (int c = 0; c < info->volume.channels; ++c)
        level.Channels << info->volume.values[c];
    volume->asked_.Levels.insert(level.Output, level);
}

void PulseOutputVolume::Publish(const Outputs& outputs) {
    {
        const QMutexLocker locker(&mutex_);
        if (outputs == outputs_)
            return;
        outputs_ = outputs;
    }
    QMetaObject::invokeMethod(this, &OutputVolume::changed, Qt::QueuedConnection);
}

OutputVolume::Level PulseOutputVolume::Current() const {
    const QMutexLocker locker(&mutex_);
    return outputs_.Levels.value(outputs_.Default, Level{outputs_.Known, false, {}, false, 0, {}});
}

OutputVolume::Level PulseOutputVolume::Of(const QByteArray& output) const {
    const QMutexLocker locker(&mutex_);
    return outputs_.Levels.value(output, Level{outputs_.Known, false, output, false, 0, {}});
}

void PulseOutputVolume::Set(const Level& level) {
    const Level now = Of(level.Output);
    const PulseLock lock(*pulse_);
    pa_context* context = pulse_->Ready();
    if (!now.Present || !context)
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
    qCDebug(lcSound) << "the output" << level.Output << "set to"
                       << (level.Muted ? "muted" : "unmuted") << PercentOf(pa_cvolume_max(&volume))
                       << "%";
    pa_operation_unref(pa_context_set_sink_volume_by_name(context, level.Output.constData(),
                                                          &volume, nullptr, nullptr));
    pa_operation_unref(pa_context_set_sink_mute_by_name(context, level.Output.constData(),
                                                        level.Muted, nullptr, nullptr));
}
