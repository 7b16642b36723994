// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClockLogging.h"

Q_LOGGING_CATEGORY(lcClock, "vendrix.clock", QtInfoMsg)
