// SPDX-License-Identifier: GPL-3.0-or-later
// Making a sound heard, mostly without a sound server to hear it: decoding,
// what stands in for a file that cannot play, a source that does not answer,
// the level a ring plays at, and how often a missing server is tried; on a
// private server, a file failing while it plays and the outputs it shows.
#include "PlaybackStream.h"
#include "PulseOutputVolume.h"
#include "SoundDevice.h"
#include "SoundServer.h"
#include "SoundStream.h"
#include "StreamLevel.h"
#include "TestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <pulse/volume.h>

namespace {

// A tone made by sox: `file` names its kind, `sox` adds its options.
bool MakeTone(const QString& path, const QStringList& options, int seconds) {
    return QProcess::execute("sox", QStringList{"-n"} + options +
                                        QStringList{path, "synth", QString::number(seconds), "sine",
                                                    "660", "vol", "0.5"}) == 0;
}

// The file as a download or a disk left it: its first `keep` bytes, then
// `zeros` bytes of nothing.
void Spoil(const QString& path, qint64 keep, qint64 zeros) {
    const QByteArray bytes = ReadBytes(path).left(keep) + QByteArray(zeros, '\0');
    WriteBytes(path, bytes);
}

constexpr char NoServer[] = "unix:/nonexistent/vendrix-test";

// A sound server that remembers nothing, its socket in a folder of its own,
// loaded with `output` (a module that makes the outputs); while it lives, the
// sounds of this process go to it.
class PrivateServer {
public:
    explicit PrivateServer(const QString& output) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", dir_.path());
        environment.insert("XDG_RUNTIME_DIR", dir_.path());
        server_.setProcessEnvironment(environment);
        const QString socket = dir_.filePath("native");
        server_.start("pulseaudio",
                      {"-n", "--daemonize=no", "--exit-idle-time=-1", "--system=false", "-L",
                       output, "-L", "module-native-protocol-unix socket=" + socket});
        qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
        answers_ = server_.waitForStarted() &&
                   QTest::qWaitFor([&] { return QFileInfo::exists(socket); }, 10'000);
    }
    ~PrivateServer() {
        server_.kill();
        server_.waitForFinished();
        qputenv("PULSE_SERVER", NoServer);
    }
    bool Answers() const { return answers_; }

private:
    QTemporaryDir dir_;
    QProcess server_;
    bool answers_ = false;
};

} // namespace

class TestSound : public QObject {
    Q_OBJECT
private slots:
    // Nothing here is heard: no sound server can be reached, but a private one.
    void initTestCase() { qputenv("PULSE_SERVER", NoServer); }

    // Whatever libsndfile reads streams as samples, block by block; a limited
    // stream ends at its limit, a looping one starts again at once.
    void streamsAnySoundFile_data() {
        Columns<QString, QString, int, int, int, bool, int>({"file", "encoding", "channels", "rate",
                                                             "seconds", "loop",
                                                             "heard"}); // as sox writes them
        // clang-format off
        Row("24-bit stereo, extensible", "a.wav", "-b 24", 2, 48000, 1, false, 1);
        Row("float", "a.wav", "-e floating-point -b 32", 1, 44100, 1, false, 1);
        Row("8-bit", "a.wav", "-e unsigned -b 8", 1, 22050, 1, false, 1);
        Row("µ-law", "a.wav", "-e mu-law", 1, 8000, 1, false, 1);
        Row("ADPCM at 11025 Hz", "a.wav", "-e ima-adpcm", 1, 11025, 1, false, 1);
        Row("FLAC", "a.flac", "", 1, 44100, 1, false, 1);
        Row("Ogg Vorbis", "a.ogg", "", 2, 44100, 1, false, 1);
        Row("long: the limit only", "a.wav", "-b 16", 1, 8000, 75, false, 60);
        Row("looping: on past its end", "a.wav", "-b 16", 1, 8000, 1, true, 3);
        // clang-format on
    }
    void streamsAnySoundFile() {
        auto [file, encoding, channels, rate, seconds, loop, heard] =
            Fetch<QString, QString, int, int, int, bool, int>(
                {"file", "encoding", "channels", "rate", "seconds", "loop", "heard"});
        REQUIRE(QStandardPaths::findExecutable("sox").isEmpty(), "sox");
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        QVERIFY(MakeTone(path,
                         QStringList{"-c", QString::number(channels), "-r", QString::number(rate)} +
                             encoding.split(' ', Qt::SkipEmptyParts),
                         seconds));
        auto stream = SoundStream::Open(path, loop, 60);
        QVERIFY2(stream, qPrintable(stream.Error().Why));
        QCOMPARE((*stream)->Channels(), channels);
        QCOMPARE((*stream)->Rate(), rate);
        const qint64 wanted = qint64(heard) * rate;
        std::vector<float> block(size_t(4096 * channels));
        qint64 frames = 0;
        float loudest = 0;
        for (qint64 got = 1; got > 0 && frames < wanted + 4096; frames += got) {
            const Result<qint64> read = (*stream)->Read(block.data(), 4096);
            QVERIFY(read);
            got = *read;
            loudest = std::max(loudest, *std::max_element(block.begin(), block.end()));
        }
        QVERIFY(loop ? frames > wanted : qAbs(frames - wanted) <= 1024);
        QVERIFY(qAbs(loudest - 0.5f) < 0.08f);
    }

