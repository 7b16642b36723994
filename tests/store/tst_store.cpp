// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store without a display: number rules, the INI file and alerm.ini.
#include "IniFile.h"
#include "SettingsFile.h"
#include "SettingsWatcher.h"
#include "TestSupport.h"
#include "TextRules.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

// A slot as "hour:minute state command month/day weekflags repeat".
QString SlotText(const AlarmSlot& s) {
    QString week;
    for (qint16 day : s.WeekSwitch)
        week += QString::number(day);
    return QString::asprintf("%d:%d %d %d %d/%d ", s.Hour, s.Minute, s.State, s.Command, s.Month,
                             s.Day) +
           week + QString::asprintf(" %d", s.Repeat);
}

// Loads a file that holds settings: its marker, then `sections`.
Settings LoadFrom(const QByteArray& sections) {
    QTemporaryDir dir;
    SettingsFile file(dir.filePath("alerm.ini"));
    WriteBytes(file.IniPath, "[Public]\nValidation=x\n" + sections + "\n");
    Settings settings;
    file.LoadSettings(settings);
    return settings;
}

Settings Defaults() {
    Settings settings;
    settings.SetDefaults();
    return settings;
}

} // namespace

class TestStore : public QObject {
    Q_OBJECT
private slots:
    // A text read as a number, that number rounded half to even, and written
    // back in two digits.
    void numberTexts_data() {
        Columns<QString, QString>({"text", "read"});
        const QString huge = "1.79769e+308 32767 67";
        // clang-format off
        Row("time", "12:30", "12 12 12");
        Row("blanks anywhere", " 1 2", "12 12 12");
        Row("point fraction", ".5x", "0.5 0 00");
        Row("halves to even", "2.5", "2.5 2 02");
        Row("exponent with blanks", "2 E - 2", "0.02 0 00");
        Row("dangling exponent", "7e", "7 7 07");
        Row("last two digits", "123", "123 123 23");
        Row("negative", "-12", "-12 -12 12");
        Row("clamped", "1e300", "1e+300 32767 67");
        Row("beyond double", "1e400", huge);
        Row("largest exponent", "5e9223372036854775807", huge);
        Row("below double", "1e-400", "0 0 00");
        // clang-format on
    }
    void numberTexts() {
        auto [text, read] = Fetch<QString, QString>({"text", "read"});
        const double value = LeadingNumber(text);
        const qint16 rounded = RoundHalfEven(value);
        QCOMPARE(QString::number(value) + ' ' + QString::number(rounded) + ' ' +
                     PadZero(rounded, 2),
                 read);
    }

    void iniReads_data() {
        Columns<QByteArray, QString>({"file", "value"});
        // clang-format off
        Row("names in any case", QByteArray("[ALERM 1]\ntime=v\n"), "v");
        Row("blanks around", QByteArray("[ Alerm 1 ]\n  Time  =  a b  \n"), "a b");
        Row("first of two", QByteArray("[Alerm 1]\nTime=1\nTime=2\n"), "1");
        Row("a section again, as >> appends it", QByteArray("[Alerm 1]\nTime=1\n[b]\n[alerm 1]\nTime=2\n"), "2");
        Row("header without ]", QByteArray("[Alerm 1\nTime=v\n"), "v");
        Row("line without =", QByteArray("[Alerm 1]\njunk\nTime=v\n"), "v");
        Row("comment", QByteArray("[Alerm 1]\n;Time=1\nTime=2\n"), "2");
        Row("UTF-8 byte-order mark", QByteArray("\xEF\xBB\xBF[Alerm 1]\nTime=v"), "v");
        Row("utf-8 and long", "[Alerm 1]\nTime=ü" + QByteArray(300, 'x'), "ü" + QString(300, u'x'));
        // clang-format on
    }
    void iniReads() {
        auto [file, value] = Fetch<QByteArray, QString>({"file", "value"});
        QCOMPARE(IniFile::Parse(file).ReadIni(u"Alerm 1", u"Time"), value);
    }

