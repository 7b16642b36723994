// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsFile.h"

#include "IniFile.h"
#include "RegularFile.h"
#include "StoreLogging.h"
#include "TextRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString ValidationText = QStringLiteral("Vendrix v0.3");
const QString Public = QStringLiteral("Public");
const QString SettingsSection = QStringLiteral("Settings");
const QString Preset = QStringLiteral("Preset");
const QString WakeNotice = QStringLiteral("WakeNotice"); // written once there is one

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
    ini.WriteIni(section, QStringLiteral("Date"), DateText(slot.Month, slot.Day, true));
    ini.WriteIni(section, QStringLiteral("WeekSwitch"), WeekText(slot.WeekSwitch));
    ini.WriteIni(section, QStringLiteral("WAV"), slot.WAV);
    ini.WriteIni(section, QStringLiteral("Repeat"), PlainDecimal(slot.Repeat));
    ini.WriteIni(section, QStringLiteral("Exec"), slot.Exec);
}

// A save that failed is told on standard error.
Failure Logged(const QString& path, Failure failure) {
    qCWarning(lcStore).noquote() << QStringLiteral("cannot save %1: %2").arg(path, failure.Why);
    return failure;
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
    settings.WakeNoticeTold = ini.ReadIni(SettingsSection, WakeNotice);
    for (int n = 1; n <= SlotCount; ++n)
        ReadSlot(ini, n, settings.AlarmTable[n]);
    settings.Correct();
    return true;
}

SettingsFile::Choice SettingsFile::ChooseIniPath(const QString& programDir,
                                                 const QString& userConfigDir) {
    const QDir dir(programDir);
    const QString portable = dir.filePath(QStringLiteral("alerm.ini"));
    const QString own = QDir(userConfigDir).filePath(QStringLiteral("alerm.ini"));
    // An unpacked copy carries alerm.wav beside the program; an installed one
    // keeps it under share/ and must not write into its bin folder.
    const bool unpacked = QFileInfo::exists(dir.filePath(QStringLiteral("alerm.wav")));
    const bool there = QFileInfo(portable).exists() || QFileInfo(portable).isSymLink();
    if (!there && !(unpacked && CanCreateFileIn(programDir)))
        return {own, {}};
    for (const QString& path : {programDir, portable}) {
        if (const QString why = OthersMayWrite(path); !why.isEmpty()) {
            qCWarning(lcStore).noquote()
                << QStringLiteral("the settings beside the program are not used: %1; using %2")
                       .arg(why, own);
            return {own, why};
        }
    }
    return {portable, {}};
}

// Empty when path is the user's own and no one else may write to it (or it
// is not there); else why not.
QString SettingsFile::OthersMayWrite(const QString& path) {
    struct statx info {};
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_SYMLINK_NOFOLLOW,
                STATX_UID | STATX_MODE, &info) != 0)
        return {};
    if (info.stx_uid != ::geteuid())
        return QStringLiteral("%1 belongs to another account").arg(path);
    if (!S_ISLNK(info.stx_mode) && (info.stx_mode & (S_IWGRP | S_IWOTH)) != 0)
        return QStringLiteral("other accounts may write to %1").arg(path);
    return {};
}

bool SettingsFile::NeededAtLogin(const QString& iniPath) {
    const Result<IniFile> ini = IniFile::Load(iniPath);
    Settings settings;
    if (!ini)
        return ini.Error().Error != ENOENT;
    return ReadSettings(*ini, settings) && settings.Armed();
}

SettingsFile::Loaded SettingsFile::LoadSettings(Settings& settings) {
    IniFile::RemoveLeftovers(IniPath);
    settings.SetDefaults();
    const Result<IniFile> ini = IniFile::Load(IniPath);
    if (!ini && NotAFile(ini.Error())) {
        qCWarning(lcStore).noquote()
            << QStringLiteral("%1 is not a file (%2); the settings are kept until it is one")
                   .arg(IniPath, ini.Error().Why);
        return {false, true, {}};
    }
    keepAway_ = !ini && ini.Error().Error != ENOENT;
    if (keepAway_) {
        qCWarning(lcStore).noquote()
            << QStringLiteral("cannot read %1 (%2); running on defaults and leaving it alone")
                   .arg(IniPath, ini.Error().Why);
        return {true, false, {}};
    }
    if (ini && ReadSettings(*ini, settings)) {
        known_ = ini->ToBytes();
        return {};
    }
    Loaded loaded;
    known_ = ini ? ini->ToBytes() : QByteArray();
    if (!known_.trimmed().isEmpty()) {
        loaded.KeptAs = KeepAsideBytes(known_);
        if (loaded.KeptAs.isEmpty()) { // no copy, no replacing
            keepAway_ = true;
            return {true, false, {}};
        }
        qCWarning(lcStore).noquote()
            << QStringLiteral("%1 holds no settings; kept as %2 and replaced by the defaults")
                   .arg(IniPath, loaded.KeptAs);
    }
    SaveSettings(settings);
    return loaded;
}

