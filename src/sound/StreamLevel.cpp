// SPDX-License-Identifier: GPL-3.0-or-later
#include "StreamLevel.h"

#include "SoundLogging.h"

#include <pulse/pulseaudio.h>

namespace {

// Streams apart by less than this belong to one ring: the standard alarm
// plays a stream a second.
constexpr pa_usec_t RingGapUs = 3'000'000;

} // namespace

StreamLevel::StreamLevel() : volume_(PA_VOLUME_NORM) {}

void StreamLevel::Fill(pa_cvolume& volume, unsigned channels) const {
    pa_cvolume_set(&volume, channels, pa_volume_t(volume_));
}

void StreamLevel::Playing(pa_context* context, uint32_t index) {
    Began(index, pa_rtclock_now());
    Changed(context, index);
}

void StreamLevel::Began(uint32_t index, uint64_t nowUs) {
    if (streams_.empty() && nowUs - lastUs_ > RingGapUs) { // a new ring: full again
        muted_ = false;
        volume_ = PA_VOLUME_NORM;
    }
    lastUs_ = nowUs;
    streams_[index] = false;
}

void StreamLevel::Ended(uint32_t index, uint64_t nowUs) {
    if (streams_.erase(index) > 0)
        lastUs_ = nowUs;
}

void StreamLevel::Changed(pa_context* context, uint32_t index) {
    if (streams_.count(index) > 0)
        pa_operation_unref(
            pa_context_get_sink_input_info(context, index, &StreamLevel::OnInfo, this));
}

void StreamLevel::OnInfo(pa_context* context, const pa_sink_input_info* info, int eol, void* self) {
    if (eol == 0 && info)
        static_cast<StreamLevel*>(self)->Check(context, *info);
}

// Until a stream has shown the ring's level, what differs is the server's
// doing (a level it remembered, restored late); after, the user's.
StreamLevel::Shown StreamLevel::Judge(uint32_t index, bool muted, uint32_t volume) {
    const auto stream = streams_.find(index);
    if (stream == streams_.end())
        return Shown::Other;
    if (muted == muted_ && volume == volume_) {
        stream->second = true;
        return Shown::Ring;
    }
    if (!stream->second)
        return Shown::Servers;
    muted_ = muted;
    volume_ = volume;
    for (auto& [other, shown] : streams_) // the ring's other streams follow
        shown = other == index;
    return Shown::Users;
}

void StreamLevel::Check(pa_context* context, const pa_sink_input_info& info) {
    const bool muted = info.mute != 0;
    const pa_volume_t volume = pa_cvolume_max(&info.volume);
    switch (Judge(info.index, muted, volume)) {
    case Shown::Other:
    case Shown::Ring:
        return;
    case Shown::Users:
        qCDebug(lcSound) << "the user set the ring's stream to" << (muted ? "muted" : "unmuted")
                         << volume << "; it stays so for this ring";
        for (const auto& [other, shown] : streams_) {
            if (!shown)
                Changed(context, other);
        }
        return;
    case Shown::Servers:
        qCDebug(lcSound) << "the server gave the ring's stream" << (muted ? "muted" : "unmuted")
                         << volume << "; set to the ring's level";
        pa_cvolume level;
        Fill(level, info.volume.channels);
        pa_operation_unref(
            pa_context_set_sink_input_volume(context, info.index, &level, nullptr, nullptr));
        pa_operation_unref(
            pa_context_set_sink_input_mute(context, info.index, muted_, nullptr, nullptr));
        return;
    }
}
