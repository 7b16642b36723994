// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Failure NotRegular(unsigned mode) {
    return S_ISDIR(mode) ? Failure{QStringLiteral("it is a folder"), EISDIR}
                         : Failure{QStringLiteral("it is not a regular file"), ENXIO};
}

Status OpenRegular(QFile& file, const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Failure{QString::fromLocal8Bit(std::strerror(errno)), errno};
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

bool NotAFile(const Failure& failure) {
    return failure.Error == EISDIR || failure.Error == ENXIO;
}
