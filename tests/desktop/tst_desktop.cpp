// SPDX-License-Identifier: GPL-3.0-or-later
// What talks to the system, on stand-ins: the wake timer's helper and its
// rules, and the lock that keeps Vendrix to one copy per settings file.
#include "CommandSocket.h"
#include "OneCopyLock.h"
#include "RtcWakeTimer.h"
#include "SingleInstance.h"
#include "TestSupport.h"
#include "WakeHelperRules.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>

namespace {

// While it lives, this thread may not set an alarm timer itself, as a user
// without CAP_WAKE_ALARM: the wake goes through the helper.
struct WithoutWakeCapability {
    WithoutWakeCapability() { SetEffective(1, Bit, false); }
    ~WithoutWakeCapability() { SetEffective(1, Bit, true); }
    static constexpr __u32 Bit = 1u << (CAP_WAKE_ALARM - 32);
};

// A stand-in for vendrix-wake running `body`; what it is sent goes to helper.in.
QString Helper(const QTemporaryDir& dir, const QByteArray& body) {
    const QString path = dir.filePath("helper");
    WriteBytes(path, "#!/bin/sh\necho $$ >>\"$0.pids\"\n" + body + "\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
    return path;
}

constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

// A folder of this user's, mode 0700, that XDG_RUNTIME_DIR names.
struct RuntimeFolder {
    RuntimeFolder() {
        QFile::setPermissions(dir.path(), OwnerOnly);
        qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
        qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    }
    QTemporaryDir dir;
    QTemporaryDir cache;
};

const QByteArray Listen = "while read -r l; do echo \"$l\" >>\"$0.in\"; done";

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private slots:
    void accountsThatMayWake_data() {
        Columns<uint, QByteArray, bool>({"uid", "loginDefs", "may"});
        // clang-format off
        Row("root", 0u, QByteArray(), true);
        Row("the first user", 1000u, QByteArray(), true);
        Row("the last user", 60000u, QByteArray(), true);
        Row("a system account", 999u, QByteArray(), false);
        Row("nobody", 65534u, QByteArray(), false);
        Row("below a raised UID_MIN", 1200u, QByteArray("UID_MIN\t\t 1500\nUID_MINIMUM 1\n"), false);
        Row("a commented-out UID_MIN", 1200u, QByteArray("# UID_MIN 1500\n"), true);
        Row("below a raised UID_MAX", 65000u, QByteArray("UID_MAX 70000\n"), true);
        // clang-format on
    }
    void accountsThatMayWake() {
        auto [uid, loginDefs, may] = Fetch<uint, QByteArray, bool>({"uid", "loginDefs", "may"});
        QCOMPARE(WakeHelper::MayWake(uid, loginDefs.toStdString()), may);
    }

    // What the helper does with its input, however it arrives.
    void helperInput_data() {
        Columns<QByteArrayList, QString>({"chunks", "requests"});
        // clang-format off
        Row("a time and off", QByteArrayList{"4102444800\noff\n"}, "4102444800 off");
        Row("a line in pieces", QByteArrayList{"41024", "44800", "\n"}, "4102444800");
        Row("an overlong line dropped whole", QByteArrayList{"41024448001234567", "89\n4102444800\n"}, "4102444800");
        Row("no number, a sign, a time long past", QByteArrayList{"on\n-1\n12\n\n"}, "");
        Row("no line end yet", QByteArrayList{"4102444800"}, "");
        // clang-format on
    }
    void helperInput() {
        auto [chunks, requests] = Fetch<QByteArrayList, QString>({"chunks", "requests"});
        WakeHelper::LineReader reader;
        QStringList seen;
        for (const QByteArray& chunk : chunks) {
            for (const std::string& line : reader.Feed(chunk.toStdString())) {
                const auto request = WakeHelper::Parse(line, 4102444800);
                if (request)
                    seen << (request->Off ? QString("off") : QString::number(request->At));
            }
        }
        QCOMPARE(seen.join(' '), requests);
    }

    // A helper that was ended is started again and told the wake once more.
    void anEndedHelperIsStartedAgain() {
        QTemporaryDir dir;
        const QString helper = Helper(dir, Listen);
        const WithoutWakeCapability user;
        RtcWakeTimer timer(helper);
        timer.WakeAt(4102444800);
        QTRY_COMPARE(ReadBytes(helper + ".in"), "4102444800\n");
        ::kill(ReadBytes(helper + ".pids").trimmed().toInt(), SIGKILL);
        QTRY_COMPARE_WITH_TIMEOUT(ReadBytes(helper + ".in"), "4102444800\n4102444800\n", 10'000);
    }

    // A helper that cannot serve says why, and the program tells it.
    void aHelperThatCannotServeIsTold_data() {
        Columns<QByteArray, QString>({"body", "why"});
        // clang-format off
        Row("an account that is not a person's", QByteArray("exit 4"), "this account may not wake the computer");
        Row("no capability", QByteArray("exit 2"), "neither the program nor vendrix-wake has CAP_WAKE_ALARM");
        Row("a time the kernel refuses", QByteArray("read -r l; echo refused Invalid argument; cat"), "the wake time was refused (Invalid argument)");
        // clang-format on
    }
    void aHelperThatCannotServeIsTold() {
        auto [body, why] = Fetch<QByteArray, QString>({"body", "why"});
        QTemporaryDir dir;
        const WithoutWakeCapability user;
        RtcWakeTimer timer(Helper(dir, body));
        QSignalSpy told(&timer, &WakeTimer::unavailable);
        timer.WakeAt(4102444800);
        QTRY_COMPARE(told.size(), 1);
        QCOMPARE(told[0][0].toString(), why);
    }

    // The lock and the socket stay where only the user can reach them.
    void privateFolder_data() {
        Columns<QString, QString>({"runtime", "used"});
        // clang-format off
        Row("the runtime folder", "private", "runtime");
        Row("no runtime folder", "unset", "cache");
        Row("a runtime folder of another account's", "foreign", "cache");
        Row("a runtime folder others may enter", "open", "cache");
        // clang-format on
    }
    void privateFolder() {
        auto [runtime, used] = Fetch<QString, QString>({"runtime", "used"});
        const RuntimeFolder folder;
        if (runtime == "unset")
            qunsetenv("XDG_RUNTIME_DIR");
        if (runtime == "open")
            QFile::setPermissions(folder.dir.path(),
                                  OwnerOnly | QFile::ReadOther | QFile::ExeOther);
        if (runtime == "foreign" && ::chown(qPrintable(folder.dir.path()), 65534, 65534) != 0)
            QSKIP("only root can give a folder to another account");
        const QString chosen = SingleInstance::PrivateFolder();
        QCOMPARE(chosen, used == "runtime" ? folder.dir.path() : folder.cache.filePath("vendrix"));
        QCOMPARE(QFile::permissions(chosen) &
                     ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                 OwnerOnly);
    }

    // Whatever stands where the lock goes, only a copy that runs keeps
    // another away: nothing is followed, written through or waited on.
    // Settings reached by two links are one file, with one lock.
    void onlyARunningCopyKeepsAway_data() {
        Columns<QString, bool>({"there", "held"});
        // clang-format off
        Row("nothing", "", false);
        Row("an empty file, as a power cut leaves", "empty", false);
        Row("garbage", "garbage", false);
        Row("left by a copy that ended", "stale", false);
        Row("a folder", "folder", false);
        Row("a dangling link", "link", false);
        Row("a FIFO", "fifo", false);
        Row("another account's file", "foreign", false);
        Row("held by a copy that runs", "held", true);
        Row("held, the settings reached by another link", "linked", true);
        Row("held, no lock file can be made", "readonly", true);
        // clang-format on
    }
    void onlyARunningCopyKeepsAway() {
        auto [there, held] = Fetch<QString, bool>({"there", "held"});
        QTemporaryDir dir;
        const QString ini = dir.filePath("settings/alerm.ini");
        const QString lock = dir.filePath("settings/.alerm.ini.lock");
        QDir().mkpath(dir.filePath("settings"));
        WriteBytes(ini, "[Public]\nValidation=x\n");
        std::optional<OneCopyLock> other;
        std::optional<Restricted> readOnly;
        if (there == "empty" || there == "garbage" || there == "stale")
            WriteBytes(lock, there == "empty" ? "" : there == "stale" ? "1\nhost\n" : "\x01junk");
        else if (there == "folder")
            QVERIFY(QDir().mkdir(lock));
        else if (there == "link")
            QVERIFY(QFile::link(dir.filePath("nowhere/else"), lock));
        else if (there == "fifo")
            QCOMPARE(::mkfifo(qPrintable(lock), 0600), 0);
        else if (there == "foreign")
            WriteBytes(lock, "");
        if (there == "foreign" && ::chown(qPrintable(lock), 65534, 65534) != 0)
            QSKIP("only root can give a file to another account");
        if (held) {
            QVERIFY(QFile::link(ini, dir.filePath("link.ini")));
            other.emplace(there == "linked" ? dir.filePath("link.ini") : ini);
            if (there == "readonly")
                readOnly.emplace(dir.filePath("settings"));
            QCOMPARE(other->Take(), OneCopyLock::State::Taken);
        }
        OneCopyLock mine(ini);
        QCOMPARE(mine.Take(), held ? OneCopyLock::State::Held : OneCopyLock::State::Taken);
        QVERIFY(!QFileInfo::exists(dir.filePath("nowhere")));
        QVERIFY(held || (QFileInfo(lock).isFile() && !QFileInfo(lock).isSymLink()));
    }

    // A second start reaches the copy that runs, in another process, through
    // the socket the lock names, whatever runtime folder it was started
    // with: it comes forward, and --stop stops it. A copy that holds the
    // lock and answers nothing keeps the start away, which says who it is.
    void aRunningCopyIsReached_data() {
        Columns<QString, int>({"holder", "claim"});
        // clang-format off
        Row("another process", "process", int(SingleInstance::Claim::Raised));
        Row("another process, another runtime folder", "elsewhere", int(SingleInstance::Claim::Raised));
        Row("a copy that cannot answer", "mute", int(SingleInstance::Claim::Unreachable));
        // clang-format on
    }
    void aRunningCopyIsReached() {
        auto [holder, claim] = Fetch<QString, int>({"holder", "claim"});
        const RuntimeFolder folder;
        QTemporaryDir settings;
        const QString ini = settings.filePath("alerm.ini");
        QProcess running;
        OneCopyLock mute(ini);
        QTemporaryDir its; // the runtime folder of a copy started elsewhere
        QFile::setPermissions(its.path(), OwnerOnly);
        if (holder == "mute") {
            QCOMPARE(mute.Take(), OneCopyLock::State::Taken);
        } else {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("VENDRIX_TEST_HOLD", ini);
            if (holder == "elsewhere")
                environment.insert("XDG_RUNTIME_DIR", its.path());
            running.setProcessEnvironment(environment);
            running.start(QCoreApplication::applicationFilePath());
            QVERIFY(running.waitForReadyRead(5000));
            QCOMPARE(running.readLine(), "primary\n");
        }
        SingleInstance second(ini);
        QCOMPARE(int(second.Take()), claim);
        if (holder == "mute") {
            QCOMPARE(second.Holder().Pid, 0); // it wrote nothing of itself
            return;
        }
        QVERIFY(running.waitForReadyRead(5000));
        QCOMPARE(running.readLine(), "raised\n");
        QVERIFY(SingleInstance::StopRunning(ini));
        QVERIFY(running.waitForFinished(5000));
    }

    // A moment without file descriptors does not end the listening: once
    // there are some again, a command gets through.
    void theSocketListensOnAfterAMomentWithoutFiles() {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("the sanitizers need descriptors of their own to check a call");
#endif
        const RuntimeFolder folder;
        CommandSocket socket;
        QVERIFY(socket.Listen(folder.dir.filePath("socket")));
        QSignalSpy received(&socket, &CommandSocket::received);
        const int client = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{AF_UNIX, {}};
        qstrncpy(address.sun_path, qPrintable(folder.dir.filePath("socket")),
                 sizeof address.sun_path);
        QCOMPARE(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        const rlimit low{512, limit.rlim_max};
        ::setrlimit(RLIMIT_NOFILE, &low);
        std::vector<int> filler;
        for (int fd; (fd = ::dup(0)) >= 0;) // every descriptor taken, up to the limit
            filler.push_back(fd);
        QTest::qWait(100); // the connection waits; accepting it finds no descriptor
        for (int fd : filler)
            ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &limit);
        ::close(client);
        std::atomic<bool> answered = false;
        std::thread asking(
            [&] { answered = CommandSocket::Tell(folder.dir.filePath("socket"), "stop", 30); });
        QTRY_COMPARE(received.size(), 1);
        asking.join();
        QVERIFY(answered);
    }
};

// The copy that runs, for aRunningCopyIsReached: a process of its own.
int HoldAsTheRunningCopy(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    SingleInstance running(qEnvironmentVariable("VENDRIX_TEST_HOLD"));
    if (running.Take() != SingleInstance::Claim::Primary)
        return 1;
    QObject::connect(&running, &SingleInstance::activated, [] { std::fputs("raised\n", stdout); });
    QObject::connect(&running, &SingleInstance::stopRequested, &app,
                     [] { QTimer::singleShot(200, &QCoreApplication::quit); }); // once answered
    std::fputs("primary\n", stdout);
    std::fflush(stdout);
    QObject::connect(&running, &SingleInstance::activated, [] { std::fflush(stdout); });
    return QCoreApplication::exec();
}

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsSet("VENDRIX_TEST_HOLD"))
        return HoldAsTheRunningCopy(argc, argv);
    QCoreApplication app(argc, argv);
    TestDesktop test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_desktop.moc"
