#include "SchedulerHarness.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

namespace {
const QString NoAlarm = QStringLiteral("アラーム 未設定");
const QDate Monday(2027, 3, 1);

// Minutes (hh:mm) at which calls matching `what` happened.
QStringList Minutes(const QStringList& calls) {
    QStringList minutes;
    for (const QString& call : calls)
        minutes << call.mid(11, 5);
    return minutes;
}
} // namespace

class TestAlarmScheduler : public QObject {
    Q_OBJECT
private slots:
    void roadOfOneAlarm() {
        SchedulerHarness h;
        QCOMPARE(Monday.dayOfWeek(), 1);
        h.settings.Switch = SwitchSnooze;
        h.settings.SnoozeInt = 5;
        AlarmSlot& slot = h.Slot(3, 7, 0, StateWeekdays, CommandWav);
        slot.WeekSwitch = {0, 1, 1, 1, 1, 1, 0};
        slot.WAV = "/music/wake.wav";
        slot.Repeat = 1;
        h.StartAt(QDateTime(Monday, QTime(6, 59, 50, 600), Qt::UTC));
        h.Run(8000);
        QVERIFY(h.actions.calls.isEmpty());
        QCOMPARE(h.indicators.alarmText, QString("アラーム 07:00"));
        h.Run(1000); // 06:59:59.6: within half a second
        QCOMPARE(h.actions.calls, QStringList{"2027-03-01 06:59:59.600 wav /music/wake.wav 1"});
        QVERIFY(h.indicators.stop && h.indicators.snooze);
        h.Run(9000);
        QCOMPARE(h.actions.Matching("stopwav"), QStringList{"2027-03-01 07:00:08.600 stopwav"});
        QVERIFY(!h.indicators.stop && h.indicators.snooze);
        h.Run(12 * 60'000);
        QCOMPARE(Minutes(h.actions.Matching("wav /music")),
                 (QStringList{"06:59", "07:04", "07:09"}));
        QCOMPARE(h.indicators.alarmText, QString("アラーム 07:00"));
        h.scheduler.lblSw_Click(SwitchOn);
        QVERIFY(!h.indicators.snooze);
        QCOMPARE(h.state.TotalSnoozeCount(), 0);
        h.Run(30 * 60'000);
        QCOMPARE(h.actions.Matching("wav /music").size(), 3);
        QCOMPARE(h.indicators.alarmText, QString("アラーム 07:00"));
    }

    void switchTable_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QStringList>("fired"); // minutes of the firing calls
        QTest::addColumn<int>("ringCalls");     // calls of the first minute's ring
        QTest::addColumn<bool>("snoozeShown");  // at the end
        const QStringList once{"07:00"};
        const QStringList snoozing{"07:00", "07:05", "07:10"};
        QTest::newRow("SNZ standard") << 0 << 0 << 0 << snoozing << 60 << true;
        QTest::newRow("SNZ wav repeat") << 0 << 1 << 1 << snoozing << 2 << true;
        QTest::newRow("SNZ wav once") << 0 << 1 << 0 << once << 1 << false;
        QTest::newRow("SNZ launch") << 0 << 2 << 0 << once << 1 << false;
        QTest::newRow("ON standard") << 1 << 0 << 0 << once << 60 << false;
        QTest::newRow("ON wav repeat") << 1 << 1 << 1 << once << 2 << false;
        QTest::newRow("ON wav once") << 1 << 1 << 0 << once << 1 << false;
        QTest::newRow("ON launch") << 1 << 2 << 0 << once << 1 << false;
        QTest::newRow("OFF standard") << 2 << 0 << 0 << QStringList{} << 0 << false;
        QTest::newRow("OFF wav repeat") << 2 << 1 << 1 << QStringList{} << 0 << false;
        QTest::newRow("OFF wav once") << 2 << 1 << 0 << QStringList{} << 0 << false;
        QTest::newRow("OFF launch") << 2 << 2 << 0 << QStringList{} << 0 << false;
    }
    void switchTable() {
        QFETCH(int, position);
        QFETCH(int, command);
        QFETCH(int, repeat);
        QFETCH(QStringList, fired);
        QFETCH(int, ringCalls);
        QFETCH(bool, snoozeShown);
        SchedulerHarness h;
        h.settings.Switch = qint16(position);
        h.Slot(1, 7, 0, StateDaily, qint16(command)).Repeat = qint16(repeat);
        h.StartAt(QDateTime(Monday, QTime(6, 59, 58), Qt::UTC));
        h.Run(61'000);
        QCOMPARE(h.actions.calls.size(), ringCalls);
        h.Run(11 * 60'000);
        // Scans fall on whole seconds: a firing is a call at second 00 of a minute.
        const QStringList firings =
            h.actions.calls.filter(QRegularExpression(":00\\.000 (standard|wav|launch)"));
        QCOMPARE(Minutes(firings), fired);
        QCOMPARE(h.indicators.snooze, snoozeShown);
        QVERIFY(!h.indicators.stop);
        QCOMPARE(h.state.RingCount[1], qint16(0));
        QCOMPARE(h.indicators.alarmText, QString("アラーム 07:00"));
    }

    void everyArmedMomentFiresOnceOverAWeek() {
        SchedulerHarness h;
        h.Slot(1, 7, 0, StateDaily, CommandLaunch);
        h.Slot(2, 23, 59, StateWeekdays, CommandLaunch).WeekSwitch = {0, 1, 0, 1, 0, 1, 0};
        h.Slot(3, 0, 0, StateDaily, CommandLaunch);
        AlarmSlot& dated = h.Slot(4, 12, 30, StateDate, CommandLaunch);
        dated.Month = 3;
        dated.Day = 4;
        h.Slot(5, 6, 15, StateWeekdays, CommandLaunch).WeekSwitch = {1, 0, 0, 0, 0, 0, 0};
        h.Slot(6, 7, 0, StateDaily, CommandLaunch); // same moment as slot 1
        const QDateTime start(Monday, QTime(5, 0, 0, 123), Qt::UTC);
        const QDateTime end = start.addDays(7);
        QMap<QString, QList<QDateTime>> expected;
        for (QDate date = start.date(); date <= end.date(); date = date.addDays(1)) {
            for (int n = 1; n <= 6; ++n) {
                const AlarmSlot& slot = h.settings.AlarmTable[n];
                const QDateTime moment(date, QTime(slot.Hour, slot.Minute), Qt::UTC);
                const bool armed =
                    slot.State == StateDaily ||
                    (slot.State == StateDate && date.month() == slot.Month &&
                     date.day() == slot.Day) ||
                    (slot.State == StateWeekdays && slot.WeekSwitch[date.dayOfWeek() % 7]);
                if (armed && moment > start && moment < end)
                    expected["launch slot" + QString::number(n)] << moment;
            }
        }
        h.StartAt(start);
        QRandomGenerator random(20261206);
        while (h.Local() < end) {
            h.realMs += random.bounded(500, 3001);
            h.Scan();
        }
        QMap<QString, QList<QDateTime>> fired;
        for (const QString& call : h.actions.calls)
            fired[call.mid(24)] << QDateTime::fromString(call.left(23), "yyyy-MM-dd HH:mm:ss.zzz");
        QCOMPARE(fired.keys(), expected.keys());
        for (const QString& key : expected.keys()) {
            QCOMPARE(fired[key].size(), expected[key].size());
            for (int i = 0; i < expected[key].size(); ++i) {
                const qint64 late = expected[key][i].msecsTo(fired[key][i]);
                QVERIFY2(late >= -500 && late <= 3000,
                         qPrintable(key + " " + QString::number(late)));
            }
        }
        QVERIFY(h.actions.calls.indexOf(QRegularExpression(".*launch slot1")) <
                h.actions.calls.indexOf(QRegularExpression(".*launch slot6")));
    }

    void clockEvents_data() {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QTime>("alarm");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("beforeMs");     // scanning once a second
        QTest::addColumn<int>("realJumpMs");   // real time passing without a scan
        QTest::addColumn<int>("offsetJumpMs"); // local time moved against real time
        QTest::addColumn<int>("afterMs");
        QTest::addColumn<int>("firings");
        const QTime seven(7, 0);
        const int hour = 3600'000;
        QTest::newRow("on time") << At(2027, 3, 1, 6, 59, 50) << seven << 1 << 20'000 << 0 << 0 << 0
                                 << 1;
        QTest::newRow("40 s stall")
            << At(2027, 3, 1, 6, 59, 40) << seven << 1 << 0 << 40'000 << 0 << 5000 << 1;
        QTest::newRow("5 min suspend")
            << At(2027, 3, 1, 6, 58) << seven << 1 << 0 << 300'000 << 0 << 5000 << 1;
        QTest::newRow("2 h suspend")
            << At(2027, 3, 1, 6, 58) << seven << 1 << 0 << 2 * hour << 0 << 5000 << 0;
        QTest::newRow("started after the moment")
            << At(2027, 3, 1, 7, 0, 1) << seven << 1 << 0 << 0 << 0 << 5000 << 0;
        QTest::newRow("daylight saving forward") << At(2027, 3, 28, 1, 59, 50) << QTime(2, 30) << 1
                                                 << 10'000 << 0 << hour << 60'000 << 1;
        QTest::newRow("daylight saving back") << At(2027, 10, 31, 2, 29, 50) << QTime(2, 30) << 1
                                              << 1800'000 << 0 << -hour << hour << 1;
        QTest::newRow("clock set back")
            << At(2027, 3, 1, 6, 59, 50) << seven << 1 << 60'000 << -300'000 << 0 << 600'000 << 1;
        QTest::newRow("midnight") << At(2027, 3, 1, 23, 59, 50) << QTime(0, 0) << 1 << 20'000 << 0
                                  << 0 << 0 << 1;
        QTest::newRow("29 February")
            << At(2028, 2, 29, 7, 59, 50) << QTime(8, 0) << 2 << 20'000 << 0 << 0 << 0 << 1;
        QTest::newRow("no 29 February")
            << At(2027, 2, 28, 7, 59, 50) << QTime(8, 0) << 2 << 2 * 86400'000 << 0 << 0 << 0 << 0;
    }
    void clockEvents() {
        QFETCH(QDateTime, start);
        QFETCH(QTime, alarm);
        QFETCH(int, state);
        QFETCH(int, beforeMs);
        QFETCH(int, realJumpMs);
        QFETCH(int, offsetJumpMs);
        QFETCH(int, afterMs);
        QFETCH(int, firings);
        SchedulerHarness h;
        AlarmSlot& slot = h.Slot(1, alarm.hour(), alarm.minute(), qint16(state), CommandLaunch);
        slot.Month = 2;
        slot.Day = 29;
        h.StartAt(start);
        h.Scan();
        h.Run(beforeMs);
        h.realMs += realJumpMs;
        h.offsetMs += offsetJumpMs;
        h.Run(afterMs + 1000);
        QCOMPARE(h.actions.calls.size(), firings);
    }

    void snoozeRunsPastMidnight() {
        SchedulerHarness h;
        h.settings.Switch = SwitchSnooze;
        h.settings.SnoozeInt = 10;
        h.Slot(1, 23, 55, StateWeekdays, CommandStandard).WeekSwitch = {0, 0, 0, 0, 0, 1, 0};
        h.StartAt(At(2027, 3, 5, 23, 54)); // a Friday; Saturday is off
        h.Run(22 * 60'000);
        QCOMPARE(Minutes(h.actions.calls.filter(QRegularExpression(":00\\.000 standard"))),
                 (QStringList{"23:55", "00:05", "00:15"}));
    }

    void ringOfAnActionThatNoLongerRingsEnds() {
        SchedulerHarness h;
        h.Slot(1, 7, 0, StateDaily, CommandStandard);
        h.StartAt(At(2027, 3, 1, 6, 59, 59));
        h.Run(3000);
        QVERIFY(h.indicators.stop);
        h.settings.AlarmTable[1].Command = CommandLaunch;
        h.Run(1000);
        QCOMPARE(h.state.RingCount[1], qint16(0));
        QVERIFY(!h.indicators.stop);
    }

    void nextAlarmLabel_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QList<int>>("table"); // per slot: hour, minute, state, snooze count
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("label");
        const int weekdays = 3;
        QTest::newRow("none armed")
            << At(2027, 3, 1, 8, 0) << QList<int>{7, 0, 0, 0} << 1 << NoAlarm;
        QTest::newRow("weekday tested on tomorrow, Thursday")
            << At(2027, 3, 4, 8, 0) << QList<int>{7, 0, weekdays, 0} << 1 << "アラーム 07:00";
        QTest::newRow("weekday tested on tomorrow, Friday")
            << At(2027, 3, 5, 8, 0) << QList<int>{7, 0, weekdays, 0} << 1 << NoAlarm;
        QTest::newRow("nearest wins")
            << At(2027, 3, 1, 8, 0) << QList<int>{7, 0, 1, 0, 9, 5, 1, 0} << 1 << "アラーム 09:05";
        QTest::newRow("OFF still shows")
            << At(2027, 3, 1, 8, 0) << QList<int>{9, 5, 1, 0} << 2 << "アラーム 09:05";
        QTest::newRow("snoozed slot first loses to a later slot")
            << At(2027, 3, 1, 7, 2) << QList<int>{7, 0, 1, 1, 9, 0, 1, 0} << 0 << "アラーム 09:00";
        QTest::newRow("snoozed slot last keeps its own time")
            << At(2027, 3, 1, 7, 2) << QList<int>{9, 0, 1, 0, 7, 0, 1, 1} << 0 << "アラーム 07:00";
    }
    void nextAlarmLabel() {
        QFETCH(QDateTime, now);
        QFETCH(QList<int>, table);
        QFETCH(int, position);
        QFETCH(QString, label);
        SchedulerHarness h;
        h.settings.Switch = qint16(position);
        for (int i = 0; i < table.size(); i += 4) {
            AlarmSlot& slot =
                h.Slot(i / 4 + 1, table[i], table[i + 1], qint16(table[i + 2]), CommandLaunch);
            slot.WeekSwitch = {0, 1, 1, 1, 1, 1, 0};
            h.state.SnoozeCount[i / 4 + 1] = table[i + 3];
        }
        h.StartAt(now);
        h.Run(2000);
        QCOMPARE(h.indicators.alarmText, label);
    }

    void switchEffects() {
        SchedulerHarness h;
        h.settings.Switch = SwitchSnooze;
        h.Slot(1, 7, 0, StateDaily, CommandStandard);
        h.StartAt(At(2027, 3, 1, 6, 59, 59));
        h.Run(2000);
        QVERIFY(h.indicators.stop && h.indicators.snooze);
        h.scheduler.lblSw_Click(SwitchSnooze);
        QCOMPARE(h.state.SnoozeCount[1], 1);
        h.scheduler.lblSw_Click(SwitchOff);
        QCOMPARE(h.indicators.switchShown, int(SwitchOff));
        QVERIFY(!h.indicators.stop && !h.indicators.snooze);
        QCOMPARE(h.state.SnoozeCount[1] + h.state.RingCount[1], 0);
        QVERIFY(h.actions.calls.last().endsWith("stopwav"));
        const qsizetype calls = h.actions.calls.size();
        h.Run(10 * 60'000);
        QCOMPARE(h.actions.calls.size(), calls);
    }

    void commitForgetsWhatFired() {
        SchedulerHarness h;
        h.Slot(1, 7, 0, StateDaily, CommandLaunch);
        h.StartAt(At(2027, 3, 1, 6, 59, 59));
        h.Run(2000);
        h.scheduler.SlotCommitted(1);
        QCOMPARE(h.state.NextAlarmHour, qint16(-1));
        h.realMs -= 2000; // the clock set back over the moment again
        h.Run(2000);
        QCOMPARE(h.actions.calls.size(), 2);
    }
};

QTEST_APPLESS_MAIN(TestAlarmScheduler)
#include "tst_alarmscheduler.moc"
