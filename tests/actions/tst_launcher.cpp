#include "Launcher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A program that writes its working directory and arguments, one a line.
QString MakeWitness(const QString& path, const QString& output) {
    QFile script(path);
    script.open(QIODevice::WriteOnly);
    script.write(
        QStringLiteral("#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > '%1'\n")
            .arg(output)
            .toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QStringList WaitForLines(const QString& path) {
    QFile file(path);
    for (int i = 0; i < 100 && !(file.exists() && file.size() > 0); ++i)
        QTest::qWait(50);
    QTest::qWait(50);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestLauncher : public QObject {
    Q_OBJECT
private slots:
    void split_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("parameters");
        QTest::newRow("no ?") << "/bin/prog"
                              << "/bin/prog"
                              << "";
        QTest::newRow("ends in ?") << "/bin/prog?"
                                   << "/bin/prog"
                                   << "";
        QTest::newRow("two ?") << "/bin/prog?a?b"
                               << "/bin/prog"
                               << "a?b";
        QTest::newRow("starts with ?") << "?x"
                                       << ""
                                       << "x";
        QTest::newRow("blanks kept") << " a ? b "
                                     << " a "
                                     << " b ";
    }
    void split() {
        QFETCH(QString, text);
        QFETCH(QString, file);
        QFETCH(QString, parameters);
        const Launcher::Target target = Launcher::Split(text);
        QCOMPARE(target.File, file);
        QCOMPARE(target.Parameters, parameters);
    }

    void startsProgramWithArguments_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("quoted words")
            << "witness"
            << "one \"two three\" 4?x" << QStringList{"one", "two three", "4?x"};
        QTest::newRow("blank in path") << "my witness"
                                       << "a" << QStringList{"a"};
        QTest::newRow("shell text is plain arguments")
            << "witness"
            << "hi; touch pwned" << QStringList{"hi;", "touch", "pwned"};
        QTest::newRow("no parameters") << "witness"
                                       << "" << QStringList{};
    }
    void startsProgramWithArguments() {
        QFETCH(QString, name);
        QFETCH(QString, parameters);
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        const QString output = dir.filePath("out.txt");
        const QString program = MakeWitness(dir.filePath(name), output);
        const QString work = dir.filePath("work");
        QDir().mkdir(work);
        QVERIFY(Launcher(work).LaunchExec(program + "?" + parameters));
        QCOMPARE(WaitForLines(output), QStringList{work} + arguments);
        QVERIFY(!QFile::exists(work + "/pwned"));
    }

    void relativeNameCountsFromProgramFolder() {
        QTemporaryDir dir;
        MakeWitness(dir.filePath("witness"), dir.filePath("out.txt"));
        QVERIFY(Launcher(dir.path()).LaunchExec("witness?x"));
        QCOMPARE(WaitForLines(dir.filePath("out.txt")), (QStringList{dir.path(), "x"}));
    }

    void failuresAreReported_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("only ?") << "?";
        QTest::newRow("no such file") << "/no/such/program?x";
        QTest::newRow("no such name") << "vendrix-no-such-program-here";
    }
    void failuresAreReported() {
        QFETCH(QString, text);
        QVERIFY(!Launcher(QDir::tempPath()).LaunchExec(text));
    }
};

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
