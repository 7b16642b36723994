// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>

#include <QtEndian>
#include <cmath>

// Writes a WAV file of a plain tone: mono, 16-bit, 44.1 kHz.
inline void WriteTone(const QString& path, int ms, double pitch) {
    constexpr int Rate = 44100;
    const int count = Rate * ms / 1000;
    QByteArray wav(44 + count * 2, Qt::Uninitialized);
    char* h = wav.data();
    const quint32 header[] = {0x46464952,
                              quint32(wav.size() - 8),
                              0x45564157,
                              0x20746d66,
                              16,
                              0x00010001,
                              Rate,
                              Rate * 2,
                              0x00100002,
                              0x61746164,
                              quint32(count * 2)};
    for (quint32 word : header) {
        qToLittleEndian(word, h);
        h += 4;
    }
    for (int i = 0; i < count; ++i)
        qToLittleEndian<qint16>(qint16(12000 * std::sin(2 * M_PI * pitch * i / Rate)), h + 2 * i);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(wav);
}
