// SPDX-License-Identifier: GPL-3.0-or-later
#include "SchedulerLogging.h"

Q_LOGGING_CATEGORY(lcScheduler, "vendrix.scheduler", QtInfoMsg)
