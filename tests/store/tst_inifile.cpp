#include "IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void readsValues_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << QByteArray("[A]\nk=v\n") << "A"
                               << "k"
                               << "v";
        QTest::newRow("section with blank") << QByteArray("[Alerm 1]\nTime=07:00\n") << "Alerm 1"
                                            << "Time"
                                            << "07:00";
        QTest::newRow("case-insensitive") << QByteArray("[alerm 1]\nTIME=1\n") << "Alerm 1"
                                          << "time"
                                          << "1";
        QTest::newRow("blanks around =") << QByteArray("[A]\n  k  =  a b  \n") << "A"
                                         << "k"
                                         << "a b";
        QTest::newRow("crlf") << QByteArray("[A]\r\nk=v\r\n") << "A"
                              << "k"
                              << "v";
        QTest::newRow("missing key") << QByteArray("[A]\nx=1\n") << "A"
                                     << "k"
                                     << "";
        QTest::newRow("missing section") << QByteArray("[B]\nk=1\n") << "A"
                                         << "k"
                                         << "";
        QTest::newRow("first of duplicates") << QByteArray("[A]\nk=1\nk=2\n") << "A"
                                             << "k"
                                             << "1";
        QTest::newRow("utf-8") << QByteArray("[A]\nk=/home/ü/a b.wav\n") << "A"
                               << "k" << QString::fromUtf8("/home/ü/a b.wav");
        QTest::newRow("header without ]") << QByteArray("[A\nk=v\n") << "A"
                                          << "k"
                                          << "v";
        QTest::newRow("line without =") << QByteArray("[A]\njunk\nk=v\n") << "A"
                                        << "k"
                                        << "v";
        QTest::newRow("comment") << QByteArray("[A]\n;k=1\nk=2\n") << "A" << "k" << "2";
        QTest::newRow("long value") << "[A]\nk=" + QByteArray(300, 'x') << "A"
                                    << "k" << QString(300, u'x');
    }
    void readsValues() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(IniFile::Parse(file).ReadIni(section, key), value);
    }

    void writesInPlace_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << QByteArray() << QByteArray("[A]\nk=v\n");
        QTest::newRow("replace keeps others") << QByteArray("; note\n[A]\nx=1\nk=old\ny=2\n")
                                              << QByteArray("; note\n[A]\nx=1\nk=v\ny=2\n");
        QTest::newRow("new key at end of section")
            << QByteArray("[A]\nx=1\n\n[B]\ny=2\n") << QByteArray("[A]\nx=1\nk=v\n\n[B]\ny=2\n");
        QTest::newRow("new section at end")
            << QByteArray("[B]\ny=2") << QByteArray("[B]\ny=2\n[A]\nk=v\n");
        QTest::newRow("crlf kept")
            << QByteArray("[B]\r\ny=2\r\n") << QByteArray("[B]\r\ny=2\r\n[A]\r\nk=v\r\n");
        QTest::newRow("case of existing names kept")
            << QByteArray("[a]\nK = old\n") << QByteArray("[a]\nK =v\n");
        QTest::newRow("last line ends in a lone CR")
            << QByteArray("[B]\r") << QByteArray("[B]\r\n[A]\nk=v\n");
        QTest::newRow("bytes that are not text survive")
            << QByteArray("\xff\xfe\x00junk\n", 8)
            << QByteArray("\xff\xfe\x00junk\n[A]\nk=v\n", 16);
    }
    void writesInPlace() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        IniFile ini = IniFile::Parse(before);
        ini.WriteIni("A", "k", "v");
        QCOMPARE(ini.ToBytes(), after);
    }

    void valueCannotBreakTheFile() {
        IniFile ini;
        ini.WriteIni("A", "k", "one\ntwo\r\n[B]");
        ini.WriteIni("A", "j", "x");
        const IniFile again = IniFile::Parse(ini.ToBytes());
        QCOMPARE(again.ReadIni(u"A", u"j"), QString("x"));
        QCOMPARE(again.ReadIni(u"B", u"k"), QString());
    }

    void loadReportsWhatItFound() {
        QTemporaryDir dir;
        IniFile::Status status;
        IniFile::Load(dir.filePath("none.ini"), &status);
        QCOMPARE(status, IniFile::Status::Missing);
        IniFile::Load(dir.path(), &status);
        QCOMPARE(status, IniFile::Status::Unreadable);
        QFile file(dir.filePath("a.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[A]\nk=v\n");
        file.close();
        QCOMPARE(IniFile::Load(file.fileName(), &status).ReadIni(u"A", u"k"), QString("v"));
        QCOMPARE(status, IniFile::Status::Read);
    }

    void saveReplacesWholeFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ini");
        IniFile ini;
        ini.WriteIni("A", "k", "v");
        QString error;
        QVERIFY(ini.Save(path, &error));
        IniFile::Status status;
        QCOMPARE(IniFile::Load(path, &status).ToBytes(), QByteArray("[A]\nk=v\n"));
        QVERIFY(!ini.Save(dir.filePath("missing/a.ini"), &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
