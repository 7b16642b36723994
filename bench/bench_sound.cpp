// SPDX-License-Identifier: GPL-3.0-or-later
// From the call to the first audible sample, for the standard alarm and for
// a slot's WAV: 20 of each, recorded from the desktop session's sink.
#include "Actions.h"
#include "SoundRecorder.h"
#include "WavFile.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

template <typename Play> qint64 MedianLatency(SoundRecorder& recorder, Play play, int pauseMs) {
    std::vector<qint64> calls;
    recorder.Start();
    for (int i = 0; i < 20; ++i) {
        calls.push_back(recorder.Now());
        play();
        QTest::qWait(pauseMs);
    }
    recorder.Stop();
    std::vector<qint64> latencies;
    for (qint64 call : calls)
        latencies.push_back(recorder.FirstLoud(call) - call);
    for (qint64 l : latencies)
        std::printf("%lld ", l);
    std::printf("\n");
    std::sort(latencies.begin(), latencies.end());
    return latencies[latencies.size() / 2];
}

} // namespace

qint64 OneWavLatency(Actions& actions, const QString& wav) {
    SoundRecorder once;
    once.Start();
    const qint64 call = once.Now();
    actions.PlayWav(wav, 0);
    QTest::qWait(1000);
    once.Stop();
    return once.FirstLoud(call) - call;
}

// The first WAV of a run, readied a minute ahead as before a ring.
int FirstPrepared(const QString& wav) {
    Actions actions(QCoreApplication::applicationDirPath());
    actions.PrepareWav(wav);
    QTest::qWait(1500);
    std::printf("WAV, first of a run, readied beforehand: %lld ms\n", OneWavLatency(actions, wav));
    return 0;
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString wav = dir.filePath("tone.wav");
    WriteTone(wav, 300, 660.0);
    if (argc > 1 && QByteArray(argv[1]) == "--prepared")
        return FirstPrepared(wav);
    Actions actions(QCoreApplication::applicationDirPath());
    QTest::qWait(500);
    SoundRecorder recorder;
    const qint64 standard = MedianLatency(
        recorder, [&] { actions.PlayStandardAlarm(); }, 1300);
    const qint64 first = OneWavLatency(actions, wav);
    const qint64 wavLatency = MedianLatency(
        recorder, [&] { actions.PlayWav(wav, 0); }, 800);
    std::printf("standard alarm, call to first sound, median of 20: %lld ms\n", standard);
    std::printf("WAV, first ever PlayWav (loads the media framework): %lld ms\n", first);
    std::printf("WAV, PlayWav to first sound, median of 20: %lld ms\n", wavLatency);
    return 0;
}
