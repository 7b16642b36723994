// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// What goes wrong in the desktop services goes to standard error on this category
// ("vendrix.desktop"; its debug messages with QT_LOGGING_RULES="vendrix.desktop.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)
