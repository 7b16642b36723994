// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QThread>
#include <unistd.h>

SingleInstance::SingleInstance(const QString& iniPath)
    : name_(QStringLiteral("vendrix-%1-%2")
                .arg(getuid())
                .arg(QString::fromLatin1(
                    QCryptographicHash::hash(iniPath.toUtf8(), QCryptographicHash::Sha1)
                        .toHex()
                        .left(16)))),
      lock_(QDir(QDir::tempPath()).filePath(name_ + QStringLiteral(".lock"))) {
    // Held for the whole run: only a lock whose process has gone is stale.
    lock_.setStaleLockTime(0);
}

bool SingleInstance::IsPrimary() {
    if (!lock_.tryLock(0)) {
        if (lock_.error() != QLockFile::LockFailedError)
            return true; // no way to tell; an alarm clock that runs twice beats none
        RaiseOther();
        return false;
    }
    QLocalServer::removeServer(name_); // left behind by a copy that crashed
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(name_))
        return true; // no way to be found; still an alarm clock
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            emit activated();
        }
    });
    return true;
}

// The running copy listens only once it holds the lock: it may be starting
// at this very moment, so it is given a few seconds.
void SingleInstance::RaiseOther() {
    QLocalSocket other;
    for (int attempt = 0; attempt < 30; ++attempt) {
        other.connectToServer(name_);
        if (other.waitForConnected(100)) {
            other.write("raise\n");
            other.waitForBytesWritten(1000);
            return;
        }
        QThread::msleep(100);
    }
}
