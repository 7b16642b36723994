#include "WavDevice.h"

#include <QStringList>
#include <QTest>

namespace {

class FakeBackend : public MediaBackend {
public:
    bool Open(const QString& path) override {
        log << "open " + path;
        return !path.isEmpty();
    }
    void Play() override { log << "play"; }
    void Rewind() override { log << "rewind"; }
    void Stop() override { log << "stop"; }
    void Close() override { log << "close"; }
    QStringList log;
};

class FakeSound : public AlarmSound {
public:
    void Play() override { log << "standard"; }
    void StartLoop() override { log << "standard loop"; }
    void StopLoop() override { log << "standard stop"; }
    QStringList& log;
    explicit FakeSound(QStringList& shared) : log(shared) {}
};

struct Device {
    FakeBackend backend;
    FakeSound sound{backend.log};
    int singleEnded = 0;
    WavDevice wav{backend, sound, [this] { ++singleEnded; }};

    // Runs a script of steps: "play PATH R", "stop", "done" (completion 1),
    // "cut" (completion 2), "fail" (the backend finds the file unplayable).
    void Run(const QStringList& steps) {
        for (const QString& step : steps) {
            const QStringList words = step.split(u' ');
            if (words[0] == "play")
                wav.PlayWav(words.value(1), words.value(2).toInt());
            else if (words[0] == "stop")
                wav.StopWav();
            else if (words[0] == "done")
                backend.OnCompletion(1);
            else if (words[0] == "cut")
                backend.OnCompletion(2);
            else if (words[0] == "fail")
                backend.OnFailure();
        }
    }
};

} // namespace

class TestWavDevice : public QObject {
    Q_OBJECT
private slots:
    void transitions_data() {
        QTest::addColumn<QStringList>("before"); // steps whose calls are not checked
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("singleEnded");
        QTest::newRow("play repeating") << QStringList{} << QStringList{"play a 1"} << "rep"
                                        << QStringList{"open a", "play"} << 0;
        QTest::newRow("play once") << QStringList{} << QStringList{"play a 0"} << "norep"
                                   << QStringList{"open a", "play"} << 0;
        QTest::newRow("replace closes") << QStringList{"play a 1"} << QStringList{"play b 0"}
                                        << "norep" << QStringList{"close", "open b", "play"} << 0;
        QTest::newRow("rep end loops")
            << QStringList{"play a 1"} << QStringList{"done", "done"} << "rep"
            << QStringList{"rewind", "play", "rewind", "play"} << 0;
        QTest::newRow("rep stop") << QStringList{"play a 1"} << QStringList{"stop"} << ""
                                  << QStringList{"stop", "close"} << 0;
        QTest::newRow("norep end ends alarm")
            << QStringList{"play a 0"} << QStringList{"done"} << "norep" << QStringList{} << 1;
        QTest::newRow("norep is never cut")
            << QStringList{"play a 0"} << QStringList{"stop"} << "norep" << QStringList{} << 0;
        QTest::newRow("stop with nothing")
            << QStringList{} << QStringList{"stop"} << "" << QStringList{} << 0;
        QTest::newRow("other codes do nothing")
            << QStringList{"play a 1"} << QStringList{"cut"} << "rep" << QStringList{} << 0;
        QTest::newRow("completion after stop")
            << QStringList{"play a 1", "stop"} << QStringList{"done"} << "" << QStringList{} << 0;
        QTest::newRow("late completion follows new mark")
            << QStringList{"play a 0", "play b 1"} << QStringList{"done"} << "rep"
            << QStringList{"rewind", "play"} << 0;
        QTest::newRow("missing file loops the standard alarm")
            << QStringList{} << QStringList{"play  1", "stop"} << ""
            << QStringList{"open ", "standard loop", "stop", "close", "standard stop"} << 0;
        QTest::newRow("missing file once sounds once")
            << QStringList{} << QStringList{"play  0"} << "norep"
            << QStringList{"open ", "standard"} << 0;
        QTest::newRow("unplayable file falls back")
            << QStringList{"play a 1"} << QStringList{"fail", "fail"} << "rep"
            << QStringList{"standard loop"} << 0;
        QTest::newRow("new play ends the fallback loop")
            << QStringList{"play  1"} << QStringList{"play b 0"} << "norep"
            << QStringList{"standard stop", "open b", "play"} << 0;
    }
    void transitions() {
        QFETCH(QStringList, before);
        QFETCH(QStringList, steps);
        QFETCH(QString, mark);
        QFETCH(QStringList, calls);
        QFETCH(int, singleEnded);
        Device device;
        device.Run(before);
        device.backend.log.clear();
        device.Run(steps);
        QCOMPARE(device.wav.Mark(), mark);
        QCOMPARE(device.backend.log, calls);
        QCOMPARE(device.singleEnded, singleEnded);
    }
};

QTEST_APPLESS_MAIN(TestWavDevice)
#include "tst_wavdevice.moc"
