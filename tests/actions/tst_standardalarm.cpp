#include "StandardAlarm.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray Wav(quint16 code, quint16 channels, quint32 rate, quint16 bits, const QByteArray& data,
               const QByteArray& extraChunk = {}) {
    QByteArray fmt(16, 0);
    qToLittleEndian<quint16>(code, fmt.data());
    qToLittleEndian<quint16>(channels, fmt.data() + 2);
    qToLittleEndian<quint32>(rate, fmt.data() + 4);
    qToLittleEndian<quint16>(bits, fmt.data() + 14);
    auto chunk = [](const QByteArray& id, const QByteArray& body) {
        QByteArray size(4, 0);
        qToLittleEndian<quint32>(quint32(body.size()), size.data());
        return id + size + body + (body.size() % 2 ? QByteArray(1, 0) : QByteArray());
    };
    return "RIFF----WAVE" + chunk("fmt ", fmt) + extraChunk + chunk("data", data);
}

} // namespace

class TestStandardAlarm : public QObject {
    Q_OBJECT
private slots:
    void decode_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("samplesBytes"); // -1: not decodable
        QTest::newRow("16-bit mono") << Wav(1, 1, 44100, 16, QByteArray(100, 1)) << 100;
        QTest::newRow("8-bit stereo") << Wav(1, 2, 8000, 8, QByteArray(10, 1)) << 10;
        QTest::newRow("float") << Wav(3, 2, 48000, 32, QByteArray(16, 1)) << 16;
        QTest::newRow("odd chunk before data") << Wav(1, 1, 44100, 16, QByteArray(4, 1),
                                                      QByteArray("LIST\x03\x00\x00\x00"
                                                                 "abc\x00",
                                                                 12))
                                               << 4;
        QTest::newRow("data cut short") << Wav(1, 1, 44100, 16, QByteArray(100, 1)).left(80) << 36;
        QTest::newRow("compressed") << Wav(2, 1, 44100, 4, QByteArray(100, 1)) << -1;
        QTest::newRow("no data") << Wav(1, 1, 44100, 16, {}) << -1;
        QTest::newRow("zero channels") << Wav(1, 0, 44100, 16, QByteArray(4, 1)) << -1;
        QTest::newRow("not RIFF") << QByteArray("ID3 mp3 data") << -1;
        QTest::newRow("empty") << QByteArray() << -1;
        QTest::newRow("huge chunk size")
            << QByteArray("RIFF----WAVEfmt \xff\xff\xff\xff", 20) << -1;
    }
    void decode() {
        QFETCH(QByteArray, file);
        QFETCH(int, samplesBytes);
        const auto pcm = StandardAlarm::Decode(file);
        QCOMPARE(pcm ? int(pcm->Samples.size()) : -1, samplesBytes);
    }

    void fallsBackToTheBuiltInTone() {
        QTemporaryDir dir;
        QFile junk(dir.filePath("alerm.wav"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a sound");
        junk.close();
        QVERIFY(StandardAlarm({dir.filePath("missing.wav"), junk.fileName()}).UsesBuiltInTone());
        const QString good = dir.filePath("good.wav");
        QFile file(good);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Wav(1, 1, 44100, 16, QByteArray(100, 1)));
        file.close();
        QVERIFY(!StandardAlarm({junk.fileName(), good}).UsesBuiltInTone());
    }
};

QTEST_GUILESS_MAIN(TestStandardAlarm)
#include "tst_standardalarm.moc"
