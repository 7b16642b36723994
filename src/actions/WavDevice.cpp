#include "WavDevice.h"

namespace {
const QString Repeating = QStringLiteral("rep");
const QString Once = QStringLiteral("norep");
} // namespace

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
    mark_ = repeat != 0 ? Repeating : Once;
    if (!backend_.Open(path)) {
        FallBack();
        return;
    }
    open_ = true;
    backend_.Play();
}

void WavDevice::StopWav() {
    if (mark_ != Repeating)
        return; // a single playback runs to its end
    backend_.Stop();
    backend_.Close();
    open_ = false;
    StopFallbackLoop();
    mark_.clear();
}

void WavDevice::OnCompletion(int code) {
    if (code != 1)
        return;
    if (mark_ == Repeating) {
        backend_.Rewind();
        backend_.Play();
    } else if (mark_ == Once) {
        onSingleEnded_();
    }
}

void WavDevice::StopFallbackLoop() {
    if (loopingFallback_)
        fallback_.StopLoop();
    loopingFallback_ = false;
}

void WavDevice::FallBack() {
    if (mark_ == Repeating) {
        if (!loopingFallback_)
            fallback_.StartLoop();
        loopingFallback_ = true;
    } else if (mark_ == Once) {
        fallback_.Play();
    }
}
