// SPDX-License-Identifier: GPL-3.0-or-later
// From the call to the first audible sample, for the standard alarm and for
// a slot's WAV: 20 of each, recorded from the desktop session's sink; with
// --memory FILE, the memory while FILE plays.
#include "Actions.h"
#include "SoundRecorder.h"
#include "SoundServer.h"
#include "WavFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
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

long RssKb() {
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Memory beside idle while a long file plays: it is streamed, never decoded whole.
int Memory(const QString& file) {
    SoundServer server;
    Actions actions(server, QCoreApplication::applicationDirPath());
    QTest::qWait(1000);
    const long idle = RssKb();
    actions.PlayWav(file, 0);
    QTest::qWait(10'000);
    std::printf("memory idle %ld kB, while the long file plays %ld kB\n", idle, RssKb());
    return 0;
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString wav = dir.filePath("tone.wav");
    WriteTone(wav, 300, 660.0);
    if (argc > 2 && QByteArray(argv[1]) == "--memory")
        return Memory(QString::fromLocal8Bit(argv[2]));
    SoundServer server;
    Actions actions(server, QCoreApplication::applicationDirPath());
    QTest::qWait(500);
    SoundRecorder recorder;
    const qint64 standard = MedianLatency(
        recorder, [&] { actions.PlayStandardAlarm(); }, 1300);
    const qint64 first = OneWavLatency(actions, wav);
    const qint64 wavLatency = MedianLatency(
        recorder, [&] { actions.PlayWav(wav, 0); }, 800);
    std::printf("standard alarm, call to first sound, median of 20: %lld ms\n", standard);
    std::printf("WAV, first PlayWav of the run: %lld ms\n", first);
    std::printf("WAV, PlayWav to first sound, median of 20: %lld ms\n", wavLatency);
    return 0;
}
