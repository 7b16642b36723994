// SPDX-License-Identifier: GPL-3.0-or-later
#include "ActionsLogging.h"

Q_LOGGING_CATEGORY(lcActions, "vendrix.actions", QtInfoMsg)
