// alerm.ini is never torn: a process killed at random moments while it saves
// leaves either the old or the new complete file.
#include "SettingsFile.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>

class TestSaveCrash : public QObject {
    Q_OBJECT
private slots:
    void killedWhileSaving() {
        QTemporaryDir dir;
        const QString path = dir.filePath("alerm.ini");
        QProcess first; // so that there is an old file from the start
        first.start(SAVE_LOOP, {path});
        QVERIFY(first.waitForReadyRead(5000));
        QTest::qWait(100);
        first.kill();
        first.waitForFinished();
        // The two complete files the saver alternates between.
        QSet<QByteArray> complete;
        for (const char* which : {"a", "b"}) {
            const QString sample = dir.filePath(QString("%1.ini").arg(which));
            QCOMPARE(QProcess::execute(SAVE_LOOP, {sample, which}), 0);
            QFile file(sample);
            QVERIFY(file.open(QIODevice::ReadOnly));
            complete.insert(file.readAll());
        }
        QCOMPARE(complete.size(), 2);
        QRandomGenerator random(1206);
        for (int kill = 0; kill < 200; ++kill) {
            QProcess saver;
            saver.start(SAVE_LOOP, {path});
            QVERIFY(saver.waitForReadyRead(5000));
            QThread::usleep(random.bounded(200, 20000));
            ::kill(pid_t(saver.processId()), SIGKILL);
            saver.waitForFinished();
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(complete.contains(file.readAll()), qPrintable(QString("kill %1").arg(kill)));
        }
    }
};

QTEST_GUILESS_MAIN(TestSaveCrash)
#include "tst_savecrash.moc"
