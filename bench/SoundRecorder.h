// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QtEndian>
#include <cmath>
#include <vector>

// Records the session's null sink (see scripts/desktop-session) and tells
// when sound was heard: mono 16-bit samples at 44.1 kHz in 10 ms windows.
class SoundRecorder {
public:
    static constexpr int Rate = 44100;
    static constexpr int WindowMs = 10;
    static constexpr qsizetype BytesPerMs = Rate * 2 / 1000;

    void Start() {
        process_.start("parec", {"-d", "vendrix.monitor", "--raw", "--format=s16le", "--rate=44100",
                                 "--channels=1", "--latency-msec=10"});
        QVERIFY(process_.waitForStarted());
        // The recording's clock starts with its first samples, whenever they come.
        while (data_.size() < BytesPerMs * 50 && process_.waitForReadyRead(3000))
            data_ += process_.readAllStandardOutput();
        QVERIFY(!data_.isEmpty());
        clock_.start();
        offsetMs_ = data_.size() / BytesPerMs;
    }
    // Milliseconds since recording started, on the same clock as the recording.
    qint64 Now() const { return clock_.elapsed() + offsetMs_; }

    void Stop() {
        const qint64 until = Now();
        while (data_.size() / BytesPerMs < until && process_.waitForReadyRead(3000))
            data_ += process_.readAllStandardOutput();
        process_.kill();
        process_.waitForFinished(3000);
        const QByteArray& bytes = data_;
        loud_.clear();
        const int perWindow = Rate * WindowMs / 1000;
        for (qsizetype at = 0; at + perWindow * 2 <= bytes.size(); at += perWindow * 2) {
            double sum = 0;
            for (int i = 0; i < perWindow; ++i) {
                const double s = qFromLittleEndian<qint16>(bytes.constData() + at + 2 * i);
                sum += s * s;
            }
            loud_.push_back(std::sqrt(sum / perWindow) > 300.0);
        }
    }

    // Milliseconds of sound between from and to (ms since recording started).
    int LoudMs(qint64 from = 0, qint64 to = 1 << 30) const {
        int ms = 0;
        for (size_t w = 0; w < loud_.size(); ++w) {
            const qint64 t = qint64(w) * WindowMs;
            ms += loud_[w] && t >= from && t < to ? WindowMs : 0;
        }
        return ms;
    }
    // When sound was first heard at or after `from`; -1 if never.
    qint64 FirstLoud(qint64 from = 0) const {
        for (size_t w = size_t(from / WindowMs); w < loud_.size(); ++w)
            if (loud_[w])
                return qint64(w) * WindowMs;
        return -1;
    }
    qint64 LastLoud() const {
        for (size_t w = loud_.size(); w-- > 0;)
            if (loud_[w])
                return qint64(w) * WindowMs;
        return -1;
    }

private:
    QByteArray data_;
    qint64 offsetMs_ = 0;
    QProcess process_;
    QElapsedTimer clock_;
    std::vector<bool> loud_;
};
