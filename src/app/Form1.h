// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmClock.h"
#include "ClickOnReturn.h"
#include "ClockView.h"

#include <QTimer>
#include <QWidget>
#include <array>

class ClickLabel;
class EditorPanel;
class Panel;
class QLabel;
class QPushButton;

// The one window: the clock strip, the editor panel and the clock timer. It
// shows what its alarm clock decides and is the only place that reads the
// real clock. Each control carries its design name as its object name
// ("lblAlerm", "lblSw(2)").
class Form1 : public QWidget, public ClockView {
    Q_OBJECT
public:
    Form1(const QString& iniPath, AlarmActions& actions, const Desktop& desktop);
    ~Form1() override;

    void Form_Load();
    // Saves everything; runs whenever the program ends normally.
    void Form_QueryUnload();
    // Shows the window, from the notification area too, in front of others.
    void BringToFront();
    // What Stop does, asked from outside (vendrix --stop).
    void Stop();
    // As at login: minimised, into the notification area where there is one.
    void StartMinimised();

    bool InView() const override;
    bool Minimised() const override;
    void ShowNextAlarm(const QString& text) override;
    void ShowSnooze(bool shown) override;
    void ShowStop(bool shown) override;
    void ShowSwitch(int position) override;
    void ShowSilent(bool silent) override;
    void AskAttention() override;
    void ShowWindow() override;
    void HideWindow() override;
    void ShowMinimised() override;
    void Tell(const QString& text) override;
    int EditedSlot() const override;
    void ShowSettings(bool keepEdits) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildClockStrip();
    void ForKeyboardAndScreenReaders();
    void PlaceOnScreen();
    static qint64 StartedMs();
    void tmrClock_Timer();
    void lblSw_Click(int index);
    void cmdExpand_Click();
    void Form_Resize();

    AlarmClock clock_;
    bool expanded_ = false;
    ClickOnReturn clickOnReturn_;

    Panel* pctBack0;
    std::array<ClickLabel*, 3> lblSw{};
    QLabel* lblWeek;
    std::array<QLabel*, 2> lblNow{};
    QLabel* lblSeparate;
    QLabel* lblAlerm;
    QPushButton* cmdStop;
    QLabel* lblSnz;
    QLabel* lblNoSound;
    QPushButton* cmdExpand;
    EditorPanel* pctBack3;
    QTimer tmrClock;
};
