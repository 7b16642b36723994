// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm actions without sound: the WAV device's state machine on a fake
// backend, decoding alerm.wav, and launching real processes.
#include "Launcher.h"
#include "StandardAlarm.h"
#include "TestSupport.h"
#include "WavDevice.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

// The backend and the fallback sound write into one log.
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
    explicit FakeSound(QStringList& log) : log_(log) {}
    void Play() override { log_ << "standard"; }
    void StartLoop() override { log_ << "standard loop"; }
    void StopLoop() override { log_ << "standard stop"; }

private:
    QStringList& log_;
};

// A program that writes its working folder and arguments, one a line.
QString MakeWitness(const QString& path, const QString& output) {
    WriteBytes(path,
               QStringLiteral("#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > '%1'\n")
                   .arg(output)
                   .toUtf8());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

class TestActions : public QObject {
    Q_OBJECT
private slots:
    void wavDevice_data() {
        Columns<QStringList, QStringList, QStringList, int>(
            {"before", "steps", "calls", "singleEnded"});
        // clang-format off
        // Steps: "play PATH R", "stop", "done" (completion 1), "cut" (completion 2),
        // "fail" (the backend finds the file unplayable). Calls of `before` are not checked.
        Row("play", QStringList{}, QStringList{"play a 1"}, QStringList{"open a", "play"}, 0);
        Row("replace closes", QStringList{"play a 1"}, QStringList{"play b 0"}, QStringList{"close", "open b", "play"}, 0);
        Row("rep end loops", QStringList{"play a 1"}, QStringList{"done", "done"}, QStringList{"rewind", "play", "rewind", "play"}, 0);
        Row("rep stop", QStringList{"play a 1"}, QStringList{"stop", "done"}, QStringList{"stop", "close"}, 0);
        Row("norep end ends the alarm", QStringList{"play a 0"}, QStringList{"done"}, QStringList{}, 1);
        Row("norep is never cut", QStringList{"play a 0"}, QStringList{"stop"}, QStringList{}, 0);
        Row("other codes do nothing", QStringList{"play a 1"}, QStringList{"cut"}, QStringList{}, 0);
        Row("late completion follows the new mark", QStringList{"play a 0", "play b 1"}, QStringList{"done"}, QStringList{"rewind", "play"}, 0);
        Row("missing file loops the standard alarm", QStringList{}, QStringList{"play  1", "stop"}, QStringList{"open ", "standard loop", "stop", "close", "standard stop"}, 0);
        Row("missing file once sounds once", QStringList{}, QStringList{"play  0"}, QStringList{"open ", "standard"}, 0);
        Row("unplayable file falls back once", QStringList{"play a 1"}, QStringList{"fail", "fail"}, QStringList{"standard loop"}, 0);
        Row("new play ends the fallback loop", QStringList{"play  1"}, QStringList{"play b 0"}, QStringList{"standard stop", "open b", "play"}, 0);
        // clang-format on
    }
    void wavDevice() {
        QFETCH(QStringList, before);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, calls);
        QFETCH(int, singleEnded);
        FakeBackend backend;
        FakeSound sound(backend.log);
        int ended = 0;
        WavDevice wav(backend, sound, [&] { ++ended; });
        for (const QStringList& script : {before, steps}) {
            backend.log.clear();
            for (const QString& step : script) {
                const QStringList words = step.split(u' ');
                if (words[0] == "play")
                    wav.PlayWav(words.value(1), words.value(2).toInt());
                else if (words[0] == "stop")
                    wav.StopWav();
                else if (words[0] == "fail")
                    backend.OnFailure();
                else
                    backend.OnCompletion(words[0] == "done" ? 1 : 2);
            }
        }
        QCOMPARE(backend.log, calls);
        QCOMPARE(ended, singleEnded);
    }

    void decodesAnyWav_data() {
        Columns<QString, int, int>({"encoding", "channels", "rate"}); // as sox writes them
        // clang-format off
        Row("24-bit stereo, extensible", "-b 24", 2, 48000);
        Row("float", "-e floating-point -b 32", 1, 44100);
        Row("8-bit", "-e unsigned -b 8", 1, 22050);
        Row("µ-law", "-e mu-law", 1, 8000);
        Row("ADPCM at 11025 Hz", "-e ima-adpcm", 1, 11025);
        // clang-format on
    }
    void decodesAnyWav() {
        QFETCH(QString, encoding);
        QFETCH(int, channels);
        QFETCH(int, rate);
        QTemporaryDir dir;
        const QString wav = dir.filePath("a.wav");
        QCOMPARE(QProcess::execute(
                     "sox", QStringList{"-n", "-c", QString::number(channels), "-r",
                                        QString::number(rate)} +
                                encoding.split(' ') +
                                QStringList{wav, "synth", "0.5", "sine", "660", "vol", "0.5"}),
                 0);
        QString error;
        const auto pcm = StandardAlarm::Decode(ReadBytes(wav), &error);
        QVERIFY2(pcm, qPrintable(error));
        QCOMPARE(pcm->Format.channelCount(), channels);
        QCOMPARE(pcm->Format.sampleRate(), rate);
        QVERIFY(qAbs(pcm->Samples.size() - rate * channels) <=
                2048); // half a second of 16-bit samples
        const auto* samples = reinterpret_cast<const qint16*>(pcm->Samples.constData());
        QVERIFY(qAbs(*std::max_element(samples, samples + pcm->Samples.size() / 2) - 16384) <
                2500); // the tone at half scale
    }

    void rejectsWhatIsNoSound() {
        QTemporaryDir dir;
        WriteBytes(dir.filePath("alerm.wav"), "RIFF----WAVEfmt junk");
        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression("cannot use .*alerm.wav as the alarm sound \\(.+\\)"));
        StandardAlarm alarm({dir.filePath("missing.wav"), dir.filePath("alerm.wav")}, {});
    }

    void launchesProgramWithArguments_data() {
        Columns<QString, QString, QStringList>({"name", "parameters", "arguments"});
        // clang-format off
        Row("quoted words", "witness", "one \"two three\" 4?x", QStringList{"one", "two three", "4?x"});
        Row("blank in path", "my witness", "a", QStringList{"a"});
        Row("shell text is plain arguments", "witness", "hi; touch pwned", QStringList{"hi;", "touch", "pwned"});
        // clang-format on
    }
    void launchesProgramWithArguments() {
        QFETCH(QString, name);
        QFETCH(QString, parameters);
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        const QString output = dir.filePath("out.txt");
        MakeWitness(dir.filePath(name), output);
        // A relative name counts from the program's folder, which is also the working folder.
        QVERIFY(Launcher(dir.path(), {}).LaunchExec(name + "?" + parameters));
        QTRY_VERIFY(QFile(output).size() > 0);
        QTest::qWait(50);
        QCOMPARE(QString::fromUtf8(ReadBytes(output)).split(u'\n', Qt::SkipEmptyParts),
                 QStringList{dir.path()} + arguments);
        QVERIFY(!QFile::exists(dir.filePath("pwned")));
    }

    void launchFailuresAreReported_data() {
        Columns<QString>({"text"});
        // clang-format off
        Row("empty", "");
        Row("no such file", "/no/such/program?x");
        Row("no such name", "vendrix-no-such-program-here");
        // clang-format on
    }
    void launchFailuresAreReported() {
        QFETCH(QString, text);
        QVERIFY(!Launcher(QDir::tempPath(), {}).LaunchExec(text));
    }

    // A document or URL opens through xdg-open; when that fails (no
    // application for it), the failure is reported.
    void documentsOpenThroughXdgOpen_data() {
        Columns<QString, int, QString>({"target", "exitCode", "opened"});
        // clang-format off
        Row("document", "note.txt", 0, "%1/note.txt");
        Row("URL nothing opens", "https://example.org/", 3, "https://example.org/");
        // clang-format on
    }
    void documentsOpenThroughXdgOpen() {
        QFETCH(QString, target);
        QFETCH(int, exitCode);
        QFETCH(QString, opened);
        QTemporaryDir dir;
        WriteBytes(dir.filePath("note.txt"), "");
        WriteBytes(dir.filePath("xdg-open"),
                   "#!/bin/sh\necho \"$1\" >\"$0.out\"\nexit " + QByteArray::number(exitCode));
        QFile::setPermissions(dir.filePath("xdg-open"), QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", dir.path().toUtf8() + ":" + path);
        QStringList failed;
        QVERIFY(Launcher(dir.path(), [&](const QString& text) {
                    failed << text;
                }).LaunchExec(target + "?x"));
        qputenv("PATH", path);
        QTRY_VERIFY(QFile::exists(dir.filePath("xdg-open.out")));
        QTRY_COMPARE(failed, exitCode ? QStringList{target + "?x"} : QStringList{});
        QCOMPARE(ReadBytes(dir.filePath("xdg-open.out")),
                 opened.replace("%1", dir.path()).toUtf8() + "\n");
    }
};

QTEST_GUILESS_MAIN(TestActions)
#include "tst_actions.moc"
