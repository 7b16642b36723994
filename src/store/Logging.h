// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// One category a subsystem. Warnings say on standard error (the journal, for
// a program started from the menu) what went wrong and what the program does
// instead; the debug messages of one are turned on with, for example,
// QT_LOGGING_RULES="vendrix.scheduler.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcStore)
Q_DECLARE_LOGGING_CATEGORY(lcScheduler)
Q_DECLARE_LOGGING_CATEGORY(lcActions)
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)
Q_DECLARE_LOGGING_CATEGORY(lcClock)
