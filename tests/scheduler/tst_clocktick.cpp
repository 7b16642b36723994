#include "ClockTick.h"

#include <QTest>

class TestClockTick : public QObject {
    Q_OBJECT
private slots:
    void face_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<QString>("week");
        QTest::addColumn<QString>("digits");
        QTest::newRow("5 January") << QDate(2027, 1, 5) << 7 << 5 << "01/05 TUE"
                                   << "07 05";
        QTest::newRow("Saturday") << QDate(2027, 3, 6) << 23 << 0 << "03/06 SAT"
                                  << "23 00";
    }
    void face() {
        QFETCH(QDate, date);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(QString, week);
        QFETCH(QString, digits);
        ClockTick tick;
        const ClockFace face = tick.Tick(date, hour, minute, 3);
        QCOMPARE(face.Week, week);
        QCOMPARE(face.Hour + " " + face.Minute, digits);
        QCOMPARE(face.Debug, QString("3"));
    }

    void separatorBlinksAndScansOnColon() {
        ClockTick tick;
        QString seen;
        for (int i = 0; i < 4; ++i) {
            const ClockFace face = tick.Tick(QDate(2027, 1, 1), 0, 0, 0);
            QCOMPARE(face.Scan, face.Separator == ":");
            seen += face.Separator;
        }
        QCOMPARE(seen, QString(": : ")); // the very first tick shows ":" and scans
    }
};

QTEST_APPLESS_MAIN(TestClockTick)
#include "tst_clocktick.moc"
