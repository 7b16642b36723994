// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandSocket.h"

#include "DesktopLogging.h"

#include <QFile>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int LongestLine = 64;  // the longest command, with room to spare
constexpr int BreatheMs = 1'000; // after accept found no file descriptor left
const QByteArrayList Commands{"raise", "stop"};

} // namespace

CommandSocket::~CommandSocket() {
    if (fd_ < 0)
        return;
    notifier_.reset();
    ::close(fd_);
    QFile::remove(path_);
}

bool CommandSocket::Listen(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof(address.sun_path)) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    ::unlink(name.constData()); // left behind by a copy that crashed
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::chmod(name.constData(), 0600) != 0 || ::listen(fd_, 8) != 0) {
        const int error = errno;
        if (fd_ >= 0)
            ::close(std::exchange(fd_, -1));
        errno = error;
        return false;
    }
    path_ = path;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &CommandSocket::Accept);
    return true;
}

// Qt's own local server stops listening for good the first time accept
// fails; here a moment without file descriptors only pauses it.
void CommandSocket::Accept() {
    const int client = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (client < 0) {
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            qCWarning(lcDesktop) << "no file descriptor left for a command; listening again soon";
            notifier_->setEnabled(false);
            QTimer::singleShot(BreatheMs, this, [this] { notifier_->setEnabled(true); });
        }
        return;
    }
    auto* socket = new QLocalSocket(this);
    if (!socket->setSocketDescriptor(client)) {
        ::close(client);
        delete socket;
        return;
    }
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
}

// A line a command; each known one is answered, so the one who asked knows
// it arrived. A client that sends more than a command is let go.
void CommandSocket::Read(QLocalSocket* client) {
    while (client->canReadLine()) {
        const QByteArray command = client->readLine(LongestLine + 1).trimmed();
        if (!Commands.contains(command))
            continue;
        emit received(command);
        client->write("ok\n");
        client->flush();
    }
    if (client->bytesAvailable() > LongestLine)
        client->abort();
}

bool CommandSocket::Tell(const QString& path, const QByteArray& command, int attempts) {
    QLocalSocket other;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(100);
        other.connectToServer(path);
        if (!other.waitForConnected(100))
            continue;
        other.write(command + '\n');
        while (!other.canReadLine() && other.waitForReadyRead(2000)) {
        }
        return other.readLine().trimmed() == "ok";
    }
    return false;
}
