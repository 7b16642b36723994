// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form1.h"

#include "ClickLabel.h"
#include "ClockDigits.h"
#include "EditorPanel.h"
#include "Fonts.h"
#include "Panel.h"
#include "Twips.h"
#include "WindowIcon.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <ctime>
#include <unistd.h>

namespace {

constexpr int WindowWidth = 6375;
constexpr int CollapsedHeight = 735; // the clock strip
constexpr int ExpandedHeight = 4095; // the editor panel's bottom edge
constexpr int DesignedOuterHeight = 4500;
const QColor White(0xFF, 0xFF, 0xFF);
const QColor SwitchOnColour(0x80, 0xFF, 0x80);

// Rewrites a label only when its text changes, so the big digits are
// repainted once a minute, not twice a second.
void SetIfChanged(QLabel* label, const QString& text) {
    if (label->text() != text)
        label->setText(text);
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int l, int t, int w,
                  int h) {
    auto* label = Make<QLabel>(parent, name, text);
    Place(label, l, t, w, h);
    return label;
}

} // namespace

Form1::Form1(const QString& iniPath, AlarmActions& actions, const Desktop& desktop)
    : clock_(iniPath, actions, desktop, *this) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vendrix v0.3"));
    setWindowIcon(WindowIcon::Make());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QFont small = font(); // the design's system font is 9 points
    small.setPointSizeF(9);
    setFont(small);
    pctBack3 = new EditorPanel(clock_.Table(), this);
    Place(pctBack3, 0, 720, WindowWidth, 3375);
    pctBack3->setEnabled(false);
    BuildClockStrip();
    tmrClock.setInterval(500);
    tmrClock.setTimerType(Qt::PreciseTimer);
    connect(&tmrClock, &QTimer::timeout, this, [this] { tmrClock_Timer(); });
    connect(pctBack3, &EditorPanel::slotChosen, &clock_, &AlarmClock::ChooseSlot);
    connect(pctBack3, &EditorPanel::committed, &clock_, &AlarmClock::Committed);
    connect(pctBack3, &EditorPanel::testRequested, &clock_, &AlarmClock::TestAction);
    ForKeyboardAndScreenReaders();
}

// The strip is read left to right, then the editor; Return presses a button
// as Space does, and Escape presses Stop while it is shown.
void Form1::ForKeyboardAndScreenReaders() {
    for (QPushButton* button : findChildren<QPushButton*>())
        button->installEventFilter(&clickOnReturn_);
    auto* escape = new QShortcut(Qt::Key_Escape, this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (cmdStop->isVisible())
            cmdStop->click();
    });
    QWidget* order[] = {lblSw[0], lblSw[1],  lblSw[2],
                        cmdStop,  cmdExpand, pctBack3->FirstInTabOrder()};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    cmdStop->setAccessibleName(QStringLiteral("アラームを止める"));
    cmdExpand->setAccessibleName(QStringLiteral("アラームの編集を開く"));
    lblSnz->setAccessibleName(QStringLiteral("スヌーズ中"));
}

Form1::~Form1() = default;

