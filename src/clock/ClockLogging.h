// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// What goes wrong in the alarm clock goes to standard error on this category
// ("vendrix.clock"; its debug messages with QT_LOGGING_RULES="vendrix.clock.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcClock)
