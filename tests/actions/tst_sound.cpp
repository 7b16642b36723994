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
        QTest::qWait(1800);
        const qint64 stopped = recorder.Now();
        actions.StopWav();
        QTest::qWait(1000);
        recorder.Stop();
        // More than two passes of a 400 ms file, then silence.
        QVERIFY2(recorder.LoudMs(0, stopped) >= 900,
                 qPrintable(QString::number(recorder.LoudMs())));
        QCOMPARE(recorder.LoudMs(stopped + 300), 0);
        QCOMPARE(ended, 0);
        qInfo("looping WAV: first sound %lld ms after PlayWav; last sound %lld ms after StopWav",
              recorder.FirstLoud(called) - called, recorder.LastLoud() - stopped);
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
