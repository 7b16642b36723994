// SPDX-License-Identifier: GPL-3.0-or-later
#include "EditorPanel.h"

#include "ClickLabel.h"
#include "Fonts.h"
#include "Settings.h"
#include "SpinButton.h"
#include "TextRules.h"
#include "TimeText.h"
#include "Twips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <algorithm>

namespace {

const QColor CurrentColour(0xC0, 0xC0, 0xFF);
const QColor OnColour(0xFF, 0xC0, 0x80);
const QColor OffColour(0xD4, 0xD0, 0xC8);
const QColor ContainerColour(0xD4, 0xD0, 0xC8);

QWidget* Container(QWidget* parent, const QString& name, int l, int t, int w, int h) {
    auto* box = Make<QWidget>(parent, name);
    Place(box, l, t, w, h);
    box->hide();
    return box;
}

// The snooze interval's bar, its focus shown as the other controls show theirs.
class IntervalBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

protected:
    void paintEvent(QPaintEvent* event) override {
        QScrollBar::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter painter(this);
        QStyleOptionFocusRect frame;
        frame.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
    }
};

// Two-digit slot numbers and the interval caption fill their designed
// width only in a font a point smaller than the window's.
QFont Narrow(QFont font) {
    font.setPointSizeF(font.pointSizeF() - 1);
    return font;
}

// The box's own menu or another window taking the focus for a while is not
// leaving the box.
bool MovedToAnotherControl(Qt::FocusReason reason) {
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

qint16 CheckValue(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void SetCheckValue(QCheckBox* box, qint16 value) {
    box->setCheckState(value == 0   ? Qt::Unchecked
                       : value == 1 ? Qt::Checked
                                    : Qt::PartiallyChecked);
}

} // namespace

EditorPanel::EditorPanel(const Settings& settings, QWidget* parent)
    : Panel(parent), settings_(settings) {
    setObjectName(Member("pctBack", 3));
    BuildSlotRow();
    BuildTimeAndType();
    BuildSnooze();
    BuildAction();
    BuildCommitButtons();
    Connect();
    ForKeyboardAndScreenReaders();
}

void EditorPanel::BuildSlotRow() {
    ctlIndex = Make<SpinButton>(this, "ctlIndex", Qt::Horizontal, 1, SlotCount);
    Place(ctlIndex, 0, 120, 495, 180);
    for (int n = 1; n <= SlotCount; ++n) {
        lblIndex[n] = Make<ClickLabel>(this, Member("lblIndex", n), QString::number(n));
        lblIndex[n]->setAlignment(Qt::AlignCenter);
        lblIndex[n]->setFont(Narrow(lblIndex[n]->font()));
        Place(lblIndex[n], 480 + 240 * (n - 1), 120, 255, 195);
        SetBackground(lblIndex[n], n == 1 ? CurrentColour : n == 2 ? OnColour : OffColour);
    }
    AddLine(120, 360, 6240, 360);
}

void EditorPanel::BuildTimeAndType() {
    auto* lblCap0 = Make<QLabel>(this, Member("lblCap", 0), QStringLiteral("アラーム時刻"));
    lblCap0->setFont(Fonts::Gothic(9));
    Place(lblCap0, 2280, 720, 1335, 255);
    const char16_t* captions[] = {u"オフ", u"オン", u"日付", u"曜日"};
    const int widths[] = {975, 975, 855, 855};
    typeGroup_ = new QButtonGroup(this);
    for (int k = 0; k < 4; ++k) {
        optSel[k] = Make<QRadioButton>(this, Member("optSel", k), QString::fromUtf16(captions[k]));
        Place(optSel[k], 120, 600 + 360 * k, widths[k], 255);
        typeGroup_->addButton(optSel[k], k);
    }
    optSel[0]->setChecked(true);
    ctnType[0] = Container(this, Member("ctnType", 0), 1080, 600, 255, 255);
    ctnType[1] = Container(this, Member("ctnType", 1), 1080, 1680, 255, 255);
    ctnType[2] = Container(this, Member("ctnType", 2), 1080, 1320, 975, 255);
    ctnType[3] = Container(this, Member("ctnType", 3), 1080, 1680, 5175, 255);
    txtDate = Make<QLineEdit>(ctnType[2], "txtDate", QStringLiteral("12/31"));
    Place(txtDate, 0, 0, 735, 270);
    const char16_t* days[] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};
    for (int d = 0; d < 7; ++d) {
        chkDay[d] = Make<QCheckBox>(ctnType[3], Member("chkDay", d), QString::fromUtf16(days[d]));
        Place(chkDay[d], 600 * d, 15, 495, 240);
    }
    cmdChk = Make<QPushButton>(ctnType[3], "cmdChk", QStringLiteral("All/None"));
    Place(cmdChk, 4200, 0, 855, 255);

    ctlHr = Make<SpinButton>(this, "ctlHr", Qt::Vertical, -32768, 32767);
    Place(ctlHr, 2280, 960, 240, 255);
    txtHr = Make<QLineEdit>(this, "txtHr", QStringLiteral("12"));
    Place(txtHr, 2520, 960, 375, 270);
    Place(Make<QLabel>(this, "Label1", QStringLiteral("：")), 2910, 1005, 135, 255);
    txtMn = Make<QLineEdit>(this, "txtMn", QStringLiteral("59"));
    Place(txtMn, 3000, 960, 375, 270);
    ctlMn = Make<SpinButton>(this, "ctlMn", Qt::Vertical, -32768, 32767);
    Place(ctlMn, 3360, 960, 240, 255);
}

