// SPDX-License-Identifier: GPL-3.0-or-later
// The clock tick, the alarm scan and the master switch on a simulated clock:
// a simulated week runs in milliseconds.
#include "AlarmScheduler.h"
#include "ClockTick.h"
#include "RecordingActions.h"
#include "TestSupport.h"
#include "TextRules.h"

#include <QDateTime>
#include <QRegularExpression>

namespace {

class FakeIndicators : public Indicators {
public:
    void ShowNextAlarm(std::optional<AlarmTime> next) override {
        alarmText = next ? HourMinute(next->Hour, next->Minute) : QStringLiteral("none");
    }
    void SetSnoozeShown(bool shown) override { snooze = shown; }
    void SetStopShown(bool shown) override { stop = shown; }
    void ShowSwitch(int position) override { switchShown = position; }

    QString alarmText;
    bool snooze = false;
    bool stop = false;
    int switchShown = -1;
};

// A simulated machine: real time runs on, local time is real time plus an
// offset that a daylight-saving change or the user can move. Times are given
// as UTC date-times that stand for local time.
struct Machine {
    Machine() {
        settings.SetDefaults();
        settings.Switch = SwitchOn;
        actions.clock = &clockText;
        QObject::connect(&scheduler, &AlarmScheduler::ringing, [this](int n) { ringing << n; });
        QObject::connect(&scheduler, &AlarmScheduler::fellBack, [this](int n) { fellBack << n; });
        QObject::connect(&scheduler, &AlarmScheduler::missed,
                         [this](const MissedRings& rings) { missed << rings; });
    }
    AlarmSlot& Slot(int n, int hour, int minute, qint16 state, qint16 command) {
        AlarmSlot& slot = settings.AlarmTable[n];
        slot = {qint16(hour), qint16(minute), state, command, 1, 1, {}, {}, 0, {}};
        slot.Exec = "slot" + QString::number(n);
        return slot;
    }
    void StartAt(const QDateTime& local) { realMs = local.toMSecsSinceEpoch(); }
    QDateTime Local() const { return QDateTime::fromMSecsSinceEpoch(realMs + offsetMs, Qt::UTC); }
    void Scan() {
        const QDateTime local = Local();
        clockText = local.toString("yyyy-MM-dd HH:mm:ss.zzz");
        scheduler.Scan(
            {local.date(), float(local.time().msecsSinceStartOfDay()) / 1000.0f, realMs, realMs});
    }
    // Scans once a second until `ms` of real time have passed.
    void Run(qint64 ms) {
        for (qint64 done = 0; done < ms; done += 1000) {
            realMs += 1000;
            Scan();
        }
    }
    // Minutes (hh:mm) of the calls at second 00 that started an action.
    QStringList Firings(const QString& actions = "standard|wav|launch") const {
        QStringList minutes;
        for (const QString& call :
             this->actions.calls.filter(QRegularExpression(":00\\.000 (" + actions + ")")))
            minutes << call.mid(11, 5);
        return minutes;
    }
    int Count(const QString& call) const {
        return int(actions.calls.filter(QRegularExpression(" " + call + "$")).size());
    }

    Settings settings;
    AlarmState state;
    RecordingActions actions;
    FakeIndicators indicators;
    AlarmScheduler scheduler{settings, state, actions, indicators};
    qint64 realMs = 0;
    qint64 offsetMs = 0;
    QString clockText;
    QList<int> ringing;
    QList<int> fellBack;
    QList<MissedRings> missed;
};

QDateTime At(int y, int m, int d, int h, int min, int s = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::UTC);
}

} // namespace

class TestScheduler : public QObject {
    Q_OBJECT
private slots:
    void clockScansOnEveryOtherTick() {
        ClockTick tick;
        QString shown;
        for (int i = 0; i < 4; ++i) {
            const ClockFace face = tick.Tick(QDate(2027, 1, 5), 7, 5);
            shown += face.Separator + (face.Scan ? "scan " : "");
        }
        QCOMPARE(shown, QString(":scan  :scan  ")); // the very first tick shows ":" and scans
    }

