// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WakeTimer.h"

#include <QString>

class QProcess;
class QSocketNotifier;

// The wake on Linux's alarm timer (timerfd on CLOCK_REALTIME_ALARM), which
// the kernel keeps across a suspend and programs into the hardware clock. It
// needs CAP_WAKE_ALARM: held in the program itself when the program has it
// (recent systemd gives it to users on a seat), else by the helper
// vendrix-wake, which has only that capability. Without either, alarms ring
// as before while the computer is awake; one line on standard error says
// what would enable the wake. Nothing is created before a wake is wanted.
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
    void Unavailable(const QString& why);
    void Fired();

    QString helperPath_;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QProcess* helper_ = nullptr;
    bool unavailable_ = false;
    qint64 suspendedAtArm_ = 0; // nanoseconds the computer had slept when the timer was set
};