void EditorPanel::BuildSnooze() {
    AddLine(4440, 480, 4440, 1320);
    AddLine(4440, 1320, 4560, 1440);
    AddLine(4560, 1440, 6240, 1440);
    lblSint = Make<QLabel>(this, "lblSint", QStringLiteral("Label2"));
    Place(lblSint, 4560, 720, 1455, 255);
    lblSint->setFont(Narrow(lblSint->font()));
    scrSint = Make<IntervalBar>(this, "scrSint", Qt::Horizontal);
    scrSint->setRange(2, 10);
    scrSint->setSingleStep(1);
    scrSint->setPageStep(2);
    Place(scrSint, 4800, 960, 1215, 255);
}

void EditorPanel::BuildAction() {
    AddLine(120, 2040, 6240, 2040);
    AddLine(2160, 2160, 2160, 2400);
    auto* pctBack2 = Make<QWidget>(this, Member("pctBack", 2));
    Place(pctBack2, 120, 2160, 1575, 975);
    const char16_t* captions[] = {u"標準のアラーム", u"WAVを鳴らす", u"実行"};
    commandGroup_ = new QButtonGroup(this);
    for (int k = 0; k < 3; ++k) {
        optCmd[k] =
            Make<QRadioButton>(pctBack2, Member("optCmd", k), QString::fromUtf16(captions[k]));
        Place(optCmd[k], 0, 360 * k, 1695, 255);
        commandGroup_->addButton(optCmd[k], k);
    }
    optCmd[0]->setChecked(true);
    ctnExec[0] = Container(this, Member("ctnExec", 0), 1680, 2160, 255, 255);
    ctnExec[1] = Container(this, Member("ctnExec", 1), 1680, 2520, 2760, 255);
    ctnExec[2] = Container(this, Member("ctnExec", 2), 1680, 2880, 1695, 255);
    SetBackground(ctnExec[1], ContainerColour);
    SetBackground(ctnExec[2], ContainerColour);
    cmdAlTst = Make<QPushButton>(this, "cmdAlTst", QStringLiteral("動作設定のテスト"));
    Place(cmdAlTst, 2520, 2160, 1575, 255);
    txtFile[1] = Make<QLineEdit>(ctnExec[1], Member("txtFile", 1));
    Place(txtFile[1], 0, 0, 1695, 270);
    chkRep = Make<QCheckBox>(ctnExec[1], "chkRep", QStringLiteral("R"));
    Place(chkRep, 2280, 0, 495, 300);
    txtFile[2] = Make<QLineEdit>(ctnExec[2], Member("txtFile", 2));
    Place(txtFile[2], 0, 0, 1695, 270);
    cmdOpen = Make<QPushButton>(this, "cmdOpen", QStringLiteral("参照"));
    Place(cmdOpen, 3360, 2520, 615, 255);
}

void EditorPanel::BuildCommitButtons() {
    AddLine(4440, 2160, 4440, 3240);
    AddLine(4560, 2700, 6240, 2700);
    cmdUndo = Make<QPushButton>(this, "cmdUndo", QStringLiteral("元に戻す"));
    Place(cmdUndo, 4560, 2160, 855, 375);
    cmdErase = Make<QPushButton>(this, "cmdErase", QStringLiteral("消去"));
    Place(cmdErase, 5400, 2160, 855, 375);
    cmdDone = Make<QPushButton>(this, "cmdDone", QStringLiteral("登録"));
    Place(cmdDone, 4560, 2880, 1695, 375);
}

