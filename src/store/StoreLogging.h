// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// What goes wrong in the settings file goes to standard error on this category
// ("vendrix.store"; its debug messages with QT_LOGGING_RULES="vendrix.store.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcStore)
