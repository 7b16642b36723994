// Real sound on the desktop session's null sink, recorded and measured.
#include "Actions.h"
#include "SoundRecorder.h"

#include <QCoreApplication>
#include <QDir>

class TestSound : public QObject {
    Q_OBJECT
private slots:
    void standardAlarmIsAudible_data() {
        QTest::addColumn<QString>("programDir");
        QTest::newRow("alerm.wav") << QCoreApplication::applicationDirPath() + "/../..";
        QTest::newRow("built-in tone") << QDir::tempPath() + "/vendrix-no-such-dir";
    }
    void standardAlarmIsAudible() {
        QFETCH(QString, programDir);
        StandardAlarm alarm(Actions::SoundCandidates(programDir));
        QTest::qWait(300);
        SoundRecorder recorder;
        recorder.Start();
        const qint64 called = recorder.Now();
        alarm.Play();
        QTest::qWait(1500);
        recorder.Stop();
        QVERIFY2(recorder.LoudMs() >= 500, qPrintable(QString::number(recorder.LoudMs())));
        qInfo("standard alarm: first sound %lld ms after the call",
              recorder.FirstLoud(called) - called);
    }

    // A ringing alarm restarts the sound every second for a minute; every
    // restart must be heard.
    void standardAlarmSoundsOnEveryRestart() {
        StandardAlarm alarm(
            Actions::SoundCandidates(QCoreApplication::applicationDirPath() + "/../.."));
        SoundRecorder recorder;
        recorder.Start();
        QList<qint64> calls;
        for (int i = 0; i < 10; ++i) {
            calls << recorder.Now();
            alarm.Play();
            QTest::qWait(1000);
        }
        recorder.Stop();
        for (qint64 call : calls)
            QVERIFY2(recorder.LoudMs(call, call + 600) >= 300, qPrintable(QString::number(call)));
    }

    // A looping WAV rings for as long as its alarm does: every second of a
    // long stretch of short passes must be heard, then silence after StopWav.
    void loopingWavPlaysOnUntilStopped() {
        QTemporaryDir dir;
        const QString wav = dir.filePath("beep.wav");
        SoundRecorder::WriteTone(wav, 400, 660.0);
        int ended = 0;
        Actions actions(dir.path(), [&] { ++ended; });
        SoundRecorder recorder;
        recorder.Start();
        const qint64 called = recorder.Now();
        actions.PlayWav(wav, 1);
        QTest::qWait(6000);
        const qint64 stopped = recorder.Now();
        actions.StopWav();
        QTest::qWait(1000);
        recorder.Stop();
        const qint64 first = recorder.FirstLoud(called);
        QVERIFY(first >= 0);
        for (qint64 second = first; second + 1000 <= stopped; second += 1000)
            QVERIFY2(recorder.LoudMs(second, second + 1000) >= 300,
                     qPrintable(QString("silent from %1 ms").arg(second - called)));
        QCOMPARE(recorder.LoudMs(stopped + 300), 0);
        QCOMPARE(ended, 0);
        qInfo("looping WAV: first sound %lld ms after PlayWav; last sound %lld ms after StopWav",
              first - called, recorder.LastLoud() - stopped);
    }

    // Each pass loads the file again; when it has gone, the standard alarm
    // rings on in its place.
    void loopingWavRemovedWhileRingingStillSounds() {
        QTemporaryDir dir;
        const QString wav = dir.filePath("beep.wav");
        SoundRecorder::WriteTone(wav, 400, 660.0);
        Actions actions(dir.path(), [] {});
        SoundRecorder recorder;
        recorder.Start();
        actions.PlayWav(wav, 1);
        QTest::qWait(1000);
        const qint64 removed = recorder.Now();
        QVERIFY(QFile::remove(wav));
        QTest::qWait(2500);
        recorder.Stop();
        QVERIFY2(recorder.LoudMs(removed + 1000) >= 1000,
                 qPrintable(QString::number(recorder.LoudMs(removed + 1000))));
    }

    void unplayableWavStillSounds_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("missing") << "/no/such/file.wav";
        QTest::newRow("empty path") << "";
        QTest::newRow("not audio") << QCoreApplication::applicationFilePath();
    }
    void unplayableWavStillSounds() {
        QFETCH(QString, file);
        Actions actions(QCoreApplication::applicationDirPath() + "/../..", [] {});
        QTest::qWait(300);
        SoundRecorder recorder;
        recorder.Start();
        actions.PlayWav(file, 0);
        QTest::qWait(1800);
        recorder.Stop();
        QVERIFY2(recorder.LoudMs() >= 500, qPrintable(QString::number(recorder.LoudMs())));
    }
};

QTEST_MAIN(TestSound)
#include "tst_sound.moc"