void EditorPanel::Connect() {
    connect(ctlIndex, &SpinButton::valueChanged, this, [this] { ctlIndex_Change(); });
    for (int n = 1; n <= SlotCount; ++n)
        connect(lblIndex[n], &ClickLabel::clicked, this, [this, n] { lblIndex_Click(n); });
    for (int k = 0; k < 4; ++k)
        connect(optSel[k], &QRadioButton::clicked, this, [this, k] { optSel_Click(k); });
    for (int k = 0; k < 3; ++k)
        connect(optCmd[k], &QRadioButton::clicked, this, [this, k] { optCmd_Click(k); });
    connect(cmdChk, &QPushButton::clicked, this, [this] { cmdChk_Click(); });
    connect(ctlHr, &SpinButton::upClicked, this, [this] { StepBox(txtHr, 1, 23); });
    connect(ctlHr, &SpinButton::downClicked, this, [this] { StepBox(txtHr, -1, 23); });
    connect(ctlMn, &SpinButton::upClicked, this, [this] { StepBox(txtMn, 1, 59); });
    connect(ctlMn, &SpinButton::downClicked, this, [this] { StepBox(txtMn, -1, 59); });
    txtHr->installEventFilter(this);
    txtMn->installEventFilter(this);
    connect(scrSint, &QScrollBar::valueChanged, this, [this] { scrSint_Change(); });
    connect(cmdOpen, &QPushButton::clicked, this, [this] { cmdOpen_Click(); });
    connect(cmdAlTst, &QPushButton::clicked, this, [this] { cmdAlTst_Click(); });
    connect(cmdDone, &QPushButton::clicked, this, [this] { cmdDone_Click(); });
    connect(cmdUndo, &QPushButton::clicked, this, [this] { cmdUndo_Click(); });
    connect(cmdErase, &QPushButton::clicked, this, [this] { cmdErase_Click(); });
    // A long path shows its start in the box; the whole of it, file name
    // included, shows when the pointer rests on it.
    for (QLineEdit* box : {txtFile[1], txtFile[2]})
        connect(box, &QLineEdit::textChanged, box, &QLineEdit::setToolTip);
}

// Every control takes the focus in the order the eye reads the panel, and
// tells a screen reader what it holds. An option group is one stop, on its
// chosen option; the arrow keys move within it.
void EditorPanel::ForKeyboardAndScreenReaders() {
    ctlIndex->setFocusPolicy(Qt::StrongFocus);
    ctlIndex->setAccessibleName(QStringLiteral("スロット"));
    ctlIndex->NameArrows(QStringLiteral("次のスロット"), QStringLiteral("前のスロット"));
    ctlIndex->installEventFilter(this);
    for (int n = 1; n <= SlotCount; ++n)
        lblIndex[n]->setAccessibleName(QStringLiteral("スロット %1").arg(n));
    for (QButtonGroup* group : {typeGroup_, commandGroup_}) {
        for (QAbstractButton* option : group->buttons()) {
            option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
            option->installEventFilter(this);
        }
        connect(group, &QButtonGroup::buttonToggled, this, [](QAbstractButton* option, bool on) {
            option->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
        });
    }
    const char16_t* dayNames[] = {u"日曜日", u"月曜日", u"火曜日", u"水曜日",
                                  u"木曜日", u"金曜日", u"土曜日"};
    for (int d = 0; d < 7; ++d) // each a stop; the arrow keys step from day to day too
        chkDay[d]->setAccessibleName(QString::fromUtf16(dayNames[d]));
    cmdChk->setAccessibleName(QStringLiteral("すべての曜日をオンまたはオフ"));
    txtDate->setAccessibleName(QStringLiteral("日付（月/日）"));
    txtHr->setAccessibleName(QStringLiteral("時"));
    txtMn->setAccessibleName(QStringLiteral("分"));
    ctlHr->setAccessibleName(QStringLiteral("時の矢印"));
    ctlMn->setAccessibleName(QStringLiteral("分の矢印"));
    ctlHr->NameArrows(QStringLiteral("時を増やす"), QStringLiteral("時を減らす"));
    ctlMn->NameArrows(QStringLiteral("分を増やす"), QStringLiteral("分を減らす"));
    scrSint->setFocusPolicy(Qt::StrongFocus);
    scrSint->setAccessibleName(QStringLiteral("スヌーズ間隔"));
    txtFile[1]->setAccessibleName(QStringLiteral("WAV ファイル"));
    chkRep->setAccessibleName(QStringLiteral("繰り返し"));
    txtFile[2]->setAccessibleName(QStringLiteral("実行するプログラムとパラメーター"));
    cmdOpen->setAccessibleName(QStringLiteral("ファイルを選ぶ"));
    SetTabOrder();
}

