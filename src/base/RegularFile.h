// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"

#include <QFile>
#include <memory>

// Opens the regular file at path for reading, without waiting on whatever
// else may stand there (a FIFO waits for a writer, a device for its
// driver): that fails at once, as does a folder (NotAFile tells), and
// ENOENT says there is nothing. `ownLink`: a symbolic link at path is not
// followed (ELOOP).
Status OpenRegular(QFile& file, const QString& path, bool ownLink = false);
// The bytes of the regular file at path, as OpenRegular opens it, refused
// (EFBIG) when it holds more than `limit`, without reading it.
Result<QByteArray> ReadRegular(const QString& path, qint64 limit, bool ownLink = false);
// Why something of this file type (st_mode) is not read or written.
Failure NotRegular(unsigned mode);
bool NotAFile(const Failure& failure);
// Writes `bytes` to a new file beside path with permissions `mode` (-1: as
// the umask gives them), syncs it and renames it over path, so that path
// holds either what it held or all of `bytes`; a symbolic link at path is
// replaced, not followed.
Status ReplaceWhole(const QString& path, const QByteArray& bytes, int mode = -1);
// Like ReplaceWhole, for a file others may write to: what stood at path is
// handed back, open, exactly as it was replaced (the two are exchanged in
// one step), so that an edit that landed there at the last moment is found
// in it, not lost; none when nothing stood there. Where the file system
// cannot exchange, it is opened just before the rename. Fails (EEXIST)
// when something appears at an empty path meanwhile.
Result<std::unique_ptr<QFile>> ExchangeWhole(const QString& path, const QByteArray& bytes,
                                             int mode = -1);
// The file a chain of symbolic links at path ends at, whether or not it
// exists; path itself when it is no link.
QString FinalTarget(const QString& path);
