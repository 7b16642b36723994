// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm actions without sound: the WAV device's state machine on a fake
// backend, decoding, what stands in for a sound that cannot play (with no
// sound server to hear it), and launching real processes.
#include "Launcher.h"
#include "PlaybackStream.h"
#include "SoundServer.h"
#include "SoundStream.h"
#include "StandardAlarm.h"
#include "TestSupport.h"
#include "WavDevice.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <sys/stat.h>

namespace {

// The backend writes what it is asked into its log.
class FakeBackend : public MediaBackend {
public:
    void Play(const QString& path, bool loop) override {
        log << "play " + path + (loop ? " looping" : "");
    }
    void Stop() override { log << "stop"; }
    QStringList log;
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
    // Nothing here is heard: no sound server can be reached.
    void initTestCase() { qputenv("PULSE_SERVER", "unix:/nonexistent/vendrix-test"); }

    void wavDevice_data() {
        Columns<QStringList, QStringList, QStringList, bool>(
            {"before", "steps", "calls", "sounding"});
        // clang-format off
        // Steps: "play PATH R", "stop", "end" (played to its end), "fail" (the backend
        // finds the file unplayable). Calls of `before` are not checked; "failed PATH" is
        // what the device tells.
        Row("play looping", QStringList{}, QStringList{"play a 1"}, QStringList{"play a looping"}, true);
        Row("rep stop", QStringList{"play a 1"}, QStringList{"stop", "end"}, QStringList{"stop"}, false);
        Row("norep end ends the sound", QStringList{"play a 0"}, QStringList{"end"}, QStringList{}, false);
        Row("a late end does not end a loop", QStringList{"play a 0", "play b 1"}, QStringList{"end"}, QStringList{}, true);
        Row("unplayable file is told once", QStringList{"play a 1"}, QStringList{"fail", "fail"}, QStringList{"failed a"}, false);
        Row("a stopped playback fails no more", QStringList{"play a 0", "stop"}, QStringList{"fail"}, QStringList{}, false);
        // clang-format on
    }
    void wavDevice() {
        auto [before, steps, calls, sounding] = Fetch<QStringList, QStringList, QStringList, bool>(
            {"before", "steps", "calls", "sounding"});
        FakeBackend backend;
        WavDevice wav(backend);
        connect(&wav, &WavDevice::failed,
                [&](const QString& path) { backend.log << "failed " + path; });
        for (const QStringList& script : {before, steps}) {
            backend.log.clear();
            for (const QString& step : script) {
                const QStringList words = step.split(u' ');
                if (words[0] == "play")
                    wav.PlayWav(words.value(1), words.value(2).toInt());
                else if (words[0] == "stop")
                    wav.StopWav();
                else if (words[0] == "fail")
                    emit backend.failed("unplayable");
                else
                    emit backend.ended();
            }
        }
        QCOMPARE(backend.log, calls);
        QCOMPARE(wav.Sounding(), sounding);
    }

