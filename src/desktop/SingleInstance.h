// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CommandSocket.h"
#include "OneCopyLock.h"

#include <QObject>

// One copy of Vendrix per settings file, however the file is reached: a
// second start tells the first to come to the front and exits, so no alarm
// rings twice and no copy overwrites the other's settings. The lock decides
// which copy is the one, atomically, even for two started at the same
// instant, and whatever environment each was started from. The socket lives
// in a folder only the user can reach, so that no other account can listen
// in Vendrix's place; the lock says where it is.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& iniPath);

    enum class Claim {
        Primary,     // this is the one copy
        Raised,      // the one that runs was asked to come forward
        Unreachable, // one runs, and cannot be reached from here: see Holder
    };
    // Waits a few seconds for a copy that may be starting or ending.
    Claim Take();
    // The copy that runs, when it could not be reached.
    const OneCopyLock::Holder& Holder() const { return holder_; }

    // The user's runtime folder ($XDG_RUNTIME_DIR) when it is private, else
    // a folder of the user's own with mode 0700; empty when there is neither.
    static QString PrivateFolder();
    // A file of the copy that runs on these settings, in the private folder
    // (empty when there is none): its socket, its records.
    static QString PrivateFile(const QString& iniPath, const QString& suffix);

    // Asks the copy that runs on these settings to stop its alarm, as its
    // Stop button does; false when none answers.
    static bool StopRunning(const QString& iniPath);

signals:
    void activated();
    void stopRequested();

private:
    static QString SocketOf(const QString& iniPath, const OneCopyLock::Holder& holder);
    bool WaitForTheLock();
    void Listen();

    const QString iniPath_;
    OneCopyLock lock_;
    CommandSocket socket_;
    OneCopyLock::Holder holder_;
};
