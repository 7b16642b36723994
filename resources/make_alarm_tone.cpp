// SPDX-License-Identifier: GPL-3.0-or-later
// Writes Vendrix's standard alarm sound: about one second of three bright
// two-tone chimes (mono, 16-bit PCM WAV, 44.1 kHz). Run by the build.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr int Rate = 44100;

void Put16(std::FILE* f, uint16_t v) {
    std::fputc(v & 0xff, f);
    std::fputc(v >> 8, f);
}
void Put32(std::FILE* f, uint32_t v) {
    Put16(f, uint16_t(v & 0xffff));
    Put16(f, uint16_t(v >> 16));
}

// A chime: a fundamental with a softer fifth above, quick attack, smooth decay.
void AddChime(std::vector<double>& out, double start, double length, double pitch) {
    const int first = int(start * Rate);
    const int count = int(length * Rate);
    for (int i = 0; i < count && first + i < int(out.size()); ++i) {
        const double t = double(i) / Rate;
        const double attack = std::min(1.0, t / 0.005);
        const double decay = std::exp(-t * 9.0);
        const double wave = std::sin(2 * std::numbers::pi * pitch * t) +
                            0.35 * std::sin(2 * std::numbers::pi * pitch * 1.5 * t);
        out[first + i] += 0.55 * attack * decay * wave;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.wav\n", argv[0]);
        return 2;
    }
    std::vector<double> samples(Rate * 1); // one second
    AddChime(samples, 0.00, 0.30, 880.0);
    AddChime(samples, 0.30, 0.30, 880.0);
    AddChime(samples, 0.60, 0.38, 1174.7);

    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f)
        return 1;
    const uint32_t bytes = uint32_t(samples.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    Put32(f, 36 + bytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    Put32(f, 16);
    Put16(f, 1); // PCM
    Put16(f, 1); // mono
    Put32(f, Rate);
    Put32(f, Rate * 2);
    Put16(f, 2);
    Put16(f, 16);
    std::fwrite("data", 1, 4, f);
    Put32(f, bytes);
    for (double s : samples)
        Put16(f, uint16_t(int16_t(std::lround(std::clamp(s, -1.0, 1.0) * 32000))));
    return std::fclose(f) == 0 ? 0 : 1;
}
