// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <cmath>
#include <sndfile.h>
#include <vector>

// Writes a sound file of a 660 Hz tone at half scale in any form libsndfile
// writes: `format` is its format code (SF_FORMAT_WAV | SF_FORMAT_PCM_24...).
inline bool WriteSound(const QString& path, int format, int channels, int rate, int ms) {
    SF_INFO info{0, rate, channels, format, 0, 0};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<float> samples(size_t(rate * ms / 1000 * channels));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(0.5 * std::sin(2 * M_PI * 660 * double(i / channels) / rate));
    sf_writef_float(file, samples.data(), sf_count_t(samples.size()) / channels);
    return sf_close(file) == 0;
}