    void iniWritesInPlace_data() {
        Columns<QByteArray, QByteArray>({"before", "after"});
        // clang-format off
        Row("new file", QByteArray(), QByteArray("[A]\nk=v\n"));
        Row("replace keeps the rest", QByteArray("; note\n[a]\nx=1\nK = old\n"), QByteArray("; note\n[a]\nx=1\nK =v\n"));
        Row("new key ends its section", QByteArray("[A]\nx=1\n\n[B]\n"), QByteArray("[A]\nx=1\nk=v\n\n[B]\n"));
        Row("new section ends the file", QByteArray("[B]\ny=2"), QByteArray("[B]\ny=2\n[A]\nk=v\n"));
        Row("crlf kept", QByteArray("[B]\r\n"), QByteArray("[B]\r\n[A]\r\nk=v\r\n"));
        Row("byte-order mark kept", QByteArray("\xEF\xBB\xBF[A]\nk=1\n"), QByteArray("\xEF\xBB\xBF[A]\nk=v\n"));
        Row("where it is read", QByteArray("[A]\nk=1\n[A]\nk=2\n"), QByteArray("[A]\nk=1\n[A]\nk=v\n"));
        // clang-format on
    }
    void iniWritesInPlace() {
        auto [before, after] = Fetch<QByteArray, QByteArray>({"before", "after"});
        IniFile ini = IniFile::Parse(before);
        ini.WriteIni("A", "k", "v");
        QCOMPARE(ini.ToBytes(), after);
    }

    void firstStartWritesDefaults() {
        QTemporaryDir dir;
        SettingsFile file(dir.filePath("alerm.ini"));
        Settings settings;
        file.LoadSettings(settings);
        QCOMPARE(settings, Defaults());
        const QByteArray written = ReadBytes(file.IniPath);
        QVERIFY(written.startsWith("[Public]\nValidation=Vendrix v0.3\n[Settings]\nSwitch=2\n"
                                   "SnoozeInt=5\nCurrentID=1\n[Preset]\nTime0=00:00\n"));
        QVERIFY(written.endsWith("[Alerm 20]\nTime=00:00\nState=0\nCommand=0\nDate=01/01\n"
                                 "WeekSwitch=-------\nWAV=\nRepeat=0\nExec=\n"));
        QCOMPARE(written.count('='), 172);
    }

    void roundTripKeepsEveryField() {
        QTemporaryDir dir;
        SettingsFile file(dir.filePath("alerm.ini"));
        Settings settings = Defaults();
        settings.Switch = SwitchSnooze;
        settings.SnoozeInt = 10;
        settings.CurrentID = 20;
        settings.PresetHour[7] = 23;
        settings.PresetMinute[7] = 59;
        AlarmSlot& slot = settings.AlarmTable[3];
        slot = {7, 30, 3, 1, 12, 31, {0, 1, 1, 1, 1, 1, 0}, "/home/me/My Music/a.wav", 1, {}};
        slot.Exec = "/usr/bin/env?a b";
        settings.AlarmTable[20].WAV = "/home/ü/目覚まし.wav";
        settings.AlarmTable[19].Exec = "/" + QString(300, u'x') + "/run?=;[]";
        settings.AlarmTable[18].WAV = "a\n[Alerm 1]\r\nState=1"; // a value cannot break the file
        QVERIFY(file.SaveSettings(settings));
        Settings loaded;
        file.LoadSettings(loaded);
        QCOMPARE(loaded.AlarmTable[18].WAV, QString("a [Alerm 1]  State=1"));
        loaded.AlarmTable[18].WAV = settings.AlarmTable[18].WAV;
        QCOMPARE(loaded, settings);
    }