// Reading order: 参照 stands right of the box it fills, the WAV's or the program's.
void EditorPanel::SetTabOrder() {
    std::vector<QWidget*> order{ctlIndex,  optSel[0], optSel[1],  optSel[2], optSel[3],  txtDate,
                                chkDay[0], chkDay[1], chkDay[2],  chkDay[3], chkDay[4],  chkDay[5],
                                chkDay[6], cmdChk,    txtHr,      txtMn,     scrSint,    optCmd[0],
                                optCmd[1], optCmd[2], txtFile[1], chkRep,    txtFile[2], cmdAlTst,
                                cmdUndo,   cmdErase,  cmdDone};
    const QWidget* filled = txtFile[SelectedCommand() == CommandLaunch ? 2 : 1];
    order.insert(std::find(order.begin(), order.end(), filled) + 1, cmdOpen);
    for (size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

QWidget* EditorPanel::FirstInTabOrder() const {
    return ctlIndex;
}

// txtHr_LostFocus and txtMn_LostFocus: the user moved to another control. A
// click on a control that takes no focus (an arrow) does not move it at all.
// Up and Down in a time box step it as its arrows do; the slot selector
// with the focus frames the slot shown.
bool EditorPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && qobject_cast<QRadioButton*>(watched)) {
        // Left and Right step through an option group in the order shown, as Up and Down do.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
            QKeyEvent vertical(QEvent::KeyPress,
                               key->key() == Qt::Key_Left ? Qt::Key_Up : Qt::Key_Down,
                               key->modifiers());
            QCoreApplication::sendEvent(watched, &vertical);
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && (watched == txtHr || watched == txtMn)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            StepBox(static_cast<QLineEdit*>(watched), key == Qt::Key_Up ? 1 : -1,
                    watched == txtHr ? 23 : 59);
            return true;
        }
    }
    if (watched == ctlIndex &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        lblIndex[ctlIndex->value()]->ShowFocusFrame(event->type() == QEvent::FocusIn);
    if (event->type() == QEvent::FocusOut &&
        MovedToAnotherControl(static_cast<QFocusEvent*>(event)->reason())) {
        if (watched == txtHr)
            NormaliseBox(txtHr, 24);
        else if (watched == txtMn)
            NormaliseBox(txtMn, 60);
    }
    return Panel::eventFilter(watched, event);
}

void EditorPanel::SelectSlot(int n) {
    ctlIndex->setValue(n);
    ShowSlot(n);
}

int EditorPanel::EditedSlot() const {
    const int n = settings_.CurrentID;
    return Edited() == settings_.AlarmTable[n] && scrSint->value() == settings_.SnoozeInt ? 0 : n;
}

void EditorPanel::ShowSettings(bool keepEdits) {
    if (keepEdits)
        return ColorSlotLabels();
    SelectSlot(settings_.CurrentID);
}

void EditorPanel::ShowSlot(int n) {
    const AlarmSlot& slot = settings_.AlarmTable[n];
    ColorSlotLabels();
    SelectType(std::clamp<int>(slot.State, 0, 3));
    ShowText(txtDate, DateText(slot.Month, slot.Day, false));
    for (int d = 0; d < 7; ++d)
        SetCheckValue(chkDay[d], slot.WeekSwitch[d]);
    ShowText(txtHr, PlainDecimal(slot.Hour));
    ShowText(txtMn, PlainDecimal(slot.Minute));
    SelectCommand(std::clamp<int>(slot.Command, 0, 2));
    ShowText(txtFile[1], slot.WAV);
    ShowText(txtFile[2], slot.Exec);
    SetCheckValue(chkRep, slot.Repeat);
    scrSint->setValue(settings_.SnoozeInt);
    scrSint_Change(); // the label shows the stored interval even when the bar did not move
}

void EditorPanel::ColorSlotLabels() {
    for (int n = 1; n <= SlotCount; ++n) {
        SetBackground(lblIndex[n], settings_.AlarmTable[n].State > 0 ? OnColour : OffColour);
        lblIndex[n]->SetChosen(n == settings_.CurrentID);
        lblIndex[n]->ShowFocusFrame(n == settings_.CurrentID && ctlIndex->hasFocus());
    }
    SetBackground(lblIndex[settings_.CurrentID], CurrentColour);
}

