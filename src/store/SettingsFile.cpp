// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsFile.h"

#include "IniFile.h"
#include "TextRules.h"
#include "Warn.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstring>

namespace {

const QString ValidationText = QStringLiteral("Vendrix v0.3");
const QString Public = QStringLiteral("Public");
const QString SettingsSection = QStringLiteral("Settings");
const QString Preset = QStringLiteral("Preset");

QString SlotSection(int n) {
    return QStringLiteral("Alerm %1").arg(n);
}
QString PresetKey(int k) {
    return QStringLiteral("Time%1").arg(k);
}

// A text shorter than two characters is its own first and last two.
qint16 FirstTwo(QStringView text) {
    return LeadingInteger(text.left(2));
}
qint16 LastTwo(QStringView text) {
    return LeadingInteger(text.right(2));
}

std::array<qint16, 7> WeekFlags(QStringView text) {
    std::array<qint16, 7> flags{};
    for (int d = 0; d < 7 && d < text.size(); ++d)
        flags[d] = text[d] == u'*' ? 1 : 0;
    return flags;
}

QString WeekText(const std::array<qint16, 7>& flags) {
    QString text;
    for (qint16 flag : flags)
        text += flag != 0 ? u'*' : u'-';
    return text;
}

// Tried for real: permission bits do not tell about read-only mounts or root.
bool CanCreateFileIn(const QString& dir) {
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".vendrix-probe-XXXXXX")));
    return probe.open();
}

void ReadSlot(const IniFile& ini, int n, AlarmSlot& slot) {
    const QString section = SlotSection(n);
    const QString time = ini.ReadIni(section, u"Time");
    slot.Hour = FirstTwo(time);
    slot.Minute = LastTwo(time);
    slot.State = LeadingInteger(ini.ReadIni(section, u"State"));
    slot.Command = LeadingInteger(ini.ReadIni(section, u"Command"));
    const QString date = ini.ReadIni(section, u"Date");
    slot.Month = FirstTwo(date);
    slot.Day = LastTwo(date);
    slot.WeekSwitch = WeekFlags(ini.ReadIni(section, u"WeekSwitch"));
    slot.WAV = ini.ReadIni(section, u"WAV");
    slot.Repeat = LeadingInteger(ini.ReadIni(section, u"Repeat"));
    slot.Exec = ini.ReadIni(section, u"Exec");
}

void WriteSlot(IniFile& ini, int n, const AlarmSlot& slot) {
    const QString section = SlotSection(n);
    ini.WriteIni(section, QStringLiteral("Time"), HourMinute(slot.Hour, slot.Minute));
    ini.WriteIni(section, QStringLiteral("State"), PlainDecimal(slot.State));
    ini.WriteIni(section, QStringLiteral("Command"), PlainDecimal(slot.Command));
    ini.WriteIni(section, QStringLiteral("Date"),
                 PadZero(slot.Month, 2) + u'/' + PadZero(slot.Day, 2));
    ini.WriteIni(section, QStringLiteral("WeekSwitch"), WeekText(slot.WeekSwitch));
    ini.WriteIni(section, QStringLiteral("WAV"), slot.WAV);
    ini.WriteIni(section, QStringLiteral("Repeat"), PlainDecimal(slot.Repeat));
    ini.WriteIni(section, QStringLiteral("Exec"), slot.Exec);
}

} // namespace

bool SettingsFile::ReadSettings(const IniFile& ini, Settings& settings) {
    if (ini.ReadIni(Public, u"Validation").isEmpty())
        return false;
    settings.Switch = LeadingInteger(ini.ReadIni(SettingsSection, u"Switch"));
    settings.SnoozeInt = LeadingInteger(ini.ReadIni(SettingsSection, u"SnoozeInt"));
    for (int k = 0; k < PresetCount; ++k) {
        const QString time = ini.ReadIni(Preset, PresetKey(k));
        settings.PresetHour[k] = FirstTwo(time);
        settings.PresetMinute[k] = LastTwo(time);
    }
    settings.CurrentID = LeadingInteger(ini.ReadIni(SettingsSection, u"CurrentID"));
    for (int n = 1; n <= SlotCount; ++n)
        ReadSlot(ini, n, settings.AlarmTable[n]);
    settings.Correct();
    return true;
}

QString SettingsFile::ChooseIniPath(const QString& programDir, const QString& userConfigDir) {
    const QDir dir(programDir);
    const QString portable = dir.filePath(QStringLiteral("alerm.ini"));
    // An unpacked copy carries alerm.wav beside the program; an installed one
    // keeps it under share/ and must not write into its bin folder.
    const bool unpacked = QFileInfo::exists(dir.filePath(QStringLiteral("alerm.wav")));
    if (QFileInfo::exists(portable) || (unpacked && CanCreateFileIn(programDir)))
        return portable;
    QDir().mkpath(userConfigDir);
    return QDir(userConfigDir).filePath(QStringLiteral("alerm.ini"));
}

void SettingsFile::LoadSettings(Settings& settings) {
    IniFile::RemoveLeftovers(IniPath);
    IniFile::Status status;
    const IniFile ini = IniFile::Load(IniPath, &status);
    keepAway_ = status == IniFile::Status::Unreadable;
    if (keepAway_)
        Warn(QStringLiteral("cannot read %1; running on defaults and leaving it alone")
                 .arg(IniPath));
    if (!ReadSettings(ini, settings)) {
        settings.SetDefaults();
        SaveSettings(settings);
    }
}

SettingsFile::SaveResult SettingsFile::SaveSettings(const Settings& settings) {
    // A file never read is not saved over; any other is read again, so that
    // whatever else it holds is kept.
    IniFile::Status status = IniFile::Status::Unreadable;
    IniFile ini = keepAway_ ? IniFile() : IniFile::Load(IniPath, &status);
    if (status == IniFile::Status::Unreadable) {
        Warn(QStringLiteral("cannot read %1; settings not saved over it").arg(IniPath));
        return {NotRead};
    }
    WriteSettings(ini, settings);
    const int error = ini.Save(IniPath);
    if (error != 0)
        Warn(QStringLiteral("cannot save %1: %2")
                 .arg(IniPath, QString::fromLocal8Bit(std::strerror(error))));
    return {error};
}

void SettingsFile::WriteSettings(IniFile& ini, const Settings& settings) {
    ini.WriteIni(Public, QStringLiteral("Validation"), ValidationText);
    ini.WriteIni(SettingsSection, QStringLiteral("Switch"), PlainDecimal(settings.Switch));
    ini.WriteIni(SettingsSection, QStringLiteral("SnoozeInt"), PlainDecimal(settings.SnoozeInt));
    for (int k = 0; k < PresetCount; ++k) {
        ini.WriteIni(Preset, PresetKey(k),
                     HourMinute(settings.PresetHour[k], settings.PresetMinute[k]));
    }
    ini.WriteIni(SettingsSection, QStringLiteral("CurrentID"), PlainDecimal(settings.CurrentID));
    for (int n = 1; n <= SlotCount; ++n)
        WriteSlot(ini, n, settings.AlarmTable[n]);
}
