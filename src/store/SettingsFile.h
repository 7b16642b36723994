// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Result.h"
#include "Settings.h"

#include <QString>

class IniFile;

// alerm.ini: reads the whole table at start-up and writes all 172 keys back.
class SettingsFile {
public:
    explicit SettingsFile(QString iniPath) : IniPath(std::move(iniPath)) {}

    // Where alerm.ini lives: the program's folder when the file is there, or
    // when the folder is a writable unpacked copy (alerm.wav beside the
    // program); else the per-user folder, as for an installed copy.
    static QString ChooseIniPath(const QString& programDir, const QString& userConfigDir);
    // Whether the file holds settings with an alarm armed; it is only read.
    static bool Armed(const QString& iniPath);

    // What loading found, for the user to be told.
    struct Loaded {
        bool Unreadable = false; // left alone, never saved over
        QString KeptAs;          // where a file that held no settings is kept
    };

    // Fills settings from the file, or sets the defaults and writes them. A
    // file that holds no settings is kept beside the new one, never
    // destroyed; one that cannot be read is left alone.
    Loaded LoadSettings(Settings& settings);
    // Writes every setting. On failure a line goes to standard error, and
    // the file on disk is as it was.
    Status SaveSettings(const Settings& settings);

    // The 172 keys between a file in memory and the settings. Reading gives
    // false, and changes nothing, when the file holds no settings.
    static bool ReadSettings(const IniFile& ini, Settings& settings);

    // What someone else did to the file since it was last read or written
    // here: nothing (or removed it), left settings (read into `edited`), or
    // left something that does not read as settings.
    enum class Outside { Unchanged, Settings, Foreign };
    Outside ReadOutsideChange(Settings& edited);
    // Keeps the file as someone else left it beside it, under a name of its
    // own, and writes these settings in its place; gives where it is kept,
    // or empty when no copy could be made (then the file is left alone and
    // never saved over).
    QString KeepOutsideChange(const Settings& settings);
    static void WriteSettings(IniFile& ini, const Settings& settings);

    const QString IniPath;

private:
    QString KeepAside() const;

    // Set when alerm.ini exists but could not be read: it is never replaced
    // by a file written from values it did not contribute to.
    bool keepAway_ = false;
    // The file as it was last read or written here.
    QByteArray known_;
};
