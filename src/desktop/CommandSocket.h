// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <memory>

class QLocalSocket;

// The socket by which a second start, or `vendrix --stop`, reaches the copy
// that runs: a line a command, each known one answered "ok". It keeps
// listening whatever comes: a moment without file descriptors, garbage, a
// client that writes slowly or too much.
class CommandSocket : public QObject {
    Q_OBJECT
public:
    ~CommandSocket() override;

    // Listens at path (a socket left there by a copy that crashed is
    // replaced), for this account only.
    bool Listen(const QString& path);
    // Sends command to the socket at path and waits for its answer; tries
    // `attempts` times, 100 ms apart, for a copy still starting.
    static bool Tell(const QString& path, const QByteArray& command, int attempts);

signals:
    void received(const QByteArray& command);

private:
    void Accept();
    void Read(QLocalSocket* client);

    QString path_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};
