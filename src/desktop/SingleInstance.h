// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QObject>
#include <memory>

// One copy of Vendrix per settings file: a second start tells the first to
// come to the front and exits, so no alarm rings twice and no copy
// overwrites the other's settings. A lock file beside the settings decides
// which copy is the one, atomically, even for two started at the same
// instant, and whatever runtime folder each was started with; one that
// cannot be reached (another runtime folder) is told, and the second still
// gives way. The socket lives in a folder only the user can reach, so that
// no other account can listen in Vendrix's place.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& iniPath);
    // False when another copy runs; it has been asked to come forward.
    bool IsPrimary();

    // The user's runtime folder ($XDG_RUNTIME_DIR) when it is private, else
    // a folder of the user's own with mode 0700; empty when there is neither.
    static QString PrivateFolder();
    // A file of the copy that runs on these settings, in the private folder
    // (empty when there is none): its socket, its lock, its records.
    static QString PrivateFile(const QString& iniPath, const QString& suffix);

    // Asks the copy that runs on these settings to stop its alarm, as its
    // Stop button does; false when none answers.
    static bool StopRunning(const QString& iniPath);

signals:
    void activated();
    void stopRequested();

private:
    static bool Tell(const QString& socket, const QByteArray& command, int attempts);
    void Listen();
    void Read(QLocalSocket* socket);

    QString path_; // of the socket; the lock is beside it
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};
