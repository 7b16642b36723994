// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QFile>

// Opens the regular file at path for reading, without waiting on whatever
// else may stand there (a FIFO waits for a writer, a device for its
// driver): that fails at once, as does a folder (NotAFile tells), and
// ENOENT says there is nothing.
Status OpenRegular(QFile& file, const QString& path);
// Why something of this file type (st_mode) is not read or written.
Failure NotRegular(unsigned mode);
bool NotAFile(const Failure& failure);
