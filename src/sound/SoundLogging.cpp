// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundLogging.h"

Q_LOGGING_CATEGORY(lcSound, "vendrix.sound", QtInfoMsg)
