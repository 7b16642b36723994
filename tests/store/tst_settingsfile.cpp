#include "IniFile.h"
#include "SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <sys/fsuid.h>
#include <unistd.h>

namespace {

QByteArray DefaultFile() {
    QByteArray text = "[Public]\nValidation=Vendrix v0.3\n"
                      "[Settings]\nSwitch=2\nSnoozeInt=5\nCurrentID=1\n[Preset]\n";
    for (int k = 0; k < 8; ++k)
        text += "Time" + QByteArray::number(k) + "=00:00\n";
    for (int n = 1; n <= 20; ++n) {
        text += "[Alerm " + QByteArray::number(n) +
                "]\nTime=00:00\nState=0\nCommand=0\n"
                "Date=01/01\nWeekSwitch=-------\nWAV=\nRepeat=0\nExec=\n";
    }
    return text;
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
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

// Runs body with file permission checks of an ordinary user, even as root.
template <typename Body> void AsNobody(Body body) {
    const uid_t before = setfsuid(65534);
    body();
    setfsuid(before);
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void firstStartWritesDefaults() {
        QTemporaryDir dir;
        SettingsFile file(dir.filePath("alerm.ini"));
        Settings settings;
        file.LoadSettings(settings);
        QCOMPARE(ReadBytes(file.IniPath), DefaultFile());
        Settings expected;
        expected.SetDefaults();
        QCOMPARE(settings, expected);
        QCOMPARE(settings.AlarmTable[3].Month, qint16(1));

        Settings again;
        file.LoadSettings(again);
        QCOMPARE(again, expected);
    }

    void roundTripKeepsEveryField() {
        QTemporaryDir dir;
        SettingsFile file(dir.filePath("alerm.ini"));
        Settings settings;
        settings.SetDefaults();
        settings.Switch = 0;
        settings.SnoozeInt = 10;
        settings.CurrentID = 20;
        settings.PresetHour[7] = 23;
        settings.PresetMinute[7] = 59;
        AlarmSlot& slot = settings.AlarmTable[3];
        slot = {7,
                30,
                3,
                1,
                12,
                31,
                {0, 1, 1, 1, 1, 1, 0},
                "/home/me/My Music/wake up.wav",
                1,
                "/usr/bin/env?a b"};
        settings.AlarmTable[20].WAV = QString::fromUtf8("/home/ü/目覚まし.wav");
        settings.AlarmTable[19].Exec = "/" + QString(300, u'x') + "/run?=;[]";
        QVERIFY(file.SaveSettings(settings));
        Settings loaded;
        file.LoadSettings(loaded);
        QCOMPARE(loaded, settings);
    }

    void loadingRules_data() {
        QTest::addColumn<QByteArray>("slotLines");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QList<int>>("values");
        QTest::newRow("time 7:05") << QByteArray("Time=7:05") << "time" << QList<int>{7, 5};
        QTest::newRow("time 12:5") << QByteArray("Time=12:5") << "time" << QList<int>{12, 0};
        QTest::newRow("time 7") << QByteArray("Time=7") << "time" << QList<int>{7, 7};
        QTest::newRow("hour 25 kept") << QByteArray("Time=25:00") << "time" << QList<int>{25, 0};
        QTest::newRow("date 1/1") << QByteArray("Date=1/1") << "date" << QList<int>{1, 0};
        QTest::newRow("date 01/01") << QByteArray("Date=01/01") << "date" << QList<int>{1, 1};
        QTest::newRow("date missing") << QByteArray("Time=01:00") << "date" << QList<int>{0, 0};
        QTest::newRow("week single *")
            << QByteArray("WeekSwitch=*") << "week" << QList<int>{1, 0, 0, 0, 0, 0, 0};
        QTest::newRow("week alternating")
            << QByteArray("WeekSwitch=-*-*-*-") << "week" << QList<int>{0, 1, 0, 1, 0, 1, 0};
        QTest::newRow("week other chars")
            << QByteArray("WeekSwitch=x1*+**-**") << "week" << QList<int>{0, 0, 1, 0, 1, 1, 0};
        QTest::newRow("state 2.5") << QByteArray("State=2.5") << "state" << QList<int>{2};
        QTest::newRow("state 1.5") << QByteArray("State=1.5") << "state" << QList<int>{2};
        QTest::newRow("state 7 is off") << QByteArray("State=7") << "state" << QList<int>{0};
        QTest::newRow("state -1 is off") << QByteArray("State=-1") << "state" << QList<int>{0};
        QTest::newRow("command 5 launches")
            << QByteArray("Command=5") << "command" << QList<int>{2};
        QTest::newRow("repeat 2 repeats") << QByteArray("Repeat=2") << "repeat" << QList<int>{1};
        QTest::newRow("huge state clamps") << QByteArray("State=1e9") << "state" << QList<int>{0};
    }
    void loadingRules() {
        QFETCH(QByteArray, slotLines);
        QFETCH(QString, field);
        QFETCH(QList<int>, values);
        const Settings settings = LoadFrom("[Alerm 4]\n" + slotLines);
        const AlarmSlot& slot = settings.AlarmTable[4];
        QList<int> actual;
        if (field == "time")
            actual = {slot.Hour, slot.Minute};
        else if (field == "date")
            actual = {slot.Month, slot.Day};
        else if (field == "week")
            actual = QList<int>(slot.WeekSwitch.begin(), slot.WeekSwitch.end());
        else if (field == "state")
            actual = {slot.State};
        else if (field == "command")
            actual = {slot.Command};
        else
            actual = {slot.Repeat};
        QCOMPARE(actual, values);
    }

    void globalCorrections_data() {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QList<int>>("switchSnoozeCurrent");
        QTest::newRow("snooze 0") << QByteArray("SnoozeInt=0") << QList<int>{0, 5, 1};
        QTest::newRow("snooze abc") << QByteArray("SnoozeInt=abc") << QList<int>{0, 5, 1};
        QTest::newRow("snooze 1") << QByteArray("SnoozeInt=1") << QList<int>{0, 2, 1};
        QTest::newRow("snooze 99") << QByteArray("SnoozeInt=99") << QList<int>{0, 10, 1};
        QTest::newRow("switch 5") << QByteArray("Switch=5\nSnoozeInt=3") << QList<int>{2, 3, 1};
        QTest::newRow("current 0") << QByteArray("CurrentID=0") << QList<int>{0, 5, 1};
        QTest::newRow("current 33") << QByteArray("CurrentID=33") << QList<int>{0, 5, 20};
    }
    void globalCorrections() {
        QFETCH(QByteArray, lines);
        QFETCH(QList<int>, switchSnoozeCurrent);
        const Settings settings = LoadFrom("[Settings]\n" + lines);
        QCOMPARE((QList<int>{settings.Switch, settings.SnoozeInt, settings.CurrentID}),
                 switchSnoozeCurrent);
    }

    void sectionWithoutBlankIsNotASlot() {
        const Settings settings = LoadFrom("[Alerm1]\nTime=07:00\nState=1");
        QCOMPARE(settings.AlarmTable[1], (AlarmSlot{0, 0, 0, 0, 0, 0, {}, {}, 0, {}}));
    }

    void unknownContentSurvivesSave() {
        QTemporaryDir dir;
        SettingsFile file(dir.filePath("alerm.ini"));
        WriteBytes(file.IniPath, "; my alarms\r\n[Public]\r\nValidation=Other 1.0\r\n"
                                 "[Mine]\r\nColour=blue\r\n\r\n[Alerm 2]\r\nNote=kept\r\n");
        Settings settings;
        file.LoadSettings(settings);
        QVERIFY(file.SaveSettings(settings));
        const IniFile saved = IniFile::Parse(ReadBytes(file.IniPath));
        const QByteArray bytes = saved.ToBytes();
        QVERIFY(bytes.startsWith("; my alarms\r\n[Public]\r\nValidation=Vendrix v0.3\r\n"));
        QCOMPARE(saved.ReadIni(u"Mine", u"Colour"), QString("blue"));
        QCOMPARE(saved.ReadIni(u"Alerm 2", u"Note"), QString("kept"));
        QCOMPARE(saved.ReadIni(u"Alerm 2", u"Time"), QString("00:00"));
        QVERIFY(!bytes.contains("\n\n") && !bytes.contains("\r\r"));
    }

    void badInputNeverCrashes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QByteArray binary(64 * 1024, Qt::Uninitialized);
        QRandomGenerator gen(42);
        for (char& c : binary)
            c = char(gen.bounded(256));
        QTest::newRow("binary") << binary;
        QTest::newRow("10 MB line") << "[Public]\nValidation=" + QByteArray(10 << 20, 'v');
        QTest::newRow("no =") << QByteArray("[Public]\nValidation\n[Settings]\nSwitch\n");
        QTest::newRow("header without ]")
            << QByteArray("[Public\nValidation=x\n[Alerm 1\nState=1\n");
    }
    void badInputNeverCrashes() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        SettingsFile file(dir.filePath("alerm.ini"));
        WriteBytes(file.IniPath, bytes);
        Settings settings;
        file.LoadSettings(settings);
        QVERIFY(settings.CurrentID >= 1 && settings.CurrentID <= 20);
        // Whatever was there is still there, in order: the program only adds its keys.
        const QList<QByteArray> after = ReadBytes(file.IniPath).split('\n');
        qsizetype at = 0;
        for (const QByteArray& line : bytes.split('\n')) {
            while (at < after.size() && after[at] != line && !line.startsWith("Validation="))
                ++at;
            QVERIFY(at < after.size());
        }
    }