void Form1::BuildClockStrip() {
    pctBack0 = new Panel(this);
    pctBack0->setObjectName(Member("pctBack", 0));
    Place(pctBack0, 0, 0, WindowWidth, CollapsedHeight);
    SetBackground(pctBack0, White);
    const char* captions[] = {"SNZ", "ON", "OFF"};
    for (int i = 0; i < 3; ++i) {
        lblSw[i] = new ClickLabel(QString::fromLatin1(captions[i]), pctBack0);
        lblSw[i]->setObjectName(Member("lblSw", i));
        Place(lblSw[i], 0, 240 * i, 495, 255);
        SetBackground(lblSw[i], White);
        lblSw[i]->TakeKeyboard();
        connect(lblSw[i], &ClickLabel::clicked, this, [this, i] { lblSw_Click(i); });
        // An arrow key moves the switch as a click on the next label does.
        connect(lblSw[i], &ClickLabel::stepped, this, [this, i](int delta) {
            const int to = std::clamp(i + delta, 0, 2);
            lblSw_Click(to);
            lblSw[to]->setFocus(Qt::TabFocusReason);
        });
    }
    lblWeek = MakeLabel(pctBack0, "lblWeek", QStringLiteral("11/22 月曜"), 720, 0, 975, 255);
    lblWeek->setFont(Fonts::Gothic(9));
    // The digits are read as one label, the time, not as three.
    auto* digitsBox = new ClockDigits(pctBack0);
    Place(digitsBox, 2520, 120, 1215, 375);
    const QFont digits = Fonts::Gothic(21.75);
    lblNow[0] = MakeLabel(digitsBox, Member("lblNow", 0), QStringLiteral("00"), 0, 0, 495, 375);
    lblSeparate = MakeLabel(digitsBox, "lblSeparate", QStringLiteral(":"), 480, 0, 255, 375);
    lblNow[1] = MakeLabel(digitsBox, Member("lblNow", 1), QStringLiteral("00"), 720, 0, 495, 375);
    for (QLabel* label : {lblNow[0], lblSeparate, lblNow[1]}) {
        label->setFont(digits);
        label->setAlignment(Qt::AlignCenter);
    }
    lblAlerm =
        MakeLabel(pctBack0, "lblAlerm", QStringLiteral("アラーム 00:00"), 3960, 0, 1695, 255);
    lblAlerm->setFont(Fonts::Gothic(9));
    lblAlerm->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblSnz = MakeLabel(pctBack0, "lblSnz", QStringLiteral("SNZ((("), 4800, 360, 615, 255);
    lblSnz->hide();
    // Under the rule, left of the digits: shown only while an alarm rings unheard.
    lblNoSound =
        MakeLabel(pctBack0, "lblNoSound", QStringLiteral("音が出せません"), 645, 360, 1455, 255);
    lblNoSound->setStyleSheet(QStringLiteral("color: #c00000"));
    lblNoSound->hide();
    cmdStop = Make<QPushButton>(pctBack0, "cmdStop", QStringLiteral("Stop"));
    Place(cmdStop, 4680, 240, 855, 375);
    cmdStop->setFont(Fonts::Mincho(15.75, true, true));
    cmdStop->hide();
    connect(cmdStop, &QPushButton::clicked, &clock_, &AlarmClock::cmdStop_Click);
    cmdExpand = Make<QPushButton>(pctBack0, "cmdExpand", QStringLiteral(">>"));
    Place(cmdExpand, 6000, 480, 375, 225);
    cmdExpand->setFont(Fonts::Gothic(5.25, true));
    connect(cmdExpand, &QPushButton::clicked, this, [this] { cmdExpand_Click(); });
    // A rule along the top that dips in a notch under the clock digits.
    const int rule[][4] = {{600, 240, 2160, 240},  {2160, 240, 2160, 480}, {2160, 480, 2280, 600},
                           {2280, 600, 3960, 600}, {3960, 600, 4080, 480}, {4080, 480, 4080, 240},
                           {4080, 240, 6120, 240}};
    for (const auto& line : rule)
        pctBack0->AddLine(line[0], line[1], line[2], line[3]);
    pctBack0->raise(); // the strip overlaps the panel's top edge by a pixel
}

// The settings are read before the first tick, whose scan covers the
// moment the program started: an alarm due while it was starting rings.
void Form1::Form_Load() {
    setFixedSize(Px(WindowWidth), Px(CollapsedHeight));
    PlaceOnScreen();
    clock_.Started(StartedMs());
    pctBack3->SelectSlot(clock_.Load());
    tmrClock_Timer();
    tmrClock.start();
}

// When this process started, on the clock alarms follow: the boot clock
// counts from the start (/proc/self/stat) to now.
qint64 Form1::StartedMs() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    const QByteArray fields = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    // After the command's name in parentheses, the start is the 20th field.
    const QList<QByteArray> after = fields.mid(fields.lastIndexOf(')') + 2).split(' ');
    const qint64 startTicks = after.value(19).toLongLong();
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const qint64 sinceMs = qint64(boot.tv_sec) * 1000 + boot.tv_nsec / 1'000'000 -
                           startTicks * 1000 / sysconf(_SC_CLK_TCK);
    return QDateTime::currentMSecsSinceEpoch() - std::max<qint64>(sinceMs, 0);
}