// A copy beside alerm.ini under a name of its own, never over an earlier
// one, readable by whom the original was; empty when none could be made.
QString SettingsFile::KeepAsideBytes(const QByteArray& bytes) const {
    const QString base = IniPath + QStringLiteral(".unrecognised");
    QFile::Permissions original = QFile::permissions(FinalTarget(IniPath));
    if (original == QFile::Permissions())
        original = QFile::ReadOwner | QFile::WriteOwner; // it is gone: readable by none else
    for (int n = 1; n < 1000; ++n) {
        QFile copy(n == 1 ? base : QStringLiteral("%1-%2").arg(base).arg(n));
        if (copy.open(QIODevice::WriteOnly | QIODevice::NewOnly, original | QFile::WriteOwner)) {
            if (copy.write(bytes) == bytes.size() && copy.flush())
                return copy.fileName();
            copy.remove();
            break;
        }
        if (!copy.exists())
            break; // not for want of a free name
    }
    qCWarning(lcStore).noquote()
        << QStringLiteral("cannot keep a copy of %1 beside it").arg(IniPath);
    return {};
}

bool SettingsFile::ChangedOutside(const Failure& failure) {
    return failure.Error == EAGAIN;
}

Status SettingsFile::SaveSettings(const Settings& settings) {
    // A file never read is not saved over; nor one changed since, before
    // what changed is judged.
    if (keepAway_)
        return Failure{QStringLiteral("never read"), 0, true};
    const Result<QByteArray> now = IniFile::Read(IniPath);
    if (!now && now.Error().Error != ENOENT)
        return Logged(IniPath, Failure{now.Error().Why, now.Error().Error, !NotAFile(now.Error())});
    if (now && *now != known_)
        return ChangedBySomeoneElse();
    QDir().mkpath(QFileInfo(IniPath).absolutePath()); // the per-user folder, made at the first save
    return Write(settings, now ? *now : QByteArray());
}

Failure SettingsFile::ChangedBySomeoneElse() {
    return Failure{QStringLiteral("changed by someone else"), EAGAIN};
}

// Whatever else the file held is kept; one removed meanwhile comes back whole.
IniFile SettingsFile::Composed(const Settings& settings) const {
    IniFile file = IniFile::Parse(known_);
    WriteSettings(file, settings);
    return file;
}

// The file a save replaces is handed back as it was at that very moment and
// stays open: an edit that landed in its place just before (a rename), or
// is written into it just after (in place), is found there afterwards.
Status SettingsFile::Write(const Settings& settings, const QByteArray& replacing) {
    const IniFile file = Composed(settings);
    Result<std::unique_ptr<QFile>> saved = file.Save(IniPath);
    if (!saved && saved.Error().Error == EEXIST) // a file came where there was none
        return ChangedBySomeoneElse();
    if (!saved)
        return Logged(IniPath, saved.Error());
    known_ = file.ToBytes();
    replaced_ = std::move(*saved);
    replacedHeld_ = replacing;
    return Done{};
}

QString SettingsFile::KeepLost() {
    if (!replaced_)
        return {};
    replaced_->seek(0);
    const QByteArray now = replaced_->readAll();
    replaced_.reset();
    return now != replacedHeld_ && !now.trimmed().isEmpty() ? KeepAsideBytes(now) : QString();
}

QString SettingsFile::SaveBeside(const Settings& settings) const {
    const QString beside = IniPath + QStringLiteral(".saved");
    const auto saved = Composed(settings).Save(beside);
    if (!saved)
        Logged(beside, saved.Error());
    return saved ? beside : QString();
}

SettingsFile::Outside SettingsFile::ReadOutsideChange() const {
    if (keepAway_)
        return {};
    const Result<IniFile> ini = IniFile::Load(IniPath);
    if (!ini)
        return {NotAFile(ini.Error()) ? Outside::NotAFile : Outside::Unchanged, {}, {}, {}};
    Outside outside{Outside::Foreign, ini->ToBytes(), {}, {}};
    if (outside.Bytes == known_)
        return {};
    if (!ReadSettings(*ini, outside.Theirs))
        return outside;
    outside.What = Outside::Settings;
    outside.Base.SetDefaults();
    ReadSettings(IniFile::Parse(known_), outside.Base);
    return outside;
}

bool SettingsFile::LooksWhole(const QByteArray& bytes) const {
    if (bytes.size() < known_.size() ||
        (known_.endsWith('\n') && !bytes.isEmpty() && !bytes.endsWith('\n')))
        return false;
    const QByteArrayList now = IniFile::Parse(bytes).Sections();
    const QByteArrayList before = IniFile::Parse(known_).Sections();
    return std::all_of(before.begin(), before.end(),
                       [&now](const QByteArray& section) { return now.contains(section); });
}

QString SettingsFile::KeepAside(const QByteArray& bytes, const Settings& settings) {
    const QString kept = KeepAsideBytes(bytes);
    keepAway_ = kept.isEmpty();
    if (keepAway_)
        return kept;
    Write(settings, bytes);
    return kept;
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
    if (!settings.WakeNoticeTold.isEmpty() || !ini.ReadIni(SettingsSection, WakeNotice).isEmpty())
        ini.WriteIni(SettingsSection, WakeNotice, settings.WakeNoticeTold);
    for (int n = 1; n <= SlotCount; ++n)
        WriteSlot(ini, n, settings.AlarmTable[n]);
}