    void loadingRules_data() {
        Columns<QByteArray, QString>({"lines", "slot"});
        // clang-format off
        Row("time 7:05", QByteArray("Time=7:05"), "7:5 0 0 0/0 0000000 0");
        Row("time 12:5", QByteArray("Time=12:5"), "12:0 0 0 0/0 0000000 0");
        Row("time 7", QByteArray("Time=7"), "7:7 0 0 0/0 0000000 0");
        Row("impossible time kept", QByteArray("Time=25:00"), "25:0 0 0 0/0 0000000 0");
        Row("date 1/1", QByteArray("Date=1/1"), "0:0 0 0 1/0 0000000 0");
        Row("date 01/01", QByteArray("Date=01/01"), "0:0 0 0 1/1 0000000 0");
        Row("week single *", QByteArray("WeekSwitch=*"), "0:0 0 0 0/0 1000000 0");
        Row("week other marks", QByteArray("WeekSwitch=x1*+**-**"), "0:0 0 0 0/0 0010110 0");
        Row("state 2.5", QByteArray("State=2.5"), "0:0 2 0 0/0 0000000 0");
        Row("state 4 is off", QByteArray("State=4"), "0:0 0 0 0/0 0000000 0");
        Row("state -1 is off", QByteArray("State=-1"), "0:0 0 0 0/0 0000000 0");
        Row("huge state is off", QByteArray("State=1e9"), "0:0 0 0 0/0 0000000 0");
        Row("command 5 launches", QByteArray("Command=5"), "0:0 0 2 0/0 0000000 0");
        Row("repeat 2 repeats", QByteArray("Repeat=2"), "0:0 0 0 0/0 0000000 1");
        // clang-format on
    }
    void loadingRules() {
        auto [lines, slot] = Fetch<QByteArray, QString>({"lines", "slot"});
        QCOMPARE(SlotText(LoadFrom("[Alerm 4]\n" + lines).AlarmTable[4]), slot);
    }

    void globalCorrections_data() {
        Columns<QByteArray, QList<int>>({"lines", "switchSnoozeCurrent"});
        // clang-format off
        Row("snooze 0", QByteArray("SnoozeInt=0"), QList<int>{0, 5, 1});
        Row("snooze 1", QByteArray("SnoozeInt=1"), QList<int>{0, 2, 1});
        Row("snooze 99", QByteArray("SnoozeInt=99"), QList<int>{0, 10, 1});
        Row("switch 5", QByteArray("Switch=5\nSnoozeInt=3"), QList<int>{2, 3, 1});
        Row("current 33", QByteArray("CurrentID=33"), QList<int>{0, 5, 20});
        // clang-format on
    }
    void globalCorrections() {
        auto [lines, switchSnoozeCurrent] =
            Fetch<QByteArray, QList<int>>({"lines", "switchSnoozeCurrent"});
        const Settings settings = LoadFrom("[Settings]\n" + lines);
        QCOMPARE((QList<int>{settings.Switch, settings.SnoozeInt, settings.CurrentID}),
                 switchSnoozeCurrent);
    }

    void unknownContentSurvivesSave() {
        QTemporaryDir dir;
        SettingsFile file(dir.filePath("alerm.ini"));
        WriteBytes(file.IniPath, "; my alarms\r\n[Public]\r\nValidation=Other 1.0\r\n"
                                 "[Mine]\r\nColour=blue\r\n\r\n[Alerm 2]\r\nNote=kept\r\n");
        Settings settings;
        file.LoadSettings(settings);
        QVERIFY(file.SaveSettings(settings));
        const QByteArray bytes = ReadBytes(file.IniPath);
        QVERIFY(bytes.startsWith("; my alarms\r\n[Public]\r\nValidation=Vendrix v0.3\r\n"));
        QVERIFY(
            bytes.contains("[Mine]\r\nColour=blue\r\n\r\n[Alerm 2]\r\nNote=kept\r\nTime=00:00"));
        QVERIFY(!bytes.contains("\n\n") && !bytes.contains("\r\r"));
    }

