// SPDX-License-Identifier: GPL-3.0-or-later
#include "OneCopyLock.h"

#include "DesktopLogging.h"
#include "RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 HolderBytes = 4096; // three short lines

QString LockFileOf(const QString& settings) {
    const QFileInfo file(settings);
    return file.dir().filePath(QStringLiteral(".%1.lock").arg(file.fileName()));
}

// A file or folder of this account's, opened without following a link or
// waiting on a FIFO; else -1, errno saying why.
int OpenOwn(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return fd;
    const int error = info.st_uid != ::geteuid()                         ? EPERM
                      : !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode) ? ENXIO
                                                                         : 0;
    if (error == 0)
        return fd;
    ::close(fd);
    errno = error;
    return -1;
}

QString WhyNoLock(int error) {
    switch (error) {
    case ELOOP:
        return QStringLiteral("it is a symbolic link");
    case EPERM:
        return QStringLiteral("it belongs to another account");
    case ENXIO:
        return QStringLiteral("it is not a regular file");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

} // namespace

OneCopyLock::OneCopyLock(const QString& iniPath)
    : settings_(FinalTarget(iniPath)), path_(LockFileOf(settings_)) {}

OneCopyLock::~OneCopyLock() {
    if (fd_ >= 0)
        ::close(fd_); // and the kernel lets go of the lock
}

OneCopyLock::State OneCopyLock::Take() {
    if (fd_ < 0) {
        fd_ = OpenLockFile();
        lockFile_ = fd_ >= 0;
        if (fd_ < 0)
            fd_ = OpenInstead();
    }
    if (fd_ < 0)
        return State::Unlockable;
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
        return State::Taken;
    return errno == EWOULDBLOCK ? State::Held : State::Unlockable;
}

// The lock file, a regular file of this account's; anything else there is
// set aside, once. None (-1) where none can be made.
int OneCopyLock::OpenLockFile() {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = OpenOwn(path_, O_RDWR | O_CREAT);
        struct stat info {};
        if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
            return fd;
        const int error = fd >= 0 ? EISDIR : errno;
        if (fd >= 0)
            ::close(fd);
        if (error == EROFS || error == ENOSPC || error == EDQUOT || error == ENOENT ||
            !SetAside(WhyNoLock(error)))
            return -1;
    }
    return -1;
}

bool OneCopyLock::SetAside(const QString& why) {
    const QString aside =
        QStringLiteral("%1.broken-%2").arg(path_).arg(QRandomGenerator::global()->generate());
    if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(aside).constData()) != 0)
        return false;
    qCWarning(lcDesktop).noquote()
        << QStringLiteral("%1 was no lock Vendrix can use (%2); set aside as %3")
               .arg(path_, why, aside);
    return true;
}

// The settings file itself where it is there, else its folder: either can
// be locked without writing anything.
int OneCopyLock::OpenInstead() {
    int fd = OpenOwn(settings_, O_RDONLY);
    struct stat info {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        fd = -1;
    }
    path_ = settings_;
    if (fd < 0) {
        path_ = QFileInfo(settings_).absolutePath();
        fd = OpenOwn(path_, O_RDONLY | O_DIRECTORY);
    }
    qCWarning(lcDesktop).noquote()
        << QStringLiteral("no lock file can be made beside %1; %2 is locked instead")
               .arg(settings_, path_);
    return fd;
}

void OneCopyLock::Record(const QString& socket) {
    if (!lockFile_)
        return;
    const QByteArray about = QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                             QSysInfo::machineHostName().toUtf8() + '\n' +
                             QFile::encodeName(socket) + '\n';
    // On a full disk this may not be written: the lock holds all the same.
    if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, about.constData(), size_t(about.size()), 0) < 0)
        qCDebug(lcDesktop) << "cannot write who holds" << path_;
}

OneCopyLock::Holder OneCopyLock::HolderOf(const QString& iniPath) {
    const Result<QByteArray> about =
        ReadRegular(LockFileOf(FinalTarget(iniPath)), HolderBytes, true);
    const QByteArrayList lines = about ? about->split('\n') : QByteArrayList{};
    return {lines.value(0).toLongLong(), QString::fromUtf8(lines.value(1)),
            QFile::decodeName(lines.value(2))};
}
