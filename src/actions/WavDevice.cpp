// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavDevice.h"

WavDevice::WavDevice(MediaBackend& backend) : backend_(backend) {
    connect(&backend_, &MediaBackend::ended, this, &WavDevice::OnEnded);
    connect(&backend_, &MediaBackend::failed, this, &WavDevice::OnFailure);
}

void WavDevice::PlayWav(const QString& path, int repeat) {
    mark_ = repeat != 0 ? Mark::Repeating : Mark::Once;
    path_ = path;
    SetSounding(true);
    backend_.Play(path, mark_ == Mark::Repeating);
}

void WavDevice::StopWav() {
    if (mark_ == Mark::None)
        return;
    backend_.Stop();
    mark_ = Mark::None;
    SetSounding(false);
}

void WavDevice::OnEnded() {
    if (mark_ != Mark::Once)
        return;
    mark_ = Mark::None;
    SetSounding(false);
}

// A playback already stopped or ended has nothing left to fail.
void WavDevice::OnFailure(const QString& why) {
    if (!sounding_)
        return;
    mark_ = Mark::None;
    SetSounding(false);
    emit failed(path_, why);
}

void WavDevice::SetSounding(bool sounding) {
    if (sounding == sounding_)
        return;
    sounding_ = sounding;
    emit soundingChanged();
}
