// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDebug>
#include <QString>

// One line on standard error (the journal, for a program started from the
// menu): what went wrong and what the program does instead.
inline void Warn(const QString& message) {
    qWarning().noquote() << "vendrix:" << message;
}
