// SPDX-License-Identifier: GPL-3.0-or-later
#include "PulseOutputVolume.h"

#include "PulseLoop.h"
#include "SoundLogging.h"
#include "SoundServer.h"

#include <pulse/pulseaudio.h>

namespace {

int PercentOf(pa_volume_t volume) {
    return int((quint64(volume) * 100 + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM);
}

// What the server makes the default when no card is left ("Dummy Output",
// of PulseAudio's always-sink module and of PipeWire's pulse server): it
// plays into nothing.
bool Dummy(const char* name) {
    return qstrcmp(name, "auto_null") == 0;
}

} // namespace

// A server that went may be back at once (a restart): until it is found
// missing, the outputs are not known.
PulseOutputVolume::PulseOutputVolume(SoundServer& server) : pulse_(server.Pulse()) {
    connect(&server, &SoundServer::connected, this, &PulseOutputVolume::Follow);
    connect(&server, &SoundServer::disconnected, this, [this, &server] {
        Publish({server.Missing(), {}, {}});
    });
    {
        const PulseLock lock(*pulse_);
        pulse_->outputsChanged = [this](pa_context* context) { Ask(context); };
    }
    Follow();
}

// No answer may come to what is gone.
PulseOutputVolume::~PulseOutputVolume() {
    const PulseLock lock(*pulse_);
    pulse_->outputsChanged = nullptr;
    for (pa_operation* asking : std::as_const(asking_)) {
        pa_operation_cancel(asking);
        pa_operation_unref(asking);
    }
}

// Each new connection is asked at once; the server tells of every change
// of an output or of the default one after.
void PulseOutputVolume::Follow() {
    const PulseLock lock(*pulse_);
    if (pa_context* context = pulse_->Ready())
        Ask(context); // not known before the server answers, or is found missing
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
    if (Dummy(info->name))
        return;
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
    if (!pa_cvolume_valid(&volume))
        return; // the library would abort
    qCDebug(lcSound) << "the output" << level.Output << "set to"
                     << (level.Muted ? "muted" : "unmuted") << PercentOf(pa_cvolume_max(&volume))
                     << "%";
    pa_operation_unref(pa_context_set_sink_volume_by_name(context, level.Output.constData(),
                                                          &volume, nullptr, nullptr));
    pa_operation_unref(pa_context_set_sink_mute_by_name(context, level.Output.constData(),
                                                        level.Muted, nullptr, nullptr));
}
