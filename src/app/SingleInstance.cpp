#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalSocket>
#include <unistd.h>

SingleInstance::SingleInstance(const QString& iniPath)
    : name_(QStringLiteral("vendrix-%1-%2")
                .arg(getuid())
                .arg(QString::fromLatin1(
                    QCryptographicHash::hash(iniPath.toUtf8(), QCryptographicHash::Sha1)
                        .toHex()
                        .left(16)))) {}

bool SingleInstance::IsPrimary() {
    QLocalSocket other;
    other.connectToServer(name_);
    if (other.waitForConnected(1000)) {
        other.write("raise\n");
        other.waitForBytesWritten(1000);
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