    // Files it must not replace: it runs on what it could read, or on the
    // defaults, and a save fails and leaves the bytes as they were.
    void filesItMustNotReplace_data() {
        Columns<QByteArray, bool, int, int>({"bytes", "onFolder", "permissions", "switchRead"});
        const QByteArray valid = "[Public]\nValidation=x\n[Settings]\nSwitch=1\n";
        const int readOnly = QFile::ReadOwner | QFile::ExeOwner;
        // clang-format off
        Row("alerm.ini is a folder", QByteArray(), false, readOnly, 2);
        Row("unreadable file", valid, false, 0, 2);
        Row("read-only folder", valid, true, readOnly, 1);
        Row("read-only file", valid, false, readOnly, 1);
        Row("UTF-16 file", QByteArray("\xFF\xFE\xE5\x65\x2C\x67"), false, readOnly | QFile::WriteOwner, 2); // 日本
        Row("UTF-16 without byte-order mark", QByteArray("[\0P\0u\0b\0", 8), false, readOnly | QFile::WriteOwner, 2);
        Row("larger than any settings file", valid + QByteArray(IniFile::LargestBytes, ';'), false, readOnly | QFile::WriteOwner, 2);
        // clang-format on
    }
    void filesItMustNotReplace() {
        QFETCH(QByteArray, bytes); // none: alerm.ini is a folder
        auto [onFolder, permissions, switchRead] =
            Fetch<bool, int, int>({"onFolder", "permissions", "switchRead"});
        QTemporaryDir dir;
        SettingsFile file(dir.filePath("alerm.ini"));
        if (bytes.isEmpty())
            QVERIFY(QDir().mkdir(file.IniPath));
        else
            WriteBytes(file.IniPath, bytes);
        Settings settings;
        {
            const Restricted locked(onFolder ? dir.path() : file.IniPath,
                                    QFile::Permissions(permissions));
            file.LoadSettings(settings);
            QCOMPARE(settings.Switch, switchRead);
            settings.Switch = SwitchSnooze;
            QVERIFY(!file.SaveSettings(settings));
        }
        QCOMPARE(ReadBytes(file.IniPath), bytes.isEmpty() ? QByteArray("<unreadable>") : bytes);
        // Allowed again, it saves over a file it has read, never over one it has not.
        QCOMPARE(bool(file.SaveSettings(settings)), switchRead == 1);
    }

    // A file that holds no settings is replaced by the defaults, but kept
    // beside them first, never over an earlier copy; without room for a
    // copy it is left as it is.
    void fileWithoutSettingsIsKeptAside() {
        QTemporaryDir dir;
        SettingsFile file(dir.filePath("alerm.ini"));
        const QByteArray mine = "[Alerm 1]\nTime=07:00\nState=1\n";
        for (const char* kept : {".unrecognised", ".unrecognised-2"}) {
            WriteBytes(file.IniPath, mine + kept);
            Settings settings;
            const SettingsFile::Loaded loaded = file.LoadSettings(settings);
            QCOMPARE(settings, Defaults());
            QCOMPARE(loaded.KeptAs, file.IniPath + kept);
            QCOMPARE(ReadBytes(loaded.KeptAs), mine + kept);
            QVERIFY(ReadBytes(file.IniPath).contains("Validation=Vendrix v0.3"));
        }
        WriteBytes(file.IniPath, mine);
        const Restricted readOnly(dir.path());
        Settings settings;
        QVERIFY(file.LoadSettings(settings).Unreadable);
        QCOMPARE(ReadBytes(file.IniPath), mine);
    }

    // Only what an edit changed is taken in; what both changed differently,
    // or a slot the editor holds unregistered changes to, is a clash.
    // Settings as "switch current slot-2-hour", beside the defaults ("2 1 0").
    void takeInOnlyWhatChanged_data() {
        Columns<QString, QString, int, QString>({"ours", "theirs", "editing", "merged"});
        // clang-format off
        Row("the file's change", "2 1 0", "2 1 9", 0, "2 1 9");
        Row("the window's change", "1 5 0", "2 1 0", 0, "1 5 0");
        Row("each its own", "1 5 0", "2 1 9", 0, "1 5 9");
        Row("both alike", "2 1 9", "2 1 9", 0, "2 1 9");
        Row("the same slot, differently", "2 1 8", "2 1 9", 0, "clash");
        Row("the slot being edited", "2 1 0", "2 1 9", 2, "clash");
        // clang-format on
    }
    void takeInOnlyWhatChanged() {
        auto [ours, theirs, editing, merged] =
            Fetch<QString, QString, int, QString>({"ours", "theirs", "editing", "merged"});
        const auto make = [](const QString& text) {
            Settings settings = Defaults();
            const QStringList values = text.split(' ');
            settings.Switch = qint16(values[0].toInt());
            settings.CurrentID = qint16(values[1].toInt());
            settings.AlarmTable[2].Hour = qint16(values[2].toInt());
            return settings;
        };
        const std::optional<Settings> result = make(ours).Merged(Defaults(), make(theirs), editing);
        QCOMPARE(result ? std::optional(*result == make(merged)) : std::nullopt,
                 merged == "clash" ? std::nullopt : std::optional(true));
    }

