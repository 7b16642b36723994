// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegularFile.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
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

// QSaveFile is not used: on a full disk it reports success and leaves an
// empty file.
Status ReplaceWhole(const QString& path, const QByteArray& bytes, int mode) {
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
    if (error == 0 && ::rename(temp.constData(), QFile::encodeName(path).constData()) != 0)
        error = errno;
    if (error == 0)
        return Done{};
    ::unlink(temp.constData());
    return SystemFailure(error);
}