    void unreadableFileIsLeftAlone() {
        QTemporaryDir dir;
        SettingsFile asFolder(dir.filePath("alerm.ini"));
        QVERIFY(QDir().mkdir(asFolder.IniPath));
        Settings settings;
        asFolder.LoadSettings(settings);
        QCOMPARE(settings.Switch, qint16(SwitchOff));
        QVERIFY(!asFolder.SaveSettings(settings));
        QVERIFY(QFileInfo(asFolder.IniPath).isDir());

        SettingsFile locked(dir.filePath("locked.ini"));
        WriteBytes(locked.IniPath, "[Public]\nValidation=x\n[Settings]\nSwitch=1\n");
        QFile::setPermissions(locked.IniPath, QFile::WriteOwner);
        AsNobody([&] { locked.LoadSettings(settings); });
        QVERIFY(!locked.SaveSettings(settings));
        QFile::setPermissions(locked.IniPath, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(ReadBytes(locked.IniPath),
                 QByteArray("[Public]\nValidation=x\n[Settings]\nSwitch=1\n"));
    }

    void saveIntoReadOnlyFolderKeepsOldFile() {
        QTemporaryDir dir;
        SettingsFile file(dir.filePath("alerm.ini"));
        Settings settings;
        file.LoadSettings(settings);
        const QByteArray before = ReadBytes(file.IniPath);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                              QFile::ExeOther);
        settings.Switch = 0;
        bool saved = true;
        AsNobody([&] { saved = file.SaveSettings(settings); });
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!saved);
        QCOMPARE(ReadBytes(file.IniPath), before);
    }

    void iniPathFollowsWritableFolder() {
        QTemporaryDir dir;
        const QString program = dir.filePath("bin");
        const QString user = dir.filePath("config/vendrix");
        QDir().mkpath(program);
        QCOMPARE(SettingsFile::ChooseIniPath(program, user), user + "/alerm.ini"); // installed
        WriteBytes(program + "/alerm.wav", "");
        QCOMPARE(SettingsFile::ChooseIniPath(program, user), program + "/alerm.ini"); // unpacked
        QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                           QFile::ExeOther);
        QString chosen;
        AsNobody([&] { chosen = SettingsFile::ChooseIniPath(program, user); });
        QCOMPARE(chosen, user + "/alerm.ini");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        WriteBytes(program + "/alerm.ini", "");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                           QFile::ExeOther);
        AsNobody([&] { chosen = SettingsFile::ChooseIniPath(program, user); });
        QCOMPARE(chosen, program + "/alerm.ini");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
