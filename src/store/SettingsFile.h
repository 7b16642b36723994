// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"
#include "Settings.h"

#include <QFile>
#include <QString>
#include <memory>

class IniFile;

// alerm.ini: reads the whole table at start-up and writes all 172 keys back.
class SettingsFile {
public:
    explicit SettingsFile(QString iniPath) : IniPath(std::move(iniPath)) {}

    // Where alerm.ini lives: the program's folder when the file is there, or
    // when the folder is a writable unpacked copy (alerm.wav beside the
    // program); else the per-user folder, as for an installed copy. The
    // program's folder only when it is the user's and no one else may write
    // there (another account could change a launch, or point alerm.ini at a
    // private file and have it copied where they can read it): else why not.
    struct Choice {
        QString Path;
        QString PassedOver; // why settings beside the program were not used
    };
    static Choice ChooseIniPath(const QString& programDir, const QString& userConfigDir);
    // Whether Vendrix is needed at login: the file holds settings with an
    // alarm armed, or is there and cannot be read (the user must hear of it).
    // It is only read.
    static bool NeededAtLogin(const QString& iniPath);

    // What loading found, for the user to be told.
    struct Loaded {
        bool Unreadable = false; // left alone, never saved over
        bool NotAFile = false;   // something else at the path: saved once it is a file again
        QString KeptAs;          // where a file that held no settings is kept
    };

    // Fills settings from the file, or sets the defaults and writes them. A
    // file that holds no settings is kept beside the new one, never
    // destroyed; one that cannot be read is left alone.
    Loaded LoadSettings(Settings& settings);
    // Writes every setting over the file as it was last read or written
    // here, keeping its other lines. Fails, writing nothing, when someone
    // else has changed it since (ChangedOutside: judge that first), when it
    // could not be read, or when the path is not a regular file.
    Status SaveSettings(const Settings& settings);
    static bool ChangedOutside(const Failure& failure);
    // For the end of the run, when the path is still not a regular file:
    // the settings go beside it, in a new file; where.
    QString SaveBeside(const Settings& settings) const;

    // The 172 keys between a file in memory and the settings. Reading gives
    // false, and changes nothing, when the file holds no settings.
    static bool ReadSettings(const IniFile& ini, Settings& settings);
    static void WriteSettings(IniFile& ini, const Settings& settings);

    // What someone else did to the file since it was last read or written
    // here: nothing (or removed it, or made it unreadable), left settings
    // (Theirs, beside Base: the file as last read or written), left something
    // that does not read as settings, or put something else at its path.
    struct Outside {
        enum Kind { Unchanged, Settings, Foreign, NotAFile } What = Unchanged;
        QByteArray Bytes;
        ::Settings Theirs;
        ::Settings Base;
    };
    Outside ReadOutsideChange() const;
    // The change was taken in: it is what the file holds.
    void Accept(const QByteArray& bytes) { known_ = bytes; }
    // Whether `bytes`, what the file holds now, looks like a whole edit of
    // what it held, not one cut short: no shorter, no section gone, its last
    // line ended as before.
    bool LooksWhole(const QByteArray& bytes) const;
    // Keeps `bytes` (the user's file as it was read) beside it under a name of
    // its own, and writes these settings in its place; gives where it is kept,
    // or empty when no copy could be made (then the file is never saved over).
    QString KeepAside(const QByteArray& bytes, const Settings& settings);
    // What someone wrote into the file the last save replaced, while it was
    // being replaced (a write in place at that moment), kept beside under a
    // name of its own; where, or empty when nothing was written there.
    QString KeepLost();

    const QString IniPath;

private:
    static Failure ChangedBySomeoneElse();
    static QString OthersMayWrite(const QString& path);
    QString KeepAsideBytes(const QByteArray& bytes) const;
    IniFile Composed(const Settings& settings) const;
    Status Write(const Settings& settings, const QByteArray& replacing);

    // Set when alerm.ini exists but could not be read: it is never replaced
    // by a file written from values it did not contribute to.
    bool keepAway_ = false;
    // The file as it was last read or written here.
    QByteArray known_;
    // The file the last save replaced, still open, and what it held then.
    std::unique_ptr<QFile> replaced_;
    QByteArray replacedHeld_;
};
