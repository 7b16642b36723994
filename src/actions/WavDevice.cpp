// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavDevice.h"

WavDevice::WavDevice(MediaBackend& backend, AlarmSound& fallback,
                     std::function<void()> onSingleEnded)
    : backend_(backend), fallback_(fallback), onSingleEnded_(std::move(onSingleEnded)) {
    backend_.OnCompletion = [this](int code) { OnCompletion(code); };
    backend_.OnFailure = [this] { FallBack(); };
}

void WavDevice::PlayWav(const QString& path, int repeat) {
    if (open_) {
        backend_.Close();
        open_ = false;
    }
    StopFallbackLoop();
    mark_ = repeat != 0 ? Mark::Repeating : Mark::Once;
    if (!backend_.Open(path)) {
        FallBack();
        return;
    }
    open_ = true;
    backend_.Play();
}

void WavDevice::StopWav() {
    if (mark_ != Mark::Repeating)
        return; // a single playback runs to its end
    backend_.Stop();
    backend_.Close();
    open_ = false;
    StopFallbackLoop();
    mark_ = Mark::None;
}

void WavDevice::OnCompletion(int code) {
    if (code != 1)
        return;
    if (mark_ == Mark::Repeating) {
        backend_.Rewind();
        backend_.Play();
    } else if (mark_ == Mark::Once) {
        onSingleEnded_();
    }
}

void WavDevice::StopFallbackLoop() {
    if (loopingFallback_)
        fallback_.StopLoop();
    loopingFallback_ = false;
}

void WavDevice::FallBack() {
    if (mark_ == Mark::Repeating) {
        if (!loopingFallback_)
            fallback_.StartLoop();
        loopingFallback_ = true;
    } else if (mark_ == Mark::Once) {
        fallback_.Play();
    }
}
