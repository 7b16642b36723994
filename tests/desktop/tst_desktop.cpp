// SPDX-License-Identifier: GPL-3.0-or-later
// What talks to the system, on stand-ins: the wake timer's helper and its
// rules, and the lock that keeps Vendrix to one copy per settings file.
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
#include <atomic>
#include <csignal>
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

    // A running copy is raised and the new start gives way, also one that
    // cannot be reached (started with another runtime folder); a lock whose
    // holder is gone keeps nothing from starting.
    void oneCopy_data() {
        Columns<QString, bool>({"before", "primary"});
        // clang-format off
        Row("a running copy", "running", false);
        Row("a copy started with another runtime folder", "elsewhere", false);
        Row("a lock whose holder is gone", "gone", true);
        // clang-format on
    }
    void oneCopy() {
        auto [before, primary] = Fetch<QString, bool>({"before", "primary"});
        const RuntimeFolder folder;
        QTemporaryDir settings;
        const QString ini = settings.filePath("alerm.ini");
        const QString lock = settings.filePath(".alerm.ini.lock");
        std::optional<RuntimeFolder> elsewhere;
        if (before == "elsewhere")
            elsewhere.emplace();
        SingleInstance first(ini);
        QSignalSpy raised(&first, &SingleInstance::activated);
        if (before != "gone")
            QVERIFY(first.IsPrimary());
        elsewhere.reset();
        qputenv("XDG_RUNTIME_DIR", folder.dir.path().toUtf8());
        if (before == "gone") {
            QProcess ended;
            ended.start("true");
            QVERIFY(ended.waitForStarted());
            const qint64 pid = ended.processId(); // 0 once it has ended
            QVERIFY(ended.waitForFinished());
            WriteBytes(lock, QByteArray::number(pid) + "\ntst_desktop\n" +
                                 QSysInfo::machineHostName().toUtf8() + "\n" +
                                 QSysInfo::machineUniqueId() + "\n" + QSysInfo::bootUniqueId() +
                                 "\n");
        }
        SingleInstance second(ini);
        QCOMPARE(second.IsPrimary(), primary);
        if (before == "running")
            QTRY_COMPARE(raised.size(), 1);
    }

    // vendrix --stop reaches the copy that runs on the same settings, or
    // says that none does.
    void stopFromTheCommandLine() {
        const RuntimeFolder folder;
        QTemporaryDir settings;
        const QString ini = settings.filePath("alerm.ini");
        QVERIFY(!SingleInstance::StopRunning(ini));
        SingleInstance running(ini);
        QVERIFY(running.IsPrimary());
        QSignalSpy stopped(&running, &SingleInstance::stopRequested);
        std::atomic<bool> answered = false;
        std::thread asking([&] { answered = SingleInstance::StopRunning(ini); });
        QTRY_COMPARE(stopped.size(), 1);
        asking.join();
        QVERIFY(answered);
    }
};

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
