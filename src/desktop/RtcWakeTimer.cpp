// SPDX-License-Identifier: GPL-3.0-or-later
#include "RtcWakeTimer.h"

#include "Logging.h"

#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

// How long the computer has been suspended since it started: the boot clock
// counts a suspend, the monotonic one does not.
qint64 SuspendedNs() {
    timespec boot{}, mono{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    clock_gettime(CLOCK_MONOTONIC, &mono);
    return (qint64(boot.tv_sec) - mono.tv_sec) * 1'000'000'000 + (boot.tv_nsec - mono.tv_nsec);
}

// What the helper's exit code says, as vendrix-wake.cpp sets it.
QString HelperFailure(int code) {
    switch (code) {
    case 2:
        return QStringLiteral("neither the program nor vendrix-wake has CAP_WAKE_ALARM");
    case 3:
        return QStringLiteral("the computer has no clock that can wake it");
    default:
        return QStringLiteral("vendrix-wake ended (%1)").arg(code);
    }
}

} // namespace

RtcWakeTimer::RtcWakeTimer(QString helper) : helperPath_(std::move(helper)) {}

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
        Unavailable(QString::fromLocal8Bit(std::strerror(errno)));
}

void RtcWakeTimer::Close() {
    delete notifier_;
    notifier_ = nullptr;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

// In the program when it may, else through the helper.
bool RtcWakeTimer::Open() {
    if (fd_ >= 0 || helper_)
        return true;
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
        while (helper_->canReadLine())
            if (helper_->readLine() == "fired\n")
                Fired();
    });
    connect(helper_, &QProcess::finished, this,
            [this](int code) { Unavailable(HelperFailure(code)); });
    helper_->start(helperPath_, {});
    helper_->waitForStarted(1000);
    qCDebug(lcDesktop) << "the wake timer is held by" << helperPath_;
    return true;
}

void RtcWakeTimer::Unavailable(const QString& why) {
    if (!unavailable_)
        qCWarning(lcDesktop).noquote()
            << QStringLiteral("cannot wake the computer for alarms: %1; alarms ring while it is "
                              "awake. To enable it: sudo setcap cap_wake_alarm=ep %2")
                   .arg(why, helperPath_);
    unavailable_ = true;
}

// The timer also fires on a computer that never slept: only a wake counts.
void RtcWakeTimer::Fired() {
    if (SuspendedNs() - suspendedAtArm_ > 1'000'000'000)
        emit woke();
}