void EditorPanel::ClearEditor() {
    SelectType(StateOff);
    ShowText(txtDate, QStringLiteral("1/1"));
    for (QCheckBox* day : chkDay)
        day->setCheckState(Qt::Unchecked);
    ShowText(txtHr, QStringLiteral("00"));
    ShowText(txtMn, QStringLiteral("00"));
    SelectCommand(CommandStandard);
    txtFile[1]->clear();
    txtFile[2]->clear();
    chkRep->setCheckState(Qt::Unchecked);
}

void EditorPanel::ctlIndex_Change() {
    emit slotChosen(ctlIndex->value());
    ShowSlot(ctlIndex->value());
}

void EditorPanel::lblIndex_Click(int index) {
    ctlIndex->setValue(index);
}

void EditorPanel::optSel_Click(int index) {
    for (QWidget* container : ctnType)
        container->hide();
    ctnType[index]->show();
}

void EditorPanel::optCmd_Click(int index) {
    for (QWidget* container : ctnExec)
        container->hide();
    ctnExec[index]->show();
    if (index <= 0) {
        cmdOpen->hide();
        return;
    }
    cmdOpen->move(cmdOpen->x(), ctnExec[index]->y());
    cmdOpen->show();
    SetTabOrder();
}

// One chooser for the run, so that it opens where the last file was chosen,
// with its name filled in. It is window-modal without a loop of its own:
// the clock goes on ticking and alarms ringing while it is open. Linux paths
// have no length limit to impose.
void EditorPanel::cmdOpen_Click() {
    if (!Dlg) {
        Dlg = new QFileDialog(this);
        Dlg->setFileMode(QFileDialog::ExistingFile);
        connect(Dlg, &QFileDialog::fileSelected, this, [this](const QString& file) {
            Dlg->selectFile(file);
            const int command = SelectedCommand();
            if (command > 0)
                ShowText(txtFile[command], file);
        });
    }
    Dlg->open();
}

void EditorPanel::scrSint_Change() {
    lblSint->setText(QStringLiteral("スヌーズ間隔：") + PlainDecimal(scrSint->value()) +
                     QStringLiteral("分"));
    scrSint->setAccessibleDescription(PlainDecimal(scrSint->value()) + QStringLiteral("分"));
}

// All seven days on, or all off when all seven already are.
void EditorPanel::cmdChk_Click() {
    const bool allOn = std::all_of(chkDay.begin(), chkDay.end(),
                                   [](const QCheckBox* day) { return day->isChecked(); });
    for (QCheckBox* day : chkDay)
        day->setChecked(!allOn);
}

// A text the program puts in a box shows its start, as typed text would.
void EditorPanel::ShowText(QLineEdit* box, const QString& text) {
    box->setText(text);
    box->setCursorPosition(0);
}

void EditorPanel::StepBox(QLineEdit* box, int delta, int largest) {
    ShowText(box, TimeText::Step(box->text(), delta, largest));
}

void EditorPanel::NormaliseBox(QLineEdit* box, int modulus) {
    ShowText(box, TimeText::Normalise(box->text(), modulus));
}

// Checks the option and shows its fields, as a click on it does.
void EditorPanel::SelectType(int state) {
    optSel[state]->setChecked(true);
    optSel_Click(state);
}

void EditorPanel::SelectCommand(int command) {
    optCmd[command]->setChecked(true);
    optCmd_Click(command);
}

int EditorPanel::SelectedCommand() const {
    return commandGroup_->checkedId();
}

void EditorPanel::cmdAlTst_Click() {
    emit testRequested(SelectedCommand(), txtFile[1]->text(), txtFile[2]->text());
}

// The slot as the controls hold it, as 登録 would store it.
AlarmSlot EditorPanel::Edited() const {
    AlarmSlot slot;
    slot.Hour = TimeText::Commit(txtHr->text(), 24);
    slot.Minute = TimeText::Commit(txtMn->text(), 60);
    slot.State = qint16(typeGroup_->checkedId());
    slot.Command = qint16(SelectedCommand());
    const TimeText::MonthDay date = TimeText::Date(txtDate->text());
    slot.Month = date.Month;
    slot.Day = date.Day;
    for (int d = 0; d < 7; ++d)
        slot.WeekSwitch[d] = CheckValue(chkDay[d]);
    slot.WAV = txtFile[1]->text();
    slot.Repeat = CheckValue(chkRep);
    slot.Exec = txtFile[2]->text();
    return slot;
}

void EditorPanel::cmdDone_Click() {
    emit committed(settings_.CurrentID, Edited(), scrSint->value());
}

void EditorPanel::cmdUndo_Click() {
    ShowSlot(settings_.CurrentID);
}

void EditorPanel::cmdErase_Click() {
    ClearEditor();
}
