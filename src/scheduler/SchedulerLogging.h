// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// What goes wrong in the alarm scan goes to standard error on this category
// ("vendrix.scheduler"; its debug messages with QT_LOGGING_RULES="vendrix.scheduler.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcScheduler)
