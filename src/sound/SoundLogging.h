// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// What goes wrong in making a sound heard goes to standard error on this category
// ("vendrix.sound"; its debug messages with QT_LOGGING_RULES="vendrix.sound.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcSound)