// Centred as if expanded, but never above or beside the usable screen area.
void Form1::PlaceOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const int left = area.x() + (area.width() - width()) / 2;
    const int top = area.y() + (area.height() - Px(DesignedOuterHeight)) / 2;
    move(std::max(area.x(), left), std::max(area.y(), top));
}

void Form1::tmrClock_Timer() {
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const ClockFace face = clock_.Tick(QDateTime::currentDateTime(),
                                       qint64(boot.tv_sec) * 1000 + boot.tv_nsec / 1'000'000);
    // What a screen reader reads of the strip changes with the minute only.
    QWidget* digits = lblNow[0]->parentWidget();
    const bool newMinute = lblNow[1]->text() != face.Minute || digits->accessibleName().isEmpty();
    SetIfChanged(lblWeek, face.Week);
    SetIfChanged(lblNow[0], face.Hour);
    SetIfChanged(lblNow[1], face.Minute);
    if (newMinute) {
        digits->setAccessibleName(QStringLiteral("現在時刻 %1:%2").arg(face.Hour, face.Minute));
        lblWeek->setAccessibleName(QStringLiteral("日付 ") + face.Week);
    }
    lblSeparate->setText(face.Separator);
}

void Form1::lblSw_Click(int index) {
    clock_.lblSw_Click(index);
}

// On Wayland no window learns that it was minimised, or that it lies under
// others or on another workspace: only the one that has the focus is in view.
bool Form1::InView() const {
    const bool wayland = QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
    return isVisible() && !isMinimized() && (!wayland || isActiveWindow());
}

bool Form1::Minimised() const {
    const bool wayland = QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
    return wayland || isMinimized() || !isVisible();
}

void Form1::ShowNextAlarm(const QString& text) {
    SetIfChanged(lblAlerm, text);
}

void Form1::ShowSnooze(bool shown) {
    lblSnz->setVisible(shown);
}

void Form1::ShowStop(bool shown) {
    cmdStop->setVisible(shown);
}

void Form1::ShowSilent(bool silent) {
    lblNoSound->setVisible(silent);
}

void Form1::ShowSwitch(int position) {
    for (int i = 0; i < 3; ++i) {
        SetBackground(lblSw[i], i == position ? SwitchOnColour : White);
        lblSw[i]->SetChosen(i == position);
    }
}

void Form1::AskAttention() {
    QApplication::alert(this);
}

void Form1::cmdExpand_Click() {
    expanded_ = !expanded_;
    setFixedSize(Px(WindowWidth), Px(expanded_ ? ExpandedHeight : CollapsedHeight));
    pctBack3->setEnabled(expanded_);
    cmdExpand->setText(expanded_ ? QStringLiteral("<<") : QStringLiteral(">>"));
    cmdExpand->setAccessibleName(expanded_ ? QStringLiteral("アラームの編集を閉じる")
                                           : QStringLiteral("アラームの編集を開く"));
    setFocus();
}

void Form1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void Form1::Form_Resize() {
    if (windowState() & Qt::WindowMinimized)
        clock_.Minimised();
}

// Leaving the minimised state happens on the way back (ShowWindow): changing
// it while hidden makes some window systems map the window again.
void Form1::HideWindow() {
    QTimer::singleShot(0, this, [this] { hide(); });
}

void Form1::ShowWindow() {
    showNormal(); // at its former size and place
    raise();
    activateWindow();
}

// Mapped first, then iconified: a window manager may map a window that comes
// back from hiding as a normal one, whatever state it asks for.
void Form1::ShowMinimised() {
    showNormal();
    showMinimized();
}

void Form1::BringToFront() {
    clock_.Restore();
}

void Form1::Stop() {
    clock_.cmdStop_Click();
}

// Told directly too: on Wayland no window learns that it was minimised.
void Form1::StartMinimised() {
    showMinimized();
    clock_.Minimised();
}

void Form1::Tell(const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

int Form1::EditedSlot() const {
    return pctBack3->EditedSlot();
}

void Form1::ShowSettings(bool keepEdits) {
    pctBack3->ShowSettings(keepEdits);
}

void Form1::Form_QueryUnload() {
    clock_.Save();
}

void Form1::closeEvent(QCloseEvent* event) {
    clock_.Closed();
    Form_QueryUnload();
    event->accept();
}
