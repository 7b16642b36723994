// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopLogging.h"

Q_LOGGING_CATEGORY(lcDesktop, "vendrix.desktop", QtInfoMsg)
