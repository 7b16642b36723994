// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmActions.h"
#include "AlarmScheduler.h"
#include "AlarmState.h"
#include "ClockTick.h"
#include "Indicators.h"
#include "Notifier.h"
#include "Settings.h"
#include "SettingsFile.h"

#include <QTimer>
#include <QWidget>
#include <array>

class ClickLabel;
class EditorPanel;
class Panel;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSystemTrayIcon;

// The one window: the clock strip, the editor panel, the clock timer and the
// notification-area icon. It owns the settings and the run-time alarm state
// and is the only place that reads the real clock. Each control carries its
// design name as its object name ("lblAlerm", "lblSw(2)").
class Form1 : public QWidget, public Indicators {
    Q_OBJECT
public:
    Form1(const QString& iniPath, AlarmActions& actions);
    ~Form1() override;

    void Form_Load();
    // Saves everything; runs whenever the program ends normally.
    void Form_QueryUnload();
    // Shows the window, from the notification area too, in front of others.
    void BringToFront();

    void SetAlarmText(const QString& text) override;
    void SetSnoozeShown(bool shown) override;
    void SetStopShown(bool shown) override;
    void ShowSwitch(int position) override;
    void AlarmRinging(int n) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildClockStrip();
    void BuildTray();
    void PlaceOnScreen();
    void tmrClock_Timer();
    void lblSw_Click(int index);
    void cmdExpand_Click();
    void Form_Resize();
    void mnuRestore_Click();
    void OnCommitted(int n);
    void ReportSave(SettingsFile::SaveResult result);
    void OnSoundFailed(const QString& why);
    QString AlarmTitle() const;
    bool InView() const;

    Settings settings_;
    AlarmState state_;
    SettingsFile file_;
    AlarmScheduler scheduler_;
    ClockTick clock_;
    bool expanded_ = false;
    QString shownFailure_; // the save failure last shown, until a save succeeds
    int ringing_ = 0;      // the slot that rang last
    Notifier notifier_;

    Panel* pctBack0;
    std::array<ClickLabel*, 3> lblSw{};
    QLabel* lblWeek;
    QLabel* lblDebug;
    std::array<QLabel*, 2> lblNow{};
    QLabel* lblSeparate;
    QLabel* lblAlerm;
    QPushButton* cmdStop;
    QLabel* lblSnz;
    QPushButton* cmdExpand;
    EditorPanel* pctBack3;
    QTimer tmrClock;
    QSystemTrayIcon* tray;
    QMenu* mnuTray;
    QAction* mnuStop;
};