    // A source that does not open (a hung network share) counts as failed,
    // and the window's thread never waits for it.
    void aSoundThatDoesNotAnswerFails() {
        SoundServer server;
        PlaybackStream stream(
            server,
            [] {
                QThread::sleep(PlaybackStream::AnswerMs / 1000 + 2);
                return Result<std::unique_ptr<SoundSource>>(Failure{"late"});
            },
            "hung");
        QSignalSpy failed(&stream, &PlaybackStream::failed);
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, PlaybackStream::AnswerMs + 1000);
        QCOMPARE(failed[0][0].toString(), PlaybackStream::NoAnswer);
    }

    // A file that opens but gives no sound, or less than it says it holds,
    // fails as one that does not open: at its opening, or where it stops.
    void aFileThatGivesLessFails_data() {
        Columns<QString, int, int, int, QString>({"file", "seconds", "keep", "zeros", "fails"});
        // clang-format off
        Row("a FLAC cut after its header", "a.flac", 1, 200, 0, "it gives no sound");
        Row("a FLAC whose frames are zeroed", "a.flac", 1, 120, 48000, "it gives no sound");
        Row("a FLAC cut half-way", "a.flac", 2, 40000, 0, "it stops before its end");
        Row("an Ogg cut half-way", "a.ogg", 4, 8000, 0, "it stops before its end");
        // clang-format on
    }
    void aFileThatGivesLessFails() {
        auto [file, seconds, keep, zeros, fails] =
            Fetch<QString, int, int, int, QString>({"file", "seconds", "keep", "zeros", "fails"});
        REQUIRE(QStandardPaths::findExecutable("sox").isEmpty(), "sox");
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        QVERIFY(MakeTone(path, {"-r", "44100"}, seconds));
        Spoil(path, keep, zeros);
        auto stream = SoundStream::Open(path, false);
        QString why = stream ? QString() : stream.Error().Why;
        std::vector<float> block(4096 * 2);
        for (qint64 got = 1; stream && got > 0 && why.isEmpty();) {
            const Result<qint64> read = (*stream)->Read(block.data(), 4096);
            got = read ? *read : 0;
            why = read ? why : read.Error().Why;
        }
        QCOMPARE(why, fails);
    }

    // A file that cannot play gives way to the next in line, whatever keeps
    // it from playing, and the last in line plays (here: waits for the server).
    void theNextInLinePlays_data() {
        Columns<QString>({"first"});
        // clang-format off
        Row("missing", "missing");
        Row("no sound in it", "garbage");
        Row("cut after its header", "cut");
        // clang-format on
    }
    void theNextInLinePlays() {
        QFETCH(QString, first);
        REQUIRE(QStandardPaths::findExecutable("sox").isEmpty(), "sox");
        QTemporaryDir dir;
        const QString path = dir.filePath("first.flac");
        const QString next = dir.filePath("next.wav");
        QVERIFY(MakeTone(next, {}, 1));
        if (first == "garbage")
            WriteBytes(path, "fLaC and nothing of a sound");
        else if (first == "cut") {
            QVERIFY(MakeTone(path, {}, 1));
            Spoil(path, 200, 0);
        }
        SoundServer server;
        SoundDevice device(server, 0, {next});
        QSignalSpy replaced(&device, &SoundDevice::replaced);
        QSignalSpy failed(&device, &MediaBackend::failed);
        QSignalSpy waiting(&server, &SoundStatus::silenced);
        device.Play(path, false);
        QTRY_COMPARE(waiting.size(), 1);
        QCOMPARE(replaced.size(), 1);
        QCOMPARE(replaced[0][0].toString(), path);
        QVERIFY(failed.isEmpty());
    }

    // A file that stops before its end while it plays gives way too: the
    // rest of the ring is heard from the next in line.
    void aFileThatFailsWhilePlayingGivesWay() {
        REQUIRE(QStandardPaths::findExecutable("sox").isEmpty(), "sox");
        REQUIRE(QStandardPaths::findExecutable("pulseaudio").isEmpty(), "pulseaudio");
        QTemporaryDir dir;
        const QString path = dir.filePath("first.flac");
        const QString next = dir.filePath("next.wav");
        QVERIFY(MakeTone(path, {"-r", "44100"}, 2));
        Spoil(path, 40000, 0);
        QVERIFY(MakeTone(next, {}, 1));
        const PrivateServer server("module-null-sink");
        QVERIFY(server.Answers());
        SoundServer sound;
        SoundDevice device(sound, 0, {next});
        QSignalSpy replaced(&device, &SoundDevice::replaced);
        QSignalSpy ended(&device, &MediaBackend::ended);
        device.Play(path, false);
        QTRY_VERIFY_WITH_TIMEOUT(!ended.isEmpty(), 20'000);
        QCOMPARE(replaced.size(), 1);
        QCOMPARE(replaced[0][1].toString(), "it stops before its end");
    }

    // The default output as the server shows it; the one it makes when no
    // card is left plays into nothing, and counts as none.
    void theDefaultOutput_data() {
        Columns<QString, bool>({"module", "present"});
        // clang-format off
        Row("an output", "module-null-sink", true);
        Row("only the server's stand-in", "module-always-sink", false);
        // clang-format on
    }
    void theDefaultOutput() {
        auto [module, present] = Fetch<QString, bool>({"module", "present"});
        REQUIRE(QStandardPaths::findExecutable("pulseaudio").isEmpty(), "pulseaudio");
        const PrivateServer server(module);
        QVERIFY(server.Answers());
        SoundServer sound;
        PulseOutputVolume outputs(sound);
        QTRY_VERIFY(outputs.Current().Known);
        QCOMPARE(outputs.Current().Present, present);
    }

    // A ring plays at full volume whatever the server remembers for alarms;
    // a change the user makes once it plays holds for the rest of that ring
    // only.
    void aRingPlaysAtItsOwnLevel() {
        using Shown = StreamLevel::Shown;
        constexpr uint32_t Full = PA_VOLUME_NORM;
        constexpr uint64_t Second = 1'000'000;
        StreamLevel level;
        level.Began(1, 10 * Second);
        QCOMPARE(level.Judge(1, true, Full), Shown::Servers); // a mute remembered for alarms
        QCOMPARE(level.Judge(1, false, Full / 10), Shown::Servers);
        QCOMPARE(level.Judge(1, false, Full), Shown::Ring);
        QCOMPARE(level.Judge(7, true, Full), Shown::Other); // not Vendrix's
        QCOMPARE(level.Judge(1, true, Full), Shown::Users); // muted in a mixer
        QVERIFY(level.Muted());
        level.Ended(1, 11 * Second);
        level.Began(2, 12 * Second); // the ring's next round
        QCOMPARE(level.Judge(2, true, Full), Shown::Ring);
        level.Ended(2, 13 * Second);
        level.Began(3, 20 * Second); // the next ring
        QVERIFY(!level.Muted());
        QCOMPARE(level.Judge(3, true, Full), Shown::Servers);
    }

    // A missing server is tried again soon while a sound waits for it, for a
    // while, and otherwise seldom: no wake-ups for an idle window.
    void triesSlowDownWhenNothingWaits_data() {
        Columns<bool>({"waiting"});
        // clang-format off
        Row("nothing waits", false);
        Row("a sound waits", true);
        // clang-format on
    }
    void triesSlowDownWhenNothingWaits() {
        QFETCH(bool, waiting);
        SoundServer server({20, 60'000, 400, 0, 3'000});
        QSignalSpy tries(&server, &SoundServer::disconnected);
        QTRY_COMPARE(tries.size(), 1);
        QVERIFY(server.Missing());
        if (waiting)
            server.Want();
        QTest::qWait(700);
        const qsizetype soon = tries.size();
        QTest::qWait(500);
        QVERIFY(waiting ? soon >= 6 : soon == 1);
        QCOMPARE(tries.size(), soon); // after the wait, seldom
    }
};

QTEST_GUILESS_MAIN(TestSound)
#include "tst_sound.moc"
