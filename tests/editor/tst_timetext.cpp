#include "TimeText.h"

#include <QTest>
#include <cmath>

class TestTimeText : public QObject {
    Q_OBJECT
private slots:
    void step_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("largest");
        QTest::addColumn<QString>("result");
        QTest::newRow("23 up") << "23" << 1 << 23 << "0";
        QTest::newRow("0 down") << "0" << -1 << 23 << "23";
        QTest::newRow("empty up") << "" << 1 << 23 << "1";
        QTest::newRow("leading zero dropped") << "07" << 1 << 23 << "8";
        QTest::newRow("30 up wraps once") << "30" << 1 << 23 << "7";
        QTest::newRow("30 down") << "30" << -1 << 23 << "29";
        QTest::newRow("-3 up") << "-3" << 1 << 23 << "-2";
        QTest::newRow("fraction kept") << "7.5" << 1 << 23 << "8.5";
        QTest::newRow("huge stays huge") << "1e20" << 1 << 23 << "1e+20";
    }
    void step() {
        QFETCH(QString, text);
        QFETCH(int, delta);
        QFETCH(int, largest);
        QFETCH(QString, result);
        QCOMPARE(TimeText::Step(text, delta, largest), result);
    }

    void normalise_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modulus");
        QTest::addColumn<QString>("result");
        QTest::newRow("25") << "25" << 24 << "1";
        QTest::newRow("-1") << "-1" << 24 << "23";
        QTest::newRow("abc") << "abc" << 24 << "0";
        QTest::newRow("12:30") << "12:30" << 24 << "12";
        QTest::newRow("29") << "29" << 24 << "5";
        QTest::newRow("minute 75") << "75" << 60 << "15";
        QTest::newRow("minute -5") << "-5" << 60 << "55";
        QTest::newRow("fraction") << "25.5" << 24 << "1.5";
        QTest::newRow("1e20") << "1e20" << 24 << "16"; // 10^20 mod 24
        QTest::newRow("beyond double")
            << "1e999" << 60 << QString::number(std::fmod(1.7976931348623157e308, 60.0));
        QTest::newRow("tiny negative") << "-1e-20" << 24 << "0";
        QTest::newRow("tiny negative printing as 24") << "-3e-14" << 24 << "0";
    }
    void normalise() {
        QFETCH(QString, text);
        QFETCH(int, modulus);
        QFETCH(QString, result);
        QCOMPARE(TimeText::Normalise(text, modulus), result);
    }

    void commit_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modulus");
        QTest::addColumn<int>("value");
        QTest::newRow("7.5") << "7.5" << 24 << 8;
        QTest::newRow("8.5") << "8.5" << 24 << 8;
        QTest::newRow("blanks") << " 12 " << 24 << 12;
        QTest::newRow("23.5 is midnight") << "23.5" << 24 << 0;
        QTest::newRow("59.7 is 0") << "59.7" << 60 << 0;
        QTest::newRow("not a number") << "12:30" << 24 << 0;
        QTest::newRow("huge") << "99999999999999999999" << 60 << 7;
    }
    void commit() {
        QFETCH(QString, text);
        QFETCH(int, modulus);
        QFETCH(int, value);
        QCOMPARE(int(TimeText::Commit(text, modulus)), value);
    }

    void date_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::newRow("12/31") << "12/31" << 12 << 31;
        QTest::newRow("1/1") << "1/1" << 1 << 1;
        QTest::newRow("3/15x") << "3/15x" << 3 << 15;
        QTest::newRow(" 5/6") << " 5/6" << 5 << 6;
        QTest::newRow("12") << "12" << 12 << 12;
        QTest::newRow("12/") << "12/" << 12 << 0;
        QTest::newRow("123/4") << "123/4" << 12 << 4;
        QTest::newRow("1/234") << "1/234" << 1 << 23;
        QTest::newRow("empty") << "" << 0 << 0;
        QTest::newRow("/") << "/" << 0 << 0;
    }
    void date() {
        QFETCH(QString, text);
        QFETCH(int, month);
        QFETCH(int, day);
        const TimeText::MonthDay date = TimeText::Date(text);
        QCOMPARE(int(date.Month), month);
        QCOMPARE(int(date.Day), day);
    }
};

QTEST_APPLESS_MAIN(TestTimeText)
#include "tst_timetext.moc"