    // A save never writes over an edit it has not judged; one written in
    // place at the very moment of a save is found in the file it replaced,
    // and kept beside, whole. A symbolic link stays one throughout.
    void aSaveLosesNoEdit() {
        QTemporaryDir dir;
        QVERIFY(QFile::link(dir.filePath("mine.ini"), dir.filePath("alerm.ini")));
        SettingsFile file(dir.filePath("alerm.ini"));
        Settings settings;
        file.LoadSettings(settings);
        WriteBytes(file.IniPath, "[Public]\nValidation=mine\n");
        const Status refused = file.SaveSettings(settings);
        QVERIFY(!refused && SettingsFile::ChangedOutside(refused.Error()));
        QCOMPARE(ReadBytes(file.IniPath), "[Public]\nValidation=mine\n");
        file.Accept(ReadBytes(file.IniPath));
        for (const QByteArray edit : {"", "[Public]\nValidation=in place\n"}) {
            QFile replaced(file.IniPath); // as an editor holds it open
            QVERIFY(replaced.open(QIODevice::ReadWrite));
            QVERIFY(file.SaveSettings(settings));
            if (!edit.isEmpty())
                QVERIFY(replaced.resize(0) && replaced.write(edit) > 0 && replaced.flush());
            QCOMPARE(ReadBytes(file.KeepLost()), edit.isEmpty() ? "<unreadable>" : edit);
        }
        QFile::setPermissions(dir.filePath("mine.ini"), QFile::ReadOwner | QFile::WriteOwner);
        const QString kept = file.KeepAside("[x]\n", settings);
        QCOMPARE(QFile::permissions(kept) & 0x0FFF,
                 QFile::ReadUser | QFile::WriteUser); // as private
        QVERIFY(QFileInfo(file.IniPath).isSymLink());
        QVERIFY(ReadBytes(dir.filePath("mine.ini")).contains("Validation=Vendrix v0.3"));
    }

    // A chain of links stays a chain: the file it ends at is written. One
    // into a folder that is not there writes nothing anywhere.
    void linksStayLinks_data() {
        Columns<QStringList, QString>({"links", "written"});
        // clang-format off
        Row("a link", QStringList{"alerm.ini", "real.ini"}, "real.ini");
        Row("a chain of links", QStringList{"alerm.ini", "middle.ini", "real.ini"}, "real.ini");
        Row("into a missing folder", QStringList{"alerm.ini", "gone/real.ini"}, "");
        // clang-format on
    }
    void linksStayLinks() {
        auto [links, written] = Fetch<QStringList, QString>({"links", "written"});
        QTemporaryDir dir;
        for (qsizetype i = 0; i + 1 < links.size(); ++i)
            QVERIFY(QFile::link(dir.filePath(links[i + 1]), dir.filePath(links[i])));
        SettingsFile file(dir.filePath("alerm.ini"));
        Settings settings;
        file.LoadSettings(settings);
        settings.Switch = SwitchOn;
        QCOMPARE(bool(file.SaveSettings(settings)), !written.isEmpty());
        for (qsizetype i = 0; i + 1 < links.size(); ++i)
            QVERIFY(QFileInfo(dir.filePath(links[i])).isSymLink());
        QVERIFY(written.isEmpty() || ReadBytes(dir.filePath(written)).contains("Switch=1"));
        QVERIFY(!QFileInfo::exists(dir.filePath("gone")));
    }