    // Whatever keeps alerm.wav from playing at a ring, the built-in tone
    // plays instead: it is read, and waits for the server.
    void theBuiltInToneStandsIn_data() {
        Columns<QString, QString>({"sound", "why"});
        // clang-format off
        Row("alerm.wav as it should be", "tone", "");
        Row("spoilt", "garbage", "alerm.wav");
        Row("emptied", "empty", "alerm.wav");
        Row("a FIFO, never waited on", "fifo", "alerm.wav (it is not a regular file)");
        Row("a folder", "folder", "alerm.wav (it is a folder)");
        Row("gone since the start", "gone", "alerm.wav (No such file or directory)");
        // clang-format on
    }
    void theBuiltInToneStandsIn() {
        auto [sound, why] = Fetch<QString, QString>({"sound", "why"});
        REQUIRE(QStandardPaths::findExecutable("sox").isEmpty(), "sox");
        QTemporaryDir dir;
        const QString path = dir.filePath("alerm.wav");
        QCOMPARE(QProcess::execute("sox", {"-n", path, "synth", "0.2", "sine", "660"}), 0);
        SoundServer server;
        StandardAlarm alarm(server, {path});
        QFile::remove(path);
        if (sound == "tone")
            QProcess::execute("sox", {"-n", path, "synth", "0.2", "sine", "660"});
        else if (sound == "garbage" || sound == "empty")
            WriteBytes(path, sound == "empty" ? "" : "RIFF....WAVEjunk");
        else if (sound == "fifo")
            QCOMPARE(::mkfifo(qPrintable(path), 0600), 0);
        else if (sound == "folder")
            QVERIFY(QDir().mkdir(path));
        QSignalSpy replaced(&alarm.Device(), &SoundDevice::replaced);
        QSignalSpy waiting(&server, &SoundStatus::silenced);
        alarm.Play();
        QTRY_COMPARE(waiting.size(), 1);
        QCOMPARE(waiting[0][1].toString(), "no sound server");
        QCOMPARE(replaced.isEmpty(), why.isEmpty());
        if (!why.isEmpty())
            QVERIFY((replaced[0][0].toString() + " (" + replaced[0][1].toString() + ")")
                        .startsWith(dir.filePath(why)));
        QVERIFY(alarm.Sounding());
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
        auto [name, parameters, arguments] =
            Fetch<QString, QString, QStringList>({"name", "parameters", "arguments"});
        QTemporaryDir dir;
        const QString output = dir.filePath("out.txt");
        MakeWitness(dir.filePath(name), output);
        // A relative name counts from the program's folder, which is also the working folder.
        Launcher launcher(dir.path());
        QSignalSpy failed(&launcher, &Launcher::failed);
        launcher.LaunchExec(name + "?" + parameters);
        QTRY_COMPARE(QString::fromUtf8(ReadBytes(output)).split(u'\n', Qt::SkipEmptyParts),
                     QStringList{dir.path()} + arguments);
        QVERIFY(!QFile::exists(dir.filePath("pwned")) && failed.isEmpty());
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
        Launcher launcher(QDir::tempPath());
        QSignalSpy failed(&launcher, &Launcher::failed);
        launcher.LaunchExec(text);
        QCOMPARE(failed.size(), 1); // at once
        QCOMPARE(failed[0][0].toString(), text);
    }

    // A document or URL opens through xdg-open; when that fails (no
    // application for it), the failure is reported. A URL keeps its query.
    void documentsOpenThroughXdgOpen_data() {
        Columns<QString, int, QString>({"text", "exitCode", "opened"});
        // clang-format off
        Row("document", "note.txt?x", 0, "%1/note.txt");
        Row("URL nothing opens", "https://example.org/?x", 3, "https://example.org/?x");
        Row("URL with escapes", "https://example.com/s?q=a%20b&l=%E6%97%A5&n=%2Fh%3Fx%3D1", 0, "https://example.com/s?q=a%20b&l=%E6%97%A5&n=%2Fh%3Fx%3D1");
        Row("URL without //", "mailto:someone@example.com?subject=wake%20up", 0, "mailto:someone@example.com?subject=wake%20up");
        // clang-format on
    }
    void documentsOpenThroughXdgOpen() {
        auto [text, exitCode, opened] =
            Fetch<QString, int, QString>({"text", "exitCode", "opened"});
        QTemporaryDir dir;
        WriteBytes(dir.filePath("note.txt"), "");
        WriteBytes(dir.filePath("xdg-open"),
                   "#!/bin/sh\necho \"$1\" >\"$0.out\"\nexit " + QByteArray::number(exitCode));
        QFile::setPermissions(dir.filePath("xdg-open"), QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", dir.path().toUtf8() + ":" + path);
        Launcher launcher(dir.path());
        QSignalSpy failed(&launcher, &Launcher::failed);
        launcher.LaunchExec(text);
        qputenv("PATH", path);
        QTRY_COMPARE(ReadBytes(dir.filePath("xdg-open.out")),
                     opened.replace("%1", dir.path()).toUtf8() + "\n");
        QTRY_VERIFY(launcher.findChildren<QProcess*>().isEmpty()); // its end is judged
        QCOMPARE(failed.size(), exitCode ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestActions)
#include "tst_actions.moc"
