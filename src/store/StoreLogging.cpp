// SPDX-License-Identifier: GPL-3.0-or-later
#include "StoreLogging.h"

Q_LOGGING_CATEGORY(lcStore, "vendrix.store", QtInfoMsg)
