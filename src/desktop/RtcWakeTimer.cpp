// SPDX-License-Identifier: GPL-3.0-or-later
#include "RtcWakeTimer.h"

#include "DesktopLogging.h"
#include "WakeHelperRules.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

// For whoever checks that the wake is set (the debug messages of vendrix.desktop).
void TellSet(qint64 epochSeconds) {
    qCDebug(lcDesktop).noquote()
        << "the computer wakes at"
        << QDateTime::fromSecsSinceEpoch(epochSeconds).toString(Qt::ISODate);
}

// How long the computer has been suspended since it started: the boot clock
// counts a suspend, the monotonic one does not.
qint64 SuspendedNs() {
    timespec boot{}, mono{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    clock_gettime(CLOCK_MONOTONIC, &mono);
    return (qint64(boot.tv_sec) - mono.tv_sec) * 1'000'000'000 + (boot.tv_nsec - mono.tv_nsec);
}

constexpr int FirstRestartMs = 1000;
constexpr int LastRestartMs = 300'000;
constexpr int TellAfterMs = 16'000; // five quick ends in a row: it will not stay up
constexpr qint64 StableMs = 60'000; // a helper that ran this long did not end at once

// What the helper's exit code says (WakeHelper::Exit).
QString HelperFailure(int code) {
    switch (code) {
    case WakeHelper::NoCapability:
        return QStringLiteral("neither the program nor vendrix-wake has CAP_WAKE_ALARM");
    case WakeHelper::NoWakeClock:
        return QStringLiteral("the computer has no clock that can wake it");
    case WakeHelper::AccountRefused:
        return QStringLiteral("this account may not wake the computer");
    default:
        return QStringLiteral("vendrix-wake cannot run safely here");
    }
}

} // namespace

RtcWakeTimer::RtcWakeTimer(QString helper) : helperPath_(std::move(helper)) {
    restart_.setSingleShot(true);
    connect(&restart_, &QTimer::timeout, this, [this] { WakeAt(wanted_); });
}

RtcWakeTimer::~RtcWakeTimer() {
    Close();
    if (helper_) {
        helper_->disconnect();
        helper_->closeWriteChannel(); // it ends with its input
        helper_->waitForFinished(1000);
    }
}

// Disarmed, the timer is closed: the kernel would go on showing a disarmed
// alarm timer's last time, and no timer is what nothing armed should look like.
void RtcWakeTimer::WakeAt(std::optional<qint64> epochSeconds) {
    wanted_ = epochSeconds;
    if (unavailable_)
        return;
    if (!epochSeconds && !helper_)
        return Close();
    if (!Open())
        return;
    suspendedAtArm_ = SuspendedNs();
    if (helper_) {
        helper_->write(epochSeconds ? QByteArray::number(*epochSeconds) + '\n' : "off\n");
        return;
    }
    itimerspec when{};
    when.it_value.tv_sec = *epochSeconds;
    if (timerfd_settime(fd_, TFD_TIMER_ABSTIME, &when, nullptr) != 0)
        return Unavailable(QString::fromLocal8Bit(std::strerror(errno)));
    TellSet(*epochSeconds);
}

void RtcWakeTimer::Close() {
    delete notifier_;
    notifier_ = nullptr;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

// In the program when it may, else through the helper (none while it waits
// to be started again).
bool RtcWakeTimer::Open() {
    if (fd_ >= 0 || helper_)
        return true;
    if (restart_.isActive())
        return false;
    fd_ = timerfd_create(CLOCK_REALTIME_ALARM, TFD_CLOEXEC | TFD_NONBLOCK);
    if (fd_ < 0 && errno == EPERM)
        return StartHelper();
    if (fd_ < 0) {
        Unavailable(QStringLiteral("the computer has no clock that can wake it (%1)")
                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        quint64 expirations = 0;
        if (::read(fd_, &expirations, sizeof expirations) > 0)
            Fired();
    });
    qCDebug(lcDesktop) << "the wake timer is held by the program";
    return true;
}

bool RtcWakeTimer::StartHelper() {
    if (!QFileInfo(helperPath_).isExecutable()) {
        Unavailable(
            QStringLiteral("the program lacks CAP_WAKE_ALARM, and %1 is missing").arg(helperPath_));
        return false;
    }
    helper_ = new QProcess(this);
    helper_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(helper_, &QProcess::readyReadStandardOutput, this, [this] {
        while (helper_ && helper_->canReadLine())
            HelperSaid(helper_->readLine().trimmed());
    });
    connect(helper_, &QProcess::finished, this, &RtcWakeTimer::HelperEnded);
    connect(helper_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            HelperEnded(-1, QProcess::CrashExit);
    });
    helperStarted_.start();
    helper_->start(helperPath_, {});
    qCDebug(lcDesktop) << "the wake timer is held by" << helperPath_;
    return helper_ != nullptr;
}

void RtcWakeTimer::HelperSaid(const QByteArray& line) {
    if (line == "fired")
        Fired();
    else if (line.startsWith("set "))
        TellSet(line.mid(4).toLongLong());
    else if (line.startsWith("refused "))
        emit unavailable(QStringLiteral("the wake time was refused (%1)")
                             .arg(QString::fromLocal8Bit(line.mid(8))));
}

// A helper that cannot serve here is not started again; one that was ended
// (killed, crashed) is, later each time it ends at once.
void RtcWakeTimer::HelperEnded(int code, QProcess::ExitStatus status) {
    helper_->disconnect(this);
    helper_->deleteLater();
    helper_ = nullptr;
    if (status == QProcess::NormalExit && code >= WakeHelper::NoCapability &&
        code <= WakeHelper::Unsafe)
        return Unavailable(HelperFailure(code));
    const bool quick = helperStarted_.elapsed() < StableMs;
    restartDelayMs_ =
        quick ? std::clamp(restartDelayMs_ * 2, FirstRestartMs, LastRestartMs) : FirstRestartMs;
    const QString why = status == QProcess::CrashExit
                            ? QStringLiteral("vendrix-wake was stopped or crashed")
                            : QStringLiteral("vendrix-wake ended (%1)").arg(code);
    qCWarning(lcDesktop).noquote()
        << QStringLiteral("%1; starting it again in %2 s").arg(why).arg(restartDelayMs_ / 1000);
    if (restartDelayMs_ >= TellAfterMs && wanted_)
        emit unavailable(why);
    restart_.start(restartDelayMs_);
}

void RtcWakeTimer::Unavailable(const QString& why) {
    unavailable_ = true;
    const QString enable =
        why == HelperFailure(WakeHelper::NoCapability)
            ? QStringLiteral(". To enable it: sudo setcap cap_wake_alarm=ep %1").arg(helperPath_)
            : QString();
    if (cannotWake_.Tell(QStringLiteral("cannot wake the computer for alarms: %1; alarms ring "
                                        "while it is awake%2")
                             .arg(why, enable)))
        emit unavailable(why);
}

// The timer also fires on a computer that never slept: only a wake counts.
void RtcWakeTimer::Fired() {
    if (SuspendedNs() - suspendedAtArm_ > 1'000'000'000)
        emit woke();
}
