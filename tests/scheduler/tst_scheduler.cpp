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
#include <QTimeZone>

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

// A simulated machine: real time runs on, and the boot clock with it; the
// wall shows real time in the machine's zone, which may change. Times are
// given as the wall shows them, in that zone.
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
    void StartAt(const QDateTime& wall) {
        realMs = QDateTime(wall.date(), wall.time(), zone).toMSecsSinceEpoch();
    }
    QDateTime Local() const { return QDateTime::fromMSecsSinceEpoch(realMs, zone); }
    void Scan() {
        const QDateTime local = Local();
        clockText = local.toString("yyyy-MM-dd HH:mm:ss.zzz");
        scheduler.Scan({realMs, bootMs, WallTime::ZoneOf(local)});
    }
    // Scans once a second until `ms` of real time have passed.
    void Run(qint64 ms) {
        for (qint64 done = 0; done < ms; done += 1000) {
            realMs += 1000;
            bootMs += 1000;
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
    // The wall times of the rings told missed, "hh:mm" each.
    QStringList Missed() const {
        QStringList times;
        for (const MissedRings& rings : missed)
            for (const QDateTime& at : rings.At)
                times << at.toString("hh:mm");
        return times;
    }

    Settings settings;
    AlarmState state;
    RecordingActions actions;
    FakeIndicators indicators;
    AlarmScheduler scheduler{settings, state, actions, indicators};
    QTimeZone zone{"UTC"};
    qint64 realMs = 0;
    qint64 bootMs = 0;
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

    // What moves the clock between two scans: a stall or a suspend (real
    // time and the boot clock run on), the clock set (real time alone), the
    // zone changed. Late up to ten minutes rings; older is told; what the
    // wall shows again does not ring again.
    void clockEvents_data() {
        Columns<QString, QDateTime, QTime, int, int, QString, int, int, QStringList, QStringList>(
            {"zone", "start", "alarm", "state", "beforeMs", "jump", "jumpMs", "afterMs", "fired",
             "missed"});
        const QTime seven(7, 0);
        const int hour = 3600'000;
        const QStringList at7{"07:00"};
        const QStringList none;
        // clang-format off
        Row("on time", "UTC", At(2027, 3, 1, 6, 59, 50), seven, 1, 20'000, "", 0, 0, at7, none);
        Row("a 40 s stall", "UTC", At(2027, 3, 1, 6, 59, 40), seven, 1, 0, "stall", 40'000, 5000, QStringList{"07:00:21"}, none);
        Row("a 5 min suspend", "UTC", At(2027, 3, 1, 6, 58), seven, 1, 0, "stall", 300'000, 5000, QStringList{"07:03:01"}, none);
        Row("a 2 h suspend", "UTC", At(2027, 3, 1, 6, 58), seven, 1, 0, "stall", 2 * hour, 5000, none, at7);
        Row("the clock set forward two days", "UTC", At(2027, 3, 1, 6, 58), seven, 1, 0, "set", 48 * hour, 5000, none, QStringList{"07:00", "07:00"});
        Row("started after the moment", "UTC", At(2027, 3, 1, 7, 0, 1), seven, 1, 0, "", 0, 5000, none, none);
        Row("the clock set back over a ring", "UTC", At(2027, 3, 1, 6, 59, 50), seven, 1, 60'000, "set", -300'000, 600'000, at7, none);
        Row("29 February", "UTC", At(2028, 2, 29, 7, 59, 50), QTime(8, 0), 2, 20'000, "", 0, 0, QStringList{"08:00"}, none);
        Row("no 29 February", "UTC", At(2027, 2, 28, 7, 59, 50), QTime(8, 0), 2, 2 * 86400'000, "", 0, 0, none, none);
        Row("east: Berlin 01:04 is Tokyo 09:04", "Europe/Berlin", At(2027, 3, 1, 1, 3), seven, 1, 60'000, "Asia/Tokyo", 0, 5000, none, at7);
        Row("east, minutes late: still rings", "Europe/Berlin", At(2027, 3, 1, 23, 2, 59), seven, 1, 60'000, "Asia/Tokyo", 0, 5000, QStringList{"07:04:00"}, none);
        Row("west after the ring: not again", "Asia/Tokyo", At(2027, 3, 1, 6, 59, 50), seven, 1, 20'000, "Europe/Berlin", 0, 9 * hour, at7, none);
        Row("across the date line west: not again", "Pacific/Kiritimati", At(2027, 3, 2, 6, 59, 50), seven, 1, 20'000, "Pacific/Pago_Pago", 0, 2 * hour, at7, none);
        Row("across the date line east: told, not late", "Pacific/Pago_Pago", At(2027, 3, 1, 23, 58, 30), QTime(0, 0), 1, 20'000, "Pacific/Kiritimati", 0, 5000, none, QStringList{"00:00", "00:00"});
        // clang-format on
    }
    void clockEvents() {
        auto [zone, start, alarm, state, beforeMs] = Fetch<QString, QDateTime, QTime, int, int>(
            {"zone", "start", "alarm", "state", "beforeMs"});
        auto [jump, jumpMs, afterMs, fired, missed] =
            Fetch<QString, int, int, QStringList, QStringList>(
                {"jump", "jumpMs", "afterMs", "fired", "missed"});
        Machine m;
        m.zone = QTimeZone(zone.toUtf8());
        AlarmSlot& slot = m.Slot(1, alarm.hour(), alarm.minute(), qint16(state), CommandLaunch);
        slot.Month = 2;
        slot.Day = 29;
        m.StartAt(start);
        m.Scan();
        m.Run(beforeMs);
        if (jump == "stall")
            m.bootMs += jumpMs;
        if (jump == "stall" || jump == "set")
            m.realMs += jumpMs;
        else if (!jump.isEmpty())
            m.zone = QTimeZone(jump.toUtf8());
        m.Run(afterMs + 1000);
        QCOMPARE(m.actions.calls.size(), fired.size());
        for (qsizetype i = 0; i < fired.size(); ++i)
            QCOMPARE(m.actions.calls[i].mid(11, fired[i].size()), fired[i]);
        QCOMPARE(m.Missed(), missed);
    }

    // An alarm's moment is its instant on the wall in the zone's rules: the
    // first showing of a time the clocks show twice, the change for one they
    // skip; never before it has come, wherever in the second the scans fall.
    void aMomentRingsAtItsInstant_data() {
        Columns<QString, QDate, QTime, QDateTime>({"zone", "date", "alarm", "instant"});
        const auto utc = [](int y, int mo, int d, int h, int mi) {
            return QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC);
        };
        // clang-format off
        Row("Berlin, skipped", "Europe/Berlin", QDate(2027, 3, 28), QTime(2, 30), utc(2027, 3, 28, 1, 0));
        Row("Berlin, shown twice", "Europe/Berlin", QDate(2027, 10, 31), QTime(2, 30), utc(2027, 10, 31, 0, 30));
        Row("Berlin, where the repeat ends", "Europe/Berlin", QDate(2027, 10, 31), QTime(3, 0), utc(2027, 10, 31, 2, 0));
        Row("Dublin, skipped", "Europe/Dublin", QDate(2027, 3, 28), QTime(1, 30), utc(2027, 3, 28, 1, 0));
        Row("Dublin, where the repeat ends", "Europe/Dublin", QDate(2027, 10, 31), QTime(2, 0), utc(2027, 10, 31, 2, 0));
        Row("Lord Howe, half an hour skipped", "Australia/Lord_Howe", QDate(2027, 10, 3), QTime(2, 15), utc(2027, 10, 2, 15, 30));
        Row("Lord Howe, where the repeat ends", "Australia/Lord_Howe", QDate(2027, 4, 4), QTime(2, 0), utc(2027, 4, 3, 15, 30));
        Row("Santiago, midnight skipped", "America/Santiago", QDate(2027, 9, 5), QTime(0, 30), utc(2027, 9, 5, 4, 0));
        Row("Santiago, shown twice", "America/Santiago", QDate(2027, 4, 3), QTime(23, 30), utc(2027, 4, 4, 2, 30));
        Row("Casablanca, skipped", "Africa/Casablanca", QDate(2027, 3, 14), QTime(2, 30), utc(2027, 3, 14, 2, 0));
        Row("Casablanca, shown twice", "Africa/Casablanca", QDate(2027, 2, 7), QTime(2, 30), utc(2027, 2, 7, 1, 30));
        Row("St John's, skipped", "America/St_Johns", QDate(2027, 3, 14), QTime(2, 30), utc(2027, 3, 14, 5, 30));
        Row("Tokyo", "Asia/Tokyo", QDate(2027, 3, 1), QTime(7, 0), utc(2027, 2, 28, 22, 0));
        Row("Kathmandu", "Asia/Kathmandu", QDate(2027, 3, 1), QTime(7, 0), utc(2027, 3, 1, 1, 15));
        Row("Kiritimati", "Pacific/Kiritimati", QDate(2027, 3, 1), QTime(7, 0), utc(2027, 2, 28, 17, 0));
        Row("Pago Pago", "Pacific/Pago_Pago", QDate(2027, 3, 1), QTime(7, 0), utc(2027, 3, 1, 18, 0));
        // clang-format on
    }
    void aMomentRingsAtItsInstant() {
        auto [zone, date, alarm, instant] =
            Fetch<QString, QDate, QTime, QDateTime>({"zone", "date", "alarm", "instant"});
        for (int tenths = 0; tenths < 10; ++tenths) {
            Machine m;
            m.zone = QTimeZone(zone.toUtf8());
            m.Slot(1, alarm.hour(), alarm.minute(), StateDate, CommandLaunch).Month =
                qint16(date.month());
            m.settings.AlarmTable[1].Day = qint16(date.day());
            m.realMs = instant.toMSecsSinceEpoch() - 2 * 3600'000 + tenths * 100;
            QString at;
            m.Scan();
            for (int second = 0; second < 4 * 3600 && at.isEmpty(); ++second) {
                m.Run(1000);
                if (!m.actions.calls.isEmpty())
                    at = QString::number(m.realMs - instant.toMSecsSinceEpoch());
            }
            QVERIFY2(!at.isEmpty() && at.toLongLong() >= 0 && at.toLongLong() < 1000,
                     qPrintable(QString("rang %1 ms after its instant").arg(at)));
            m.Run(2 * 3600'000);
            QCOMPARE(m.actions.calls.size(), 1); // a moment shown twice rings once
        }
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
        Row("a ring the clock left late: tomorrow at its own time", At(2027, 3, 1, 6, 59, 59), seven, int(SwitchSnooze), "run set", "2027-03-02 07:00");
        Row("OFF rings nothing", At(2027, 3, 1, 6, 0), seven, int(SwitchOff), "", "none");
        Row("a commit moves it", At(2027, 3, 1, 6, 0), seven, int(SwitchOn), "commit", "2027-03-01 06:30");
        Row("a time that cannot be never rings", At(2027, 3, 1, 6, 0), QList<int>{23, -5, StateDaily}, int(SwitchOn), "", "none");
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
        const qint64 slept = then == "late"           ? 6 * 60'000 + 30'000 // woken at 07:06:30
                             : then.endsWith("sleep") ? 2 * 3600'000        // no one there at 07:05
                                                      : 0;
        m.realMs += slept;
        m.bootMs += slept;
        if (then.endsWith("set"))
            m.realMs += 20 * 60'000; // the clock moved on during the series: 07:05 to 07:20 gone
        if (then == "commit") {
            m.settings.AlarmTable[1].Minute = 30;
            m.settings.AlarmTable[1].Hour = 6;
            m.scheduler.SlotCommitted(1);
        }
        m.Run(1000);
        const std::optional<NextRingTime> ring = m.scheduler.NextRing();
        QCOMPARE(ring ? QDateTime::fromSecsSinceEpoch(ring->At, m.zone).toString("yyyy-MM-dd HH:mm")
                      : "none",
                 next);
    }

    // A zone change ends a series under way; a series ended, and the clock
    // set back over the alarm, does not ring it again.
    void seriesAcrossChanges_data() {
        Columns<QString, QStringList>({"then", "fired"});
        // clang-format off
        Row("the series goes on", "", QStringList{"07:00", "07:05", "07:10"});
        Row("a zone change ends it", "zone", QStringList{"07:00"});
        Row("ended, then the clock set back: not again", "end back", QStringList{"07:00"});
        // clang-format on
    }
    void seriesAcrossChanges() {
        auto [then, fired] = Fetch<QString, QStringList>({"then", "fired"});
        Machine m;
        m.settings.Switch = SwitchSnooze;
        m.zone = QTimeZone("Europe/Berlin");
        m.Slot(1, 7, 0, StateDaily, CommandStandard);
        m.StartAt(At(2027, 3, 1, 6, 59, 59));
        m.Run(90'000);
        if (then == "zone")
            m.zone = QTimeZone("Europe/London");
        if (then.startsWith("end")) {
            m.scheduler.EndSnoozes();
            m.realMs -= 120'000; // back to 06:59:30
        }
        m.Run(11 * 60'000);
        QCOMPARE(m.Firings("standard"), fired);
        QCOMPARE(m.indicators.snooze, then.isEmpty());
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
        Row("a yearly date months ahead", At(2027, 3, 1, 8, 0), QList<int>{8, 30, 2, 0}, 1, "08:30");
        Row("a time that cannot be", At(2027, 3, 1, 8, 0), QList<int>{23, -5, 1, 0}, 1, "none");
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

    // The label follows the table: every slot switched off, none is set;
    // another armed after, it shows that one, not what was shown before.
    void labelAfterEverySlotWentOff() {
        Machine m;
        m.Slot(1, 7, 0, StateDaily, CommandLaunch);
        m.StartAt(At(2027, 3, 1, 6, 30));
        m.Run(2000);
        QCOMPARE(m.indicators.alarmText, "07:00");
        m.settings.AlarmTable[1].State = StateOff;
        m.scheduler.SlotCommitted(1);
        m.Run(2000);
        QCOMPARE(m.indicators.alarmText, "none");
        m.Slot(2, 9, 0, StateDaily, CommandLaunch);
        m.scheduler.SlotCommitted(2);
        m.Run(2000);
        QCOMPARE(m.indicators.alarmText, "09:00");
    }

    // At OFF nothing would have rung: a suspend over an alarm tells nothing.
    void nothingIsMissedAtOff() {
        Machine m;
        m.settings.Switch = SwitchOff;
        m.Slot(1, 7, 0, StateDaily, CommandLaunch);
        m.StartAt(At(2027, 3, 1, 6, 58));
        m.Run(2000);
        m.realMs += 2 * 3600'000;
        m.bootMs += 2 * 3600'000;
        m.Run(2000);
        QVERIFY(m.missed.isEmpty() && m.actions.calls.isEmpty());
    }

    // The first scan, after the settings are read, covers the moment the
    // program started: an alarm whose minute began meanwhile rings.
    void theFirstSecondCounts_data() {
        Columns<int, int, int>({"scanMs", "startedMs", "fired"});
        // clang-format off
        // The first scan, and the start, in milliseconds from 07:00:00.
        Row("started a second before, its first scan after", 600, -1000, 1);
        Row("a start slower than the late limit", 660'000, -60'000, 0);
        Row("started after the minute began", 2000, 1000, 0);
        // clang-format on
    }
    void theFirstSecondCounts() {
        auto [scanMs, startedMs, fired] = Fetch<int, int, int>({"scanMs", "startedMs", "fired"});
        Machine m;
        m.Slot(1, 7, 0, StateDaily, CommandLaunch);
        m.StartAt(At(2027, 3, 1, 7, 0, 0));
        m.scheduler.StartedAt(m.realMs + startedMs);
        m.realMs += scanMs;
        m.Scan();
        m.Run(3000);
        QCOMPARE(int(m.actions.calls.size()), fired);
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

    void commitEndsTheSeries() {
        Machine m;
        m.settings.Switch = SwitchSnooze;
        m.Slot(1, 7, 0, StateDaily, CommandLaunch);
        m.Slot(2, 7, 0, StateDaily, CommandStandard);
        m.StartAt(At(2027, 3, 1, 6, 59, 59));
        m.Run(2000);
        m.scheduler.cmdStop_Click();
        m.scheduler.SlotCommitted(1);
        m.scheduler.SlotCommitted(2);
        m.Run(10 * 60'000);
        QCOMPARE(m.Firings(), (QStringList{"07:00", "07:00"})); // no snooze after
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
