// SPDX-License-Identifier: GPL-3.0-or-later
#include "Logging.h"

Q_LOGGING_CATEGORY(lcStore, "vendrix.store", QtInfoMsg)
Q_LOGGING_CATEGORY(lcScheduler, "vendrix.scheduler", QtInfoMsg)
Q_LOGGING_CATEGORY(lcActions, "vendrix.actions", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDesktop, "vendrix.desktop", QtInfoMsg)
Q_LOGGING_CATEGORY(lcClock, "vendrix.clock", QtInfoMsg)
