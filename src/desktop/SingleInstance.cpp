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

SingleInstance::SingleInstance(const QString& iniPath) : path_(PrivateFile(iniPath, {})) {
    if (path_.isEmpty())
        return;
    lock_ = std::make_unique<QLockFile>(path_ + QStringLiteral(".lock"));
    // Held for the whole run: only a lock whose process has gone is stale.
    lock_->setStaleLockTime(0);
}

bool SingleInstance::IsPrimary() {
    if (!lock_) {
        qCWarning(lcDesktop) << "no private folder for the lock that keeps Vendrix to one copy;"
                             << "starting without it";
        return true;
    }
    if (lock_->tryLock(0)) {
        Listen();
        return true;
    }
    if (lock_->error() == QLockFile::LockFailedError && RaiseOther()) {
        qCInfo(lcDesktop) << "Vendrix already runs on these settings; it comes to the front";
        return false;
    }
    qCWarning(lcDesktop).noquote()
        << QStringLiteral("%1 is held, but no Vendrix answers; starting anyway")
               .arg(lock_->fileName());
    return true;
}

void SingleInstance::Listen() {
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
            emit activated();
        }
    });
}

// The running copy listens only once it holds the lock: it may be starting
// at this very moment, so it is given a few seconds.
bool SingleInstance::RaiseOther() {
    QLocalSocket other;
    for (int attempt = 0; attempt < 30; ++attempt) {
        other.connectToServer(path_);
        if (other.waitForConnected(100)) {
            other.write("raise\n");
            return other.waitForBytesWritten(1000);
        }
        QThread::msleep(100);
    }
    return false;
}
