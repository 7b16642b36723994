#pragma once

#include "AlarmScheduler.h"

#include <QDateTime>
#include <QStringList>

// Records every action as text, with the simulated time it happened at.
class RecordingActions : public AlarmActions {
public:
    void PlayStandardAlarm(int slot) override { Log("standard " + QString::number(slot)); }
    void PlayWav(const QString& path, int repeat) override {
        Log("wav " + path + " " + QString::number(repeat));
    }
    void StopWav() override { Log("stopwav"); }
    void LaunchExec(const QString& text) override { Log("launch " + text); }

    void Log(const QString& what) { calls << *clock + " " + what; }
    QStringList Matching(const QString& what) const { return calls.filter(what); }

    QStringList calls;
    const QString* clock = nullptr;
};

class FakeIndicators : public Indicators {
public:
    void SetAlarmText(const QString& text) override { alarmText = text; }
    void SetSnoozeShown(bool shown) override { snooze = shown; }
    void SetStopShown(bool shown) override { stop = shown; }
    void ShowSwitch(int position) override { switchShown = position; }

    QString alarmText;
    bool snooze = false;
    bool stop = false;
    int switchShown = -1;
};

// A simulated machine: real time runs on, local time is real time plus an
// offset that a daylight-saving change or the user can move.
class SchedulerHarness {
public:
    SchedulerHarness() {
        settings.SetDefaults();
        settings.Switch = SwitchOn;
        actions.clock = &clockText;
    }

    AlarmSlot& Slot(int n, int hour, int minute, qint16 state, qint16 command) {
        AlarmSlot& slot = settings.AlarmTable[n];
        slot.Hour = qint16(hour);
        slot.Minute = qint16(minute);
        slot.State = state;
        slot.Command = command;
        slot.Exec = "slot" + QString::number(n);
        return slot;
    }

    // Local time `local` (given as a UTC date-time), `offsetHours` ahead of real time.
    void StartAt(const QDateTime& local, int offsetHours = 0) {
        offsetMs = offsetHours * 3600'000LL;
        realMs = local.toMSecsSinceEpoch() - offsetMs;
    }
    QDateTime Local() const { return QDateTime::fromMSecsSinceEpoch(realMs + offsetMs, Qt::UTC); }
    void Scan() {
        const QDateTime local = Local();
        clockText = local.toString("yyyy-MM-dd HH:mm:ss.zzz");
        scheduler.Scan(
            {local.date(), float(local.time().msecsSinceStartOfDay()) / 1000.0f, realMs});
    }
    // Scans once a second (or every `step` ms) until `ms` of real time have passed.
    void Run(qint64 ms, qint64 step = 1000) {
        for (qint64 done = 0; done < ms; done += step) {
            realMs += step;
            Scan();
        }
    }

    Settings settings;
    AlarmState state;
    RecordingActions actions;
    FakeIndicators indicators;
    AlarmScheduler scheduler{settings, state, actions, indicators};
    qint64 realMs = 0;
    qint64 offsetMs = 0;
    QString clockText;
};

inline QDateTime At(int y, int m, int d, int h, int min, double s = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min).addMSecs(qint64(s * 1000)), Qt::UTC);
}