    void switchTable_data() {
        Columns<int, int, int, QStringList, int, bool>(
            {"position", "command", "repeat", "fired", "ringCalls", "snoozeShown"});
        const QStringList once{"07:00"};
        const QStringList snoozing{"07:00", "07:05", "07:10"};
        const int ring = AlarmScheduler::StandardRingSeconds + 1; // a sound a second, then its stop
        // clang-format off
        Row("SNZ standard", 0, 0, 0, snoozing, ring, true);
        Row("SNZ wav repeat", 0, 1, 1, snoozing, 2, true);
        Row("SNZ wav once", 0, 1, 0, once, 1, false);
        Row("SNZ launch", 0, 2, 0, once, 1, false);
        Row("ON standard", 1, 0, 0, once, ring, false);
        Row("ON wav repeat", 1, 1, 1, once, 2, false);
        Row("ON launch", 1, 2, 0, once, 1, false);
        Row("OFF standard", 2, 0, 0, QStringList{}, 0, false);
        Row("OFF launch", 2, 2, 0, QStringList{}, 0, false);
        // clang-format on
    }
    void switchTable() {
        auto [position, command, repeat, fired] =
            Fetch<int, int, int, QStringList>({"position", "command", "repeat", "fired"});
        QFETCH(int, ringCalls); // calls of the first minute's ring, its stop included
        QFETCH(bool, snoozeShown);
        Machine m;
        m.settings.Switch = qint16(position);
        m.Slot(1, 7, 0, StateDaily, qint16(command)).Repeat = qint16(repeat);
        m.StartAt(At(2027, 3, 1, 6, 59, 58));
        m.Run((AlarmScheduler::StandardRingSeconds + 1) * 1000);
        QCOMPARE(m.actions.calls.size(), ringCalls);
        QCOMPARE(m.indicators.stop, command == CommandWav && repeat == 0); // a single WAV plays on
        m.actions.EndWav();
        m.Run(11 * 60'000);
        QCOMPARE(m.Firings(), fired);
        QCOMPARE(m.ringing.size(), command == CommandLaunch ? 0 : fired.size());
        QCOMPARE(m.indicators.snooze, snoozeShown);
        QVERIFY(!m.indicators.stop && !m.actions.Sounding()); // every ring ends with its sound
        QCOMPARE(m.indicators.alarmText, QString("07:00"));
    }

    void clockEvents_data() {
        Columns<QDateTime, QTime, int, int, int, int, int, int, int>(
            {"start", "alarm", "state", "beforeMs", "realJumpMs", "offsetJumpMs", "afterMs",
             "firings", "missed"});
        const QTime seven(7, 0);
        const int hour = 3600'000;
        // clang-format off
        Row("on time", At(2027, 3, 1, 6, 59, 50), seven, 1, 20'000, 0, 0, 0, 1, 0);
        Row("40 s stall", At(2027, 3, 1, 6, 59, 40), seven, 1, 0, 40'000, 0, 5000, 1, 0);
        Row("5 min suspend", At(2027, 3, 1, 6, 58), seven, 1, 0, 300'000, 0, 5000, 1, 0);
        Row("2 h suspend", At(2027, 3, 1, 6, 58), seven, 1, 0, 2 * hour, 0, 5000, 0, 1);
        Row("started after the moment", At(2027, 3, 1, 7, 0, 1), seven, 1, 0, 0, 0, 5000, 0, 0);
        Row("daylight saving forward", At(2027, 3, 28, 1, 59, 50), QTime(2, 30), 1, 10'000, 0, hour, 60'000, 1, 0);
        Row("daylight saving back", At(2027, 10, 31, 2, 29, 50), QTime(2, 30), 1, 1800'000, 0, -hour, hour, 1, 0);
        Row("clock set back", At(2027, 3, 1, 6, 59, 50), seven, 1, 60'000, -300'000, 0, 600'000, 1, 0);
        Row("29 February", At(2028, 2, 29, 7, 59, 50), QTime(8, 0), 2, 20'000, 0, 0, 0, 1, 0);
        Row("no 29 February", At(2027, 2, 28, 7, 59, 50), QTime(8, 0), 2, 2 * 86400'000, 0, 0, 0, 0, 0);
        // clang-format on
    }
    void clockEvents() {
        auto [start, alarm, state] = Fetch<QDateTime, QTime, int>({"start", "alarm", "state"});
        QFETCH(int, beforeMs);     // scanning once a second
        QFETCH(int, realJumpMs);   // real time passing without a scan
        QFETCH(int, offsetJumpMs); // local time moved against real time
        auto [afterMs, firings] = Fetch<int, int>({"afterMs", "firings"});
        QFETCH(int, missed); // stretches told as missed
        Machine m;
        AlarmSlot& slot = m.Slot(1, alarm.hour(), alarm.minute(), qint16(state), CommandLaunch);
        slot.Month = 2;
        slot.Day = 29;
        m.StartAt(start);
        m.Scan();
        m.Run(beforeMs);
        m.realMs += realJumpMs;
        m.offsetMs += offsetJumpMs;
        m.Run(afterMs + 1000);
        QCOMPARE(m.actions.calls.size(), firings);
        QCOMPARE(m.missed.size(), missed);
    }

    // The moment the wake timer is asked for: the next ring as things stand.
    void nextRing_data() {
        Columns<QDateTime, QList<int>, int, QString, QString>(
            {"start", "table", "position", "then", "next"});
        const QList<int> seven{7, 0, StateDaily};
        // clang-format off
        // Per slot: hour, minute, state (weekdays: Monday to Friday; date: 29 February).
        Row("weekdays over the weekend", At(2027, 3, 5, 8, 0), QList<int>{7, 0, StateWeekdays}, int(SwitchOn), "", "2027-03-08 07:00");
        Row("the nearest of two", At(2027, 3, 1, 8, 0), QList<int>{7, 0, StateDaily, 9, 30, StateDaily}, int(SwitchOn), "", "2027-03-01 09:30");
        Row("a yearly 29 February", At(2028, 3, 1, 8, 0), QList<int>{8, 0, StateDate}, int(SwitchOn), "", "2032-02-29 08:00");
        Row("a snooze series comes back", At(2027, 3, 1, 6, 59, 59), seven, int(SwitchSnooze), "run", "2027-03-01 07:05");
        Row("a snooze series past midnight", At(2027, 3, 1, 23, 57, 59), QList<int>{23, 58, StateDaily}, int(SwitchSnooze), "run", "2027-03-02 00:03");
        Row("ON rings once", At(2027, 3, 1, 6, 59, 59), seven, int(SwitchOn), "run", "2027-03-02 07:00");
        Row("switched to ON mid-series", At(2027, 3, 1, 6, 59, 59), seven, int(SwitchSnooze), "run on", "2027-03-02 07:00");
        Row("a late ring snoozes ahead", At(2027, 3, 1, 6, 59, 50), seven, int(SwitchSnooze), "late", "2027-03-01 07:10");
        Row("a series a suspend stepped over ends", At(2027, 3, 1, 6, 59, 59), seven, int(SwitchSnooze), "run sleep", "2027-03-02 07:00");
        Row("OFF rings nothing", At(2027, 3, 1, 6, 0), seven, int(SwitchOff), "", "none");
        Row("a commit moves it", At(2027, 3, 1, 6, 0), seven, int(SwitchOn), "commit", "2027-03-01 06:30");
        Row("daylight saving forward", At(2027, 3, 28, 1, 59, 50), QList<int>{2, 30, StateDaily}, int(SwitchOn), "dst", "2027-03-29 02:30");
        // clang-format on
    }
    void nextRing() {
        auto [start, table, position, then, next] =
            Fetch<QDateTime, QList<int>, int, QString, QString>(
                {"start", "table", "position", "then", "next"});
        Machine m;
        m.settings.Switch = qint16(position);
        for (int i = 0; i < table.size(); i += 3) {
            AlarmSlot& slot =
                m.Slot(i / 3 + 1, table[i], table[i + 1], qint16(table[i + 2]), CommandStandard);
            slot.WeekSwitch = {0, 1, 1, 1, 1, 1, 0};
            slot.Month = 2;
            slot.Day = 29;
        }
        m.StartAt(start);
        m.Run(1000);
        if (then.startsWith("run"))
            m.Run(70'000);
        if (then.endsWith("on"))
            m.scheduler.lblSw_Click(SwitchOn);
        if (then == "late")
            m.realMs += 6 * 60'000 + 30'000; // woken at 07:06:30: 07:00 rings late
        if (then.endsWith("sleep"))
            m.realMs += 2 * 3600'000; // no one there to be snoozed at 07:05
        if (then == "commit") {
            m.settings.AlarmTable[1].Minute = 30;
            m.settings.AlarmTable[1].Hour = 6;
            m.scheduler.SlotCommitted(1);
        }
        if (then == "dst") {
            m.Run(10'000);
            m.offsetMs += 3600'000; // 02:00 becomes 03:00: 02:30 rings at once
        }
        m.Run(1000);
        const std::optional<NextRingTime> ring = m.scheduler.NextRing();
        QCOMPARE(ring ? ring->At.toString("yyyy-MM-dd HH:mm") : "none", next);
    }

    // A ring goes on with the action it started, to its own end, and Stop is
    // shown for as long as any ring lasts.
    void ringsEndWithTheirOwnSound_data() {
        Columns<int, int, bool>({"second", "commitAs", "stopShown"});
        // clang-format off
        Row("commit of the ringing WAV as a launch", -1, int(CommandLaunch), false);
        Row("commit of the ringing WAV as the standard alarm", -1, int(CommandStandard), false);
        Row("a standard ring outlasts the WAV's", int(CommandStandard), int(CommandWav), true);
        Row("a second WAV replaces the first's ring", int(CommandWav), int(CommandWav), false);
        // clang-format on
    }
    void ringsEndWithTheirOwnSound() {
        QFETCH(int, second); // the action of a second slot at the same time, if any
        auto [commitAs, stopShown] = Fetch<int, bool>({"commitAs", "stopShown"});
        Machine m;
        m.Slot(1, 7, 0, StateDaily, CommandWav).Repeat = 1;
        if (second >= 0)
            m.Slot(2, 7, 0, StateDaily, qint16(second)).Repeat = 1;
        m.StartAt(At(2027, 3, 1, 6, 59, 59));
        m.Run(3000);
        m.settings.AlarmTable[1].Command = qint16(commitAs);
        m.scheduler.SlotCommitted(1);
        const qsizetype before = m.actions.calls.size();
        m.Run(10'000);
        const QString ofSlot1 = second == CommandStandard ? "stop|slot1" : "stop|standard|slot1";
        QCOMPARE(m.actions.calls.mid(before).filter(QRegularExpression(ofSlot1)),
                 QStringList{"2027-03-01 07:00:09.000 stopwav"});
        QCOMPARE(m.indicators.stop, stopShown);
    }

    // The end of one slot's single WAV leaves another slot's ring sounding.
    void singleWavEndsOnlyItsOwnRing() {
        Machine m;
        m.Slot(1, 7, 0, StateDaily, CommandStandard);
        m.Slot(2, 7, 0, StateDaily, CommandWav);
        m.StartAt(At(2027, 3, 1, 6, 59, 59));
        m.Run(4000);
        m.actions.EndWav();
        m.Run(1000);
        QVERIFY(m.indicators.stop && m.actions.Sounding());
    }

    void nextAlarmLabel_data() {
        Columns<QDateTime, QList<int>, int, QString>({"now", "table", "position", "label"});
        const int weekdays = 3;
        // clang-format off
        // Per slot: hour, minute, state, snooze count; Monday to Friday are on.
        Row("none armed", At(2027, 3, 1, 8, 0), QList<int>{7, 0, 0, 0}, 1, "none");
        Row("weekday tested on tomorrow, Thursday", At(2027, 3, 4, 8, 0), QList<int>{7, 0, weekdays, 0}, 1, "07:00");
        Row("weekday tested on tomorrow, Friday", At(2027, 3, 5, 8, 0), QList<int>{7, 0, weekdays, 0}, 1, "none");
        Row("nearest wins", At(2027, 3, 1, 8, 0), QList<int>{7, 0, 1, 0, 9, 5, 1, 0}, 1, "09:05");
        Row("snoozed slot first loses to a later slot", At(2027, 3, 1, 7, 2), QList<int>{7, 0, 1, 1, 9, 0, 1, 0}, 0, "09:00");
        Row("snoozed slot last keeps its own time", At(2027, 3, 1, 7, 2), QList<int>{9, 0, 1, 0, 7, 0, 1, 1}, 0, "07:00");
        Row("a tie keeps the first slot", At(2027, 3, 1, 7, 2), QList<int>{7, 5, 1, 0, 7, 0, 1, 1}, 0, "07:05");
        // clang-format on
    }
    void nextAlarmLabel() {
        auto [now, table, position, label] =
            Fetch<QDateTime, QList<int>, int, QString>({"now", "table", "position", "label"});
        Machine m;
        m.settings.Switch = qint16(position);
        for (int i = 0; i < table.size(); i += 4) {
            m.Slot(i / 4 + 1, table[i], table[i + 1], qint16(table[i + 2]), CommandLaunch)
                .WeekSwitch = {0, 1, 1, 1, 1, 1, 0};
            m.state.SnoozeCount[i / 4 + 1] = table[i + 3];
        }
        m.StartAt(now);
        m.Run(2000);
        QCOMPARE(m.indicators.alarmText, label);
    }

    void switchEffects() {
        Machine m;
        m.settings.Switch = SwitchSnooze;
        m.Slot(1, 7, 0, StateDaily, CommandStandard);
        m.StartAt(At(2027, 3, 1, 6, 59, 59));
        m.Run(2000);
        m.scheduler.lblSw_Click(SwitchSnooze); // again: nothing ends
        QVERIFY(m.indicators.stop && m.indicators.snooze);
        m.scheduler.lblSw_Click(SwitchOn); // the series ends, the ring goes on
        QVERIFY(m.indicators.stop && !m.indicators.snooze);
        m.scheduler.lblSw_Click(SwitchOff); // the ring ends
        QCOMPARE(m.indicators.switchShown, int(SwitchOff));
        QVERIFY(!m.indicators.stop);
        QVERIFY(
            m.actions.calls.join(u',').endsWith("stopwav,2027-03-01 07:00:01.000 stopstandard"));
        m.scheduler.lblSw_Click(SwitchSnooze);
        m.Run(10 * 60'000);
        QCOMPARE(m.Firings(), QStringList{"07:00"}); // no 07:05: the series had ended
    }

    void commitEndsTheSeriesAndForgetsWhatFired() {
        Machine m;
        m.settings.Switch = SwitchSnooze;
        m.Slot(1, 7, 0, StateDaily, CommandLaunch);
        m.Slot(2, 7, 0, StateDaily, CommandStandard);
        m.StartAt(At(2027, 3, 1, 6, 59, 59));
        for (int round = 0; round < 2; ++round) {
            m.realMs -= 2000 * round; // the clock set back over the moment: it rings again
            m.Run(2000);
            m.scheduler.cmdStop_Click();
            m.scheduler.SlotCommitted(1);
            m.scheduler.SlotCommitted(2);
        }
        m.Run(10 * 60'000);
        QCOMPARE(m.Firings(), (QStringList{"07:00", "07:00", "07:00", "07:00"}));
    }

    // A firing whose own action fails is a full standard ring, snoozing as
    // the switch says; the standard sound lasts while any standard ring does.
    void failedActionRingsAsStandard_data() {
        Columns<int, int, int, bool, QStringList>(
            {"command", "repeat", "position", "later", "fired"});
        const QStringList once{"07:00"};
        const QStringList snoozing{"07:00", "07:05", "07:10"};
        // clang-format off
        Row("missing single WAV at SNZ", int(CommandWav), 0, int(SwitchSnooze), false, snoozing);
        Row("looping WAV failing while it plays", int(CommandWav), 1, int(SwitchOn), true, once);
        Row("missing program at SNZ", int(CommandLaunch), 0, int(SwitchSnooze), false, snoozing);
        Row("opener failing later at ON", int(CommandLaunch), 0, int(SwitchOn), true, once);
        // clang-format on
    }
    void failedActionRingsAsStandard() {
        auto [command, repeat, position, later, fired] = Fetch<int, int, int, bool, QStringList>(
            {"command", "repeat", "position", "later", "fired"});
        Machine m;
        m.settings.Switch = qint16(position);
        m.settings.SnoozeInt = 5;
        AlarmSlot& slot = m.Slot(1, 7, 0, StateDaily, qint16(command));
        slot.Repeat = qint16(repeat);
        slot.WAV = "/gone.wav";
        m.Slot(2, 7, 0, StateDaily, CommandStandard); // its ring ends while the other goes on
        if (!later)
            m.actions.failing << slot.WAV << slot.Exec;
        m.StartAt(At(2027, 3, 1, 6, 59, 59));
        m.Run(5000);
        if (later && command == CommandWav)
            m.actions.FailWav();
        else if (later)
            emit m.actions.launchFailed(slot.Exec, "xdg-open failed");
        m.Run(55'000); // to 07:00:59, where slot 2's ring ends
        QCOMPARE(m.fellBack, QList<int>{1});
        QCOMPARE(m.indicators.stop && m.actions.Sounding(), later);
        m.Run(10 * 60'000);
        QCOMPARE(m.Firings(command == CommandWav ? "wav" : "launch"), fired);
        // Slot 1's fallback rings and slot 2's own, each a full standard ring.
        QCOMPARE(m.Count("standard"), 2 * AlarmScheduler::StandardRingSeconds * fired.size());
        QVERIFY(!m.indicators.stop && !m.actions.Sounding());
    }
};

QTEST_APPLESS_MAIN(TestScheduler)
#include "tst_scheduler.moc"
