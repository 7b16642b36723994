// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopLogging.h"
#include "TellOnce.h"
#include "WakeTimer.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QTimer>

class QSocketNotifier;

// The wake on Linux's alarm timer (timerfd on CLOCK_REALTIME_ALARM), which
// the kernel keeps across a suspend and programs into the hardware clock. It
// needs CAP_WAKE_ALARM: held in the program itself when the program has it
// (recent systemd gives it to users on a seat), else by the helper
// vendrix-wake, which has only that capability. A helper that ends is
// started again, later each time it ends at once. Without either, alarms
// ring as before while the computer is awake; one line on standard error
// says why and what would enable the wake. Nothing is created before a wake
// is wanted.
class RtcWakeTimer : public WakeTimer {
    Q_OBJECT
public:
    // helper: the path of vendrix-wake.
    explicit RtcWakeTimer(QString helper);
    ~RtcWakeTimer() override;

    void WakeAt(std::optional<qint64> epochSeconds) override;

private:
    bool Open();
    void Close();
    bool StartHelper();
    void HelperSaid(const QByteArray& line);
    void HelperEnded(int code, QProcess::ExitStatus status);
    void Unavailable(const QString& why);
    void Fired();

    QString helperPath_;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QProcess* helper_ = nullptr;
    QElapsedTimer helperStarted_;
    QTimer restart_;
    int restartDelayMs_ = 0;
    std::optional<qint64> wanted_;
    bool unavailable_ = false;
    TellOnce cannotWake_{lcDesktop};
    qint64 suspendedAtArm_ = 0; // nanoseconds the computer had slept when the timer was set
};
