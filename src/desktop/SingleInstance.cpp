// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include "DesktopLogging.h"
#include "RegularFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
constexpr int RaiseAttempts = 30; // 100 ms apart: the copy may be starting
constexpr int LockAttempts = 50;  // 100 ms apart: the copy may be ending

// A real folder (no link), the user's, that no one else may enter.
bool Private(const QString& folder) {
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && !info.isSymLink() && info.ownerId() == getuid() &&
           info.permissions() == OwnerOnly;
}

} // namespace

QString SingleInstance::PrivateFolder() {
    // As it is, or not at all: Qt's fallbacks would make one under /tmp.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (Private(runtime))
        return runtime;
    const QString own = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
                            .filePath(QStringLiteral("vendrix"));
    QDir().mkpath(own);
    if (QFileInfo(own).ownerId() == getuid() && !QFileInfo(own).isSymLink())
        QFile::setPermissions(own, OwnerOnly);
    return Private(own) ? own : QString();
}

// Named after the file the settings' links end at: one file, one name.
QString SingleInstance::PrivateFile(const QString& iniPath, const QString& suffix) {
    const QString folder = PrivateFolder();
    if (folder.isEmpty())
        return {};
    const QByteArray hash =
        QCryptographicHash::hash(FinalTarget(iniPath).toUtf8(), QCryptographicHash::Sha1);
    return QDir(folder).filePath(
        QStringLiteral("vendrix-%1%2").arg(QString::fromLatin1(hash.toHex().left(16)), suffix));
}

SingleInstance::SingleInstance(const QString& iniPath) : iniPath_(iniPath), lock_(iniPath) {
    QDir().mkpath(QFileInfo(iniPath).absolutePath()); // the per-user folder, on a first start
    connect(&socket_, &CommandSocket::received, this, [this](const QByteArray& command) {
        if (command == "raise")
            emit activated();
        else
            emit stopRequested();
    });
}

// The socket the running copy names in the lock, where it is a socket of
// this machine in a folder only the user can enter; else where a copy of
// this environment would listen.
QString SingleInstance::SocketOf(const QString& iniPath, const OneCopyLock::Holder& holder) {
    if (holder.Host == QSysInfo::machineHostName() &&
        Private(QFileInfo(holder.Socket).absolutePath()))
        return holder.Socket;
    return PrivateFile(iniPath, {});
}

SingleInstance::Claim SingleInstance::Take() {
    const OneCopyLock::State state = lock_.Take();
    if (state == OneCopyLock::State::Unlockable)
        qCWarning(lcDesktop).noquote()
            << QStringLiteral("cannot take %1, which keeps Vendrix to one copy; starting anyway")
                   .arg(lock_.Path());
    if (state != OneCopyLock::State::Held) {
        Listen();
        return Claim::Primary;
    }
    holder_ = OneCopyLock::HolderOf(iniPath_);
    if (CommandSocket::Tell(SocketOf(iniPath_, holder_), "raise", RaiseAttempts)) {
        qCInfo(lcDesktop) << "Vendrix already runs on these settings; it comes to the front";
        return Claim::Raised;
    }
    if (WaitForTheLock()) {
        Listen();
        return Claim::Primary;
    }
    qCWarning(lcDesktop).noquote()
        << QStringLiteral("Vendrix already runs on these settings (process %1 on %2), where it "
                          "cannot be reached from here; not starting a second copy")
               .arg(holder_.Pid)
               .arg(holder_.Host.isEmpty() ? QStringLiteral("an unknown machine") : holder_.Host);
    return Claim::Unreachable;
}

// A copy that is ending lets go of the lock within moments.
bool SingleInstance::WaitForTheLock() {
    for (int attempt = 0; attempt < LockAttempts; ++attempt) {
        QThread::msleep(100);
        if (lock_.Take() == OneCopyLock::State::Taken)
            return true;
    }
    return false;
}

void SingleInstance::Listen() {
    const QString path = PrivateFile(iniPath_, {});
    if (path.isEmpty()) {
        qCWarning(lcDesktop) << "no private folder for the socket that a second start finds"
                             << "Vendrix by; it cannot bring this copy forward";
        return;
    }
    if (!socket_.Listen(path)) {
        qCWarning(lcDesktop).noquote()
            << QStringLiteral("cannot listen on %1 (%2); a second start will not find this copy")
                   .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    lock_.Record(path);
}

bool SingleInstance::StopRunning(const QString& iniPath) {
    const QString socket = SocketOf(iniPath, OneCopyLock::HolderOf(iniPath));
    return !socket.isEmpty() && CommandSocket::Tell(socket, "stop", 1);
}
