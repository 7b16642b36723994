// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// What goes wrong in sounds and launches goes to standard error on this category
// ("vendrix.actions"; its debug messages with QT_LOGGING_RULES="vendrix.actions.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcActions)
