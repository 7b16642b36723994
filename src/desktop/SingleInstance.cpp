// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include "DesktopLogging.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <unistd.h>

namespace {

constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;

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

QString SingleInstance::PrivateFile(const QString& iniPath, const QString& suffix) {
    const QString folder = PrivateFolder();
    if (folder.isEmpty())
        return {};
    const QByteArray hash = QCryptographicHash::hash(iniPath.toUtf8(), QCryptographicHash::Sha1);
    return QDir(folder).filePath(
        QStringLiteral("vendrix-%1%2").arg(QString::fromLatin1(hash.toHex().left(16)), suffix));
}

// The lock lies beside the settings, in the user's own folder: whatever
// runtime folder a copy sees, it meets the others there. Where that folder
// cannot be written, the private folder holds it.
SingleInstance::SingleInstance(const QString& iniPath) : path_(PrivateFile(iniPath, {})) {
    const QFileInfo ini(iniPath);
    QDir().mkpath(ini.absolutePath());
    const QString beside = ini.dir().filePath(QStringLiteral(".%1.lock").arg(ini.fileName()));
    const QString lock = QFileInfo(ini.absolutePath()).isWritable() || path_.isEmpty()
                             ? beside
                             : path_ + QStringLiteral(".lock");
    lock_ = std::make_unique<QLockFile>(lock);
    // Held for the whole run: only a lock whose process has gone is stale.
    lock_->setStaleLockTime(0);
}

bool SingleInstance::IsPrimary() {
    if (lock_->tryLock(0)) {
        Listen();
        return true;
    }
    if (lock_->error() != QLockFile::LockFailedError) {
        qCWarning(lcDesktop).noquote()
            << QStringLiteral("cannot take %1, which keeps Vendrix to one copy; starting anyway")
                   .arg(lock_->fileName());
        return true;
    }
    // The running copy listens only once it holds the lock: it may be
    // starting at this very moment, so it is given a few seconds.
    if (!path_.isEmpty() && Tell(path_, "raise", 30)) {
        qCInfo(lcDesktop) << "Vendrix already runs on these settings; it comes to the front";
        return false;
    }
    qint64 pid = 0;
    lock_->getLockInfo(&pid, nullptr, nullptr);
    qCWarning(lcDesktop).noquote()
        << QStringLiteral("Vendrix already runs on these settings (process %1), started where "
                          "it cannot be reached from here; not starting a second copy")
               .arg(pid);
    return false;
}

void SingleInstance::Listen() {
    if (path_.isEmpty()) {
        qCWarning(lcDesktop) << "no private folder for the socket that a second start finds"
                             << "Vendrix by; it cannot bring this copy forward";
        return;
    }
    QLocalServer::removeServer(path_); // left behind by a copy that crashed
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(path_)) {
        qCWarning(lcDesktop).noquote()
            << QStringLiteral("cannot listen on %1 (%2); a second start will not find this copy")
                   .arg(path_, server_.errorString());
        return;
    }
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        }
    });
}

// A line a command; each is answered, so the one who asked knows it arrived.
void SingleInstance::Read(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        const QByteArray command = socket->readLine().trimmed();
        if (command == "raise")
            emit activated();
        else if (command == "stop")
            emit stopRequested();
        else
            continue;
        socket->write("ok\n");
    }
}

bool SingleInstance::StopRunning(const QString& iniPath) {
    const QString socket = PrivateFile(iniPath, {});
    return !socket.isEmpty() && Tell(socket, "stop", 1);
}

bool SingleInstance::Tell(const QString& socket, const QByteArray& command, int attempts) {
    QLocalSocket other;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(100);
        other.connectToServer(socket);
        if (!other.waitForConnected(100))
            continue;
        other.write(command + '\n');
        while (!other.canReadLine() && other.waitForReadyRead(2000)) {
        }
        return other.readLine().trimmed() == "ok";
    }
    return false;
}
