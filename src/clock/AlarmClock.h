// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmScheduler.h"
#include "AlarmState.h"
#include "Audibility.h"
#include "ClockTick.h"
#include "ClockView.h"
#include "Desktop.h"
#include "Indicators.h"
#include "QuietNotice.h"
#include "RingVolume.h"
#include "SettingsKeeper.h"
#include "TrayPlacement.h"
#include "WakeKeeper.h"

#include <QDateTime>
#include <QObject>

// The alarm clock behind the window: it holds the run-time alarm state, runs
// the scan, and decides what a ring, its end, a Stop or a failed sound means
// for the user: what the window, the notification-area icon and the desktop
// notifications show, what the output's volume and the computer's sleep do.
// The settings and their file are its SettingsKeeper's.
class AlarmClock : public QObject, public Indicators {
    Q_OBJECT
public:
    AlarmClock(const QString& iniPath, AlarmActions& actions, const Desktop& desktop,
               ClockView& view);

    const Settings& Table() const { return settings_; }
    const QString& IniPath() const { return keeper_.IniPath(); }

    // The program started at this instant (milliseconds since the epoch):
    // the first scan rings what came since, up to the late limit.
    void Started(qint64 realMs);
    // Reads alerm.ini (telling what went wrong) and applies the stored
    // switch; gives the slot to show.
    int Load();
    // One 500 ms tick at `now`, in the zone in force (bootMs: a clock that
    // counts a suspend, to tell it from the clock being set): what the strip
    // shows; every other tick runs the alarm scan.
    ClockFace Tick(const QDateTime& now, qint64 bootMs);
    void lblSw_Click(int index);
    void cmdStop_Click();
    // Stop, and the snooze series pending ends; the switch stays at SNZ.
    void EndSnooze();
    // The editor shows slot n.
    void ChooseSlot(int n);
    // Slot n was registered with these values: its series ends, the next
    // alarm is found afresh and the file is saved.
    void Committed(int n, const AlarmSlot& slot, int snoozeInt);
    void TestAction(int command, const QString& wav, const QString& exec);
    // The window was minimised: into the notification area when there is one.
    void Minimised();
    // The window back in front, from the notification area too.
    void Restore();
    // Saves everything at the end of the run; what goes wrong is told by a
    // notification, the window being gone.
    void Save();
    // The user closed the window, which ends the run.
    void Closed();

    void ShowNextAlarm(std::optional<AlarmTime> next) override;
    void SetSnoozeShown(bool shown) override;
    void SetStopShown(bool shown) override;
    void ShowSwitch(int position) override;

private:
    void AlarmRinging(int n);
    void AlarmFellBack(int n, const QString& why);
    void AlarmsMissed(const MissedRings& missed);
    void Silenced(Silence why);
    void Heard();
    void FollowTheScheduler();
    void FollowTheDesktop(WakeTimer& wake);
    void FollowTheSettings();
    void EditTakenIn(const QList<int>& changed, bool switched, bool keepEdits);
    void AlarmsQuiet();
    void RingStarted();
    void SetSwitch(int index);
    void WarnIfOff();
    void OnWakeUnavailable(const QString& why);
    QString AlarmTitle() const;
    bool InSeries() const;

    SettingsKeeper keeper_;
    Settings& settings_;
    AlarmState state_;
    AlarmScheduler scheduler_;
    ClockTick clock_;
    Notifications& notifications_;
    TrayIcon& tray_;
    WakeKeeper wake_;
    RingVolume ringVolume_;
    QuietNotice quietNotice_;
    Audibility audibility_;
    TrayPlacement placement_;
    ClockView& view_;
    int ringing_ = 0;      // the slot that rang last
    QString ringBody_;     // what its notification says
    bool toldOff_ = false; // that alarms set at OFF do not ring, until the switch leaves OFF
    bool ending_ = false;  // the run is ending: no window is left to tell in
};
