// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

Failure SystemFailure(int error) {
    return {QString::fromLocal8Bit(std::strerror(error)), error};
}

} // namespace

Failure NotRegular(unsigned mode) {
    return S_ISDIR(mode) ? Failure{QStringLiteral("it is a folder"), EISDIR}
                         : Failure{QStringLiteral("it is not a regular file"), ENXIO};
}

Status OpenRegular(QFile& file, const QString& path, bool ownLink) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC | (ownLink ? O_NOFOLLOW : 0));
    if (fd < 0)
        return SystemFailure(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return NotRegular(info.st_mode);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Failure{file.errorString(), EIO};
    }
    return Done{};
}

Result<QByteArray> ReadRegular(const QString& path, qint64 limit, bool ownLink) {
    QFile file;
    if (const Status opened = OpenRegular(file, path, ownLink); !opened)
        return opened.Error();
    if (file.size() > limit)
        return Failure{
            QStringLiteral("it is larger than any such file (%1 bytes)").arg(file.size()), EFBIG};
    // Read to a bound: a file that grows meanwhile is no bigger for it.
    const QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit)
        return Failure{QStringLiteral("it grew larger than any such file"), EFBIG};
    return bytes;
}

bool NotAFile(const Failure& failure) {
    return failure.Error == EISDIR || failure.Error == ENXIO;
}

namespace {

// Written whole to a new file beside path, synced; its name, or why not.
Result<QByteArray> WriteBeside(const QString& path, const QByteArray& bytes, int mode) {
    const QByteArray temp = QFile::encodeName(
        QStringLiteral("%1.%2.tmp").arg(path).arg(QRandomGenerator::global()->generate()));
    const int fd =
        ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode < 0 ? 0666 : mode);
    if (fd < 0)
        return SystemFailure(errno);
    int error = mode >= 0 && ::fchmod(fd, mode_t(mode)) != 0 ? errno : 0;
    for (qsizetype done = 0; done < bytes.size() && error == 0;) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        error = written < 0 && errno != EINTR ? errno : 0;
        done += std::max<ssize_t>(written, 0);
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0)
        return temp;
    ::unlink(temp.constData());
    return SystemFailure(error);
}

} // namespace

// QSaveFile is not used: on a full disk it reports success and leaves an
// empty file.
Status ReplaceWhole(const QString& path, const QByteArray& bytes, int mode) {
    const Result<QByteArray> temp = WriteBeside(path, bytes, mode);
    if (!temp)
        return temp.Error();
    if (::rename(temp->constData(), QFile::encodeName(path).constData()) == 0)
        return Done{};
    const int error = errno;
    ::unlink(temp->constData());
    return SystemFailure(error);
}

Result<std::unique_ptr<QFile>> ExchangeWhole(const QString& path, const QByteArray& bytes,
                                             int mode) {
    const Result<QByteArray> temp = WriteBeside(path, bytes, mode);
    if (!temp)
        return temp.Error();
    const QByteArray target = QFile::encodeName(path);
    auto replaced = std::make_unique<QFile>();
    int error = 0;
    if (::renameat2(AT_FDCWD, temp->constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE) ==
        0) {
        // The old file now stands at the temporary name: held open, then removed.
        const int fd = ::open(temp->constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ::unlink(temp->constData());
        if (fd < 0 || !replaced->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            replaced.reset();
        return replaced;
    }
    if (errno == ENOENT) { // nothing there: nothing to hand back
        error = ::renameat2(AT_FDCWD, temp->constData(), AT_FDCWD, target.constData(),
                            RENAME_NOREPLACE) == 0
                    ? 0
                    : errno;
        replaced.reset();
    } else if (errno == EINVAL || errno == ENOSYS) { // no exchange on this file system
        if (OpenRegular(*replaced, path) && ::rename(temp->constData(), target.constData()) == 0)
            return replaced;
        error = errno != 0 ? errno : EIO;
    } else {
        error = errno;
    }
    if (error == 0)
        return replaced;
    ::unlink(temp->constData());
    return SystemFailure(error);
}

QString FinalTarget(const QString& path) {
    QString at = QFileInfo(path).absoluteFilePath();
    for (int links = 0; links < 40; ++links) { // as the kernel allows
        const QFileInfo info(at);
        if (!info.isSymLink())
            break;
        const QString next = QFile::symLinkTarget(at); // absolute, not resolved further
        if (next.isEmpty())
            break;
        at = QDir::cleanPath(next);
    }
    return at;
}
