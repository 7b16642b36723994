// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavDevice.h"

WavDevice::WavDevice(MediaBackend& backend) : backend_(backend) {
    connect(&backend_, &MediaBackend::completed, this, &WavDevice::OnCompletion);
    connect(&backend_, &MediaBackend::failed, this, &WavDevice::OnFailure);
}

void WavDevice::PlayWav(const QString& path, int repeat) {
    Close();
    mark_ = repeat != 0 ? Mark::Repeating : Mark::Once;
    path_ = path;
    SetSounding(true);
    if (!backend_.Open(path, mark_ == Mark::Repeating))
        return; // failed() has told why
    open_ = true;
    backend_.Play();
}

void WavDevice::StopWav() {
    if (mark_ == Mark::None)
        return;
    backend_.Stop();
    End();
}

// Nothing plays any more: the file is closed and the mark cleared.
void WavDevice::End() {
    Close();
    mark_ = Mark::None;
    SetSounding(false);
}

void WavDevice::Close() {
    if (open_)
        backend_.Close();
    open_ = false;
}

void WavDevice::OnCompletion(int code) {
    if (code != 1)
        return;
    if (mark_ == Mark::Once)
        End();
}

// A playback already stopped or ended has nothing left to fail.
void WavDevice::OnFailure(const QString& why) {
    if (!sounding_)
        return;
    SetSounding(false);
    emit failed(path_, why);
}

void WavDevice::SetSounding(bool sounding) {
    if (sounding == sounding_)
        return;
    sounding_ = sounding;
    emit soundingChanged();
}
