#include "TextRules.h"

#include <QTest>
#include <limits>

class TestTextRules : public QObject {
    Q_OBJECT
private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("time") << "12:30" << 12.0;
        QTest::newRow("leading blank") << " 7" << 7.0;
        QTest::newRow("blank inside") << "1 2" << 12.0;
        QTest::newRow("colon first") << ":5" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("fraction") << "2.5" << 2.5;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("point fraction") << ".5x" << 0.5;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("exponent blanks") << "2 E - 2" << 0.02;
        QTest::newRow("dangling exponent") << "7e" << 7.0;
        QTest::newRow("huge") << "1e400" << std::numeric_limits<double>::max();
        QTest::newRow("long digits") << QString(400, u'9') << std::numeric_limits<double>::max();
        QTest::newRow("tiny") << "1e-400" << 0.0;
        QTest::newRow("largest exponent") << "5e9223372036854775807" << std::numeric_limits<double>::max();
        QTest::newRow("full-width digit") << QString::fromUtf8("１") << 0.0;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(LeadingNumber(text), value);
    }

    void roundHalfEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("rounded");
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("1.5") << 1.5 << 2;
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("-0.5") << -0.5 << 0;
        QTest::newRow("7.5") << 7.5 << 8;
        QTest::newRow("clamped high") << 40000.0 << 32767;
        QTest::newRow("huge") << 1e300 << 32767;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0;
    }
    void roundHalfEven() {
        QFETCH(double, value);
        QFETCH(int, rounded);
        QCOMPARE(int(RoundHalfEven(value)), rounded);
    }

    void padZero_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("5") << 5 << "05";
        QTest::newRow("123") << 123 << "23";
        QTest::newRow("-5") << -5 << "-5";
        QTest::newRow("-12") << -12 << "12";
    }
    void padZero() {
        QFETCH(int, value);
        QFETCH(QString, text);
        QCOMPARE(PadZero(qint16(value), 2), text);
    }
};

QTEST_APPLESS_MAIN(TestTextRules)
#include "tst_textrules.moc"
