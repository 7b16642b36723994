// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopLogging.h"
#include "SleepInhibitor.h"
#include "TellOnce.h"

#include <QDBusUnixFileDescriptor>

// A "block" inhibitor of sleep and of the lid switch, taken from logind on
// the system bus: the file descriptor it hands out is the lock, closed to
// release it. The bus is reached at the first Hold, so nothing is said on it
// while nothing rings. Without a bus, logind or its consent, alarms ring as
// before; one line on standard error says so.
class LogindInhibitor : public SleepInhibitor {
    Q_OBJECT
public:
    void Hold() override;
    void Release() override;

private:
    void Fail(const QString& why);

    bool wanted_ = false;
    bool pending_ = false; // an Inhibit is on its way
    TellOnce failing_{lcDesktop};
    QDBusUnixFileDescriptor lock_;
};