    // What stood at the path when a save replaced it is handed back, so an
    // edit that landed at that moment is found; nothing, when nothing stood.
    void aSaveHandsBackWhatItReplaced() {
        QTemporaryDir dir;
        const QString path = dir.filePath("alerm.ini");
        const IniFile ours = IniFile::Parse("[Public]\nValidation=ours\n");
        auto first = ours.Save(path);
        QVERIFY(first && !*first);
        WriteBytes(dir.filePath("edited"), "[Public]\nValidation=renamed in\n");
        QCOMPARE(::rename(qPrintable(dir.filePath("edited")), qPrintable(path)), 0);
        auto second = ours.Save(path);
        QVERIFY(second && *second);
        QCOMPARE((*second)->readAll(), "[Public]\nValidation=renamed in\n");
        QCOMPARE(ReadBytes(path), ours.ToBytes());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"alerm.ini"});
    }

    // An edit is judged only once it reads the same twice, a quiet moment
    // apart: a writer the folder's watch does not see (through a link in
    // another folder), changing it faster than that, keeps it unjudged.
    void anEditIsJudgedOnceItReadsTheSameTwice() {
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        const QString path = dir.filePath("alerm.ini");
        const QString link = elsewhere.filePath("alerm.ini");
        WriteBytes(path, "[Public]\n");
        QCOMPARE(::link(qPrintable(path), qPrintable(link)), 0);
        SettingsWatcher watcher(path, [](const QByteArray&) { return true; }, {200, 10'000});
        QSignalSpy settled(&watcher, &SettingsWatcher::settled);
        watcher.Watch();
        watcher.Check();
        for (int i = 0; i < 50; ++i) {
            QFile file(link);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.write(QByteArray::number(i) + "\n");
            file.close();
            QTest::qWait(20);
        }
        QCOMPARE(settled.size(), 0);
        QTRY_COMPARE(settled.size(), 1);
    }

    // While its writer still has it open, a file that looks cut from what it
    // replaces is not judged: shorter, a section gone, its last line unended.
    void aCutFileIsNotWhole_data() {
        Columns<QString, bool>({"edit", "whole"});
        // clang-format off
        Row("a value changed", "Switch=2 -> Switch=1", true);
        Row("a comment added", "[Settings] -> ; mine\n[Settings]", true);
        Row("emptied", "all -> ", false);
        Row("half of it", "half", false);
        Row("a section gone", "[Alerm 20] -> [Something longer]", false);
        Row("its last line without its end", "unended", false);
        // clang-format on
    }
    void aCutFileIsNotWhole() {
        auto [edit, whole] = Fetch<QString, bool>({"edit", "whole"});
        QTemporaryDir dir;
        SettingsFile file(dir.filePath("alerm.ini"));
        Settings settings;
        file.LoadSettings(settings);
        QByteArray bytes = ReadBytes(file.IniPath);
        if (edit == "half")
            bytes = bytes.left(bytes.size() / 2);
        else if (edit == "unended")
            bytes.chop(1);
        else if (edit.startsWith("all"))
            bytes.clear();
        else
            bytes.replace(edit.section(" -> ", 0, 0).toUtf8(), edit.section(" -> ", 1).toUtf8());
        QCOMPARE(file.LooksWhole(bytes), whole);
    }

    // Something else at alerm.ini's path (a folder, a FIFO) is never waited
    // on nor written over: the settings wait for a file, or go beside it.
    void somethingElseAtItsPath_data() {
        Columns<QString>({"what"});
        // clang-format off
        Row("a folder", "folder");
        Row("a FIFO", "fifo");
        // clang-format on
    }
    void somethingElseAtItsPath() {
        QFETCH(QString, what);
        QTemporaryDir dir;
        SettingsFile file(dir.filePath("alerm.ini"));
        QVERIFY(what == "folder" ? QDir().mkdir(file.IniPath)
                                 : ::mkfifo(qPrintable(file.IniPath), 0600) == 0);
        QVERIFY(SettingsFile::NeededAtLogin(file.IniPath)); // started at login, to say so
        Settings settings;
        QVERIFY(file.LoadSettings(settings).NotAFile);
        settings.Switch = SwitchOn;
        QVERIFY(!file.SaveSettings(settings));
        QVERIFY(ReadBytes(file.SaveBeside(settings)).contains("Switch=1"));
        QVERIFY(QDir().rmdir(file.IniPath) || QFile::remove(file.IniPath));
        QVERIFY(file.SaveSettings(settings));
        QVERIFY(ReadBytes(file.IniPath).contains("Switch=1"));
    }

    void leftoversOfAKilledSaveGo() {
        QTemporaryDir dir;
        const QStringList names{"alerm.ini.123.tmp", "alerm.ini.x.tmp", "other.ini.5.tmp",
                                "alerm.ini.5"};
        for (const QString& name : names)
            WriteBytes(dir.filePath(name), "");
        Settings settings;
        SettingsFile(dir.filePath("alerm.ini")).LoadSettings(settings);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 (QStringList{"alerm.ini", "alerm.ini.5", "alerm.ini.x.tmp", "other.ini.5.tmp"}));
    }

    void killedWhileSavingLeavesAWholeFile() {
        QTemporaryDir dir;
        SettingsFile file(dir.filePath("alerm.ini"));
        const Settings a = Defaults();
        Settings b = a;
        for (int n = 1; n <= SlotCount; ++n)
            b.AlarmTable[n] = {7, 0, StateDaily, CommandWav, 1, 1, {}, QString(200, u'w'), 1, {}};
        QVERIFY(file.SaveSettings(b));
        const QByteArray wholeB = ReadBytes(file.IniPath);
        QVERIFY(file.SaveSettings(a));
        const QByteArray wholeA = ReadBytes(file.IniPath);
        QRandomGenerator random(1206);
        for (int kill = 0; kill < 200; ++kill) {
            const pid_t saver = fork();
            QVERIFY(saver >= 0);
            for (unsigned i = 0; saver == 0; ++i) // the child saves until it is killed
                file.SaveSettings(i % 2 ? b : a);
            QThread::usleep(random.bounded(200, 20000));
            ::kill(saver, SIGKILL);
            ::waitpid(saver, nullptr, 0);
            const QByteArray now = ReadBytes(file.IniPath);
            QVERIFY2(now == wholeA || now == wholeB, qPrintable(QString::number(kill)));
        }
    }

    // Settings beside the program where it is an unpacked copy the user can
    // write to and no one else can; else the user's own folder, and why.
    void iniPathFollowsATrustedFolder_data() {
        Columns<QString, QString>({"steps", "chosen"});
        // clang-format off
        Row("installed", "", "user");
        Row("unpacked", "wav", "program");
        Row("unpacked, read-only", "wav readonly", "user");
        Row("alerm.ini there, read-only", "wav ini readonly", "program");
        Row("a folder others may write to", "wav open", "user: other accounts may write to");
        Row("alerm.ini others may write to", "wav ini openini", "user: other accounts may write to");
        Row("alerm.ini of another account", "wav ini foreign", "user: belongs to another account");
        // clang-format on
    }
    void iniPathFollowsATrustedFolder() {
        auto [steps, chosen] = Fetch<QString, QString>({"steps", "chosen"});
        QTemporaryDir dir;
        const QString program = dir.filePath("bin");
        const QString user = dir.filePath("config/vendrix");
        QDir().mkpath(program);
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        std::optional<Restricted> readOnly;
        for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
            if (step == "wav" || step == "ini")
                WriteBytes(program + "/alerm." + step, "");
            else if (step == "readonly")
                readOnly.emplace(program);
            else if (step == "open" || step == "openini")
                QFile::setPermissions(step == "open" ? program : program + "/alerm.ini",
                                      QFile::Permissions(0x7777));
            else if (::chown(qPrintable(program + "/alerm.ini"), 65534, 65534) != 0)
                QSKIP("only root can give a file to another account");
        }
        const SettingsFile::Choice choice = SettingsFile::ChooseIniPath(program, user);
        QCOMPARE(choice.Path, (chosen.startsWith("program") ? program : user) + "/alerm.ini");
        QCOMPARE(choice.PassedOver.isEmpty(), !chosen.contains(':'));
        QVERIFY(choice.PassedOver.contains(chosen.section(": ", 1)));
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
