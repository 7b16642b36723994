// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Panel.h"

#include <array>

class ClickLabel;
class QButtonGroup;
class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class SpinButton;
struct AlarmSlot;
struct Settings;

// The editor panel below the clock strip: one alarm slot at a time, held in
// the controls until "登録" hands it over to be stored; it reads the table
// and never writes it. Each control carries its design name as its object
// name ("txtHr", "lblIndex(7)").
class EditorPanel : public Panel {
    Q_OBJECT
public:
    EditorPanel(const Settings& settings, QWidget* parent);

    // Sets the slot selector to n and shows slot n, as at start-up.
    void SelectSlot(int n);
    // The slot whose controls hold changes not yet registered; 0 when none.
    int EditedSlot() const;
    // The table changed under the editor: it shows it again, except for
    // changes the user has not registered yet.
    void ShowSettings(bool keepEdits);
    // Where the Tab key goes from the clock strip.
    QWidget* FirstInTabOrder() const;

signals:
    // Another slot is shown: it becomes the current one.
    void slotChosen(int n);
    // Slot n was registered with these values and the snooze interval.
    void committed(int n, const AlarmSlot& slot, int snoozeInt);
    // The test button: the action shown, tried now without saving.
    void testRequested(int command, const QString& wav, const QString& exec);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildSlotRow();
    void BuildTimeAndType();
    void BuildSnooze();
    void BuildAction();
    void BuildCommitButtons();
    void Connect();
    void ForKeyboardAndScreenReaders();
    void SetTabOrder();

    void ShowSlot(int n);
    void ColorSlotLabels();
    void ClearEditor();
    AlarmSlot Edited() const;
    void ctlIndex_Change();
    void lblIndex_Click(int index);
    void optSel_Click(int index);
    void optCmd_Click(int index);
    void cmdOpen_Click();
    void scrSint_Change();
    void cmdChk_Click();
    static void ShowText(QLineEdit* box, const QString& text);
    void StepBox(QLineEdit* box, int delta, int largest);
    void NormaliseBox(QLineEdit* box, int modulus);
    void cmdAlTst_Click();
    void cmdDone_Click();
    void cmdUndo_Click();
    void cmdErase_Click();
    void SelectType(int state);
    void SelectCommand(int command);
    int SelectedCommand() const;

    const Settings& settings_;
    QButtonGroup* typeGroup_;
    QButtonGroup* commandGroup_;

    // Controls, by their design names; arrays are indexed by their meaning.
    SpinButton* ctlIndex;
    std::array<ClickLabel*, 21> lblIndex{}; // 1..20
    std::array<QRadioButton*, 4> optSel{};
    std::array<QWidget*, 4> ctnType{};
    QLineEdit* txtDate;
    std::array<QCheckBox*, 7> chkDay{};
    QPushButton* cmdChk;
    SpinButton* ctlHr;
    QLineEdit* txtHr;
    QLineEdit* txtMn;
    SpinButton* ctlMn;
    QLabel* lblSint;
    QScrollBar* scrSint;
    std::array<QRadioButton*, 3> optCmd{};
    std::array<QWidget*, 3> ctnExec{};
    QPushButton* cmdAlTst;
    std::array<QLineEdit*, 3> txtFile{}; // 1..2
    QCheckBox* chkRep;
    QPushButton* cmdOpen;
    QPushButton* cmdUndo;
    QPushButton* cmdErase;
    QPushButton* cmdDone;
    QFileDialog* Dlg = nullptr;
};
