// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The lock that keeps Vendrix to one copy per settings file. It is the
// kernel's (flock), held for the life of the process and let go with it, so
// no copy that has ended, however it ended, can keep another away, and it
// works on a home folder shared between machines. It lies beside the file
// the settings' links end at, so every way of reaching one file meets it.
// Whatever else stands at its path (an empty or spoilt file, a folder, a
// link, a FIFO, another account's file) is set aside, never followed,
// written through or waited on. Where no lock file can be made (a folder
// that cannot be written, a full disk), the settings file itself, or its
// folder, is locked instead.
class OneCopyLock {
public:
    explicit OneCopyLock(const QString& iniPath);
    ~OneCopyLock();
    OneCopyLock(const OneCopyLock&) = delete;
    OneCopyLock& operator=(const OneCopyLock&) = delete;

    enum class State {
        Taken,      // this copy holds it
        Held,       // a copy that runs holds it
        Unlockable, // nothing here can be locked
    };
    // Tries once, without waiting.
    State Take();

    // What the copy that holds it says of itself.
    struct Holder {
        qint64 Pid = 0;
        QString Host;   // the machine it runs on
        QString Socket; // where it listens for commands
    };
    static Holder HolderOf(const QString& iniPath);
    // Once taken: who holds it, and where it listens.
    void Record(const QString& socket);
    // The lock file's path (where no lock file could be made, what is locked instead).
    const QString& Path() const { return path_; }

private:
    int OpenLockFile();
    int OpenInstead();
    bool SetAside(const QString& why);

    const QString settings_; // the file the settings' links end at
    QString path_;
    int fd_ = -1;
    bool lockFile_ = false; // fd_ is the lock file, not what stands in for it
};
