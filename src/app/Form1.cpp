// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form1.h"

#include "ClickLabel.h"
#include "EditorPanel.h"
#include "Fonts.h"
#include "Launcher.h"
#include "Panel.h"
#include "SpinButton.h"
#include "TextRules.h"
#include "Twips.h"
#include "WindowIcon.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <cerrno>
#include <cstring>

namespace {

constexpr int WindowWidth = 6375;
constexpr int CollapsedHeight = 735; // the clock strip
constexpr int ExpandedHeight = 4095; // the editor panel's bottom edge
constexpr int DesignedOuterHeight = 4500;
const QColor White(0xFF, 0xFF, 0xFF);
const QColor SwitchOnColour(0x80, 0xFF, 0x80);

QString SaveFailureText(int error) {
    switch (error) {
    case SettingsFile::NotRead:
        return QStringLiteral("読み込めなかったファイルなので、上書きしません。");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクに空きがありません。");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral(
            "書き込みが許可されていません（ファイルかフォルダーが読み取り専用です）。");
    default:
        return QStringLiteral("書き込めませんでした（%1）。")
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

// Rewrites a label only when its text changes, so the big digits are
// repainted once a minute, not twice a second.
void SetIfChanged(QLabel* label, const QString& text) {
    if (label->text() != text)
        label->setText(text);
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int l, int t, int w,
                  int h) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    Place(label, l, t, w, h);
    return label;
}

} // namespace

Form1::Form1(const QString& iniPath, AlarmActions& actions)
    : file_(iniPath), scheduler_(settings_, state_, actions, *this) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vendrix v0.3"));
    setWindowIcon(WindowIcon::Make());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QFont small = font(); // the design's system font is 9 points
    small.setPointSizeF(9);
    setFont(small);
    pctBack3 = new EditorPanel(settings_, actions, this);
    Place(pctBack3, 0, 720, WindowWidth, 3375);
    pctBack3->setEnabled(false);
    BuildClockStrip();
    BuildTray();
    tmrClock.setInterval(500);
    tmrClock.setTimerType(Qt::PreciseTimer);
    connect(&tmrClock, &QTimer::timeout, this, [this] { tmrClock_Timer(); });
    connect(pctBack3, &EditorPanel::committed, this, [this](int n) { OnCommitted(n); });
    connect(&notifier_, &Notifier::stopInvoked, this, [this] { scheduler_.cmdStop_Click(); });
    connect(&notifier_, &Notifier::restoreInvoked, this, [this] { mnuRestore_Click(); });
    actions.OnSoundFailed = [this](const QString& why) { OnSoundFailed(why); };
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
        connect(lblSw[i], &ClickLabel::clicked, this, [this, i] { lblSw_Click(i); });
    }
    lblWeek = MakeLabel(pctBack0, "lblWeek", QStringLiteral("11/22 月曜"), 720, 0, 975, 255);
    lblWeek->setFont(Fonts::Gothic(9));
    lblDebug = MakeLabel(pctBack0, "lblDebug", QStringLiteral("Label2"), 720, 360, 1095, 255);
    lblDebug->hide();
    const QFont digits = Fonts::Gothic(21.75);
    lblNow[0] = MakeLabel(pctBack0, Member("lblNow", 0), QStringLiteral("00"), 2520, 120, 495, 375);
    lblSeparate = MakeLabel(pctBack0, "lblSeparate", QStringLiteral(":"), 3000, 120, 255, 375);
    lblNow[1] = MakeLabel(pctBack0, Member("lblNow", 1), QStringLiteral("00"), 3240, 120, 495, 375);
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
    cmdStop = new QPushButton(QStringLiteral("Stop"), pctBack0);
    cmdStop->setObjectName("cmdStop");
    Place(cmdStop, 4680, 240, 855, 375);
    cmdStop->setFont(Fonts::Mincho(15.75, true, true));
    cmdStop->hide();
    connect(cmdStop, &QPushButton::clicked, this, [this] { scheduler_.cmdStop_Click(); });
    cmdExpand = new QPushButton(QStringLiteral(">>"), pctBack0);
    cmdExpand->setObjectName("cmdExpand");
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

void Form1::BuildTray() {
    mnuTray = new QMenu(QStringLiteral("1"), this);
    mnuTray->setObjectName("mnuTray");
    mnuStop = mnuTray->addAction(QStringLiteral("Stop"));
    mnuStop->setObjectName("mnuStop");
    mnuStop->setVisible(false);
    connect(mnuStop, &QAction::triggered, this, [this] { scheduler_.cmdStop_Click(); });
    QAction* mnuRestore = mnuTray->addAction(QStringLiteral("復元"));
    mnuRestore->setObjectName("mnuRestore");
    connect(mnuRestore, &QAction::triggered, this, [this] { mnuRestore_Click(); });
    tray = new QSystemTrayIcon(windowIcon(), this);
    tray->setToolTip(QStringLiteral("Vendrix staying resident"));
    tray->setContextMenu(mnuTray); // opens on the right button; left clicks do nothing
}

void Form1::Form_Load() {
    setFixedSize(Px(WindowWidth), Px(CollapsedHeight));
    PlaceOnScreen();
    state_.NextAlarmHour = -1;
    tmrClock_Timer();
    file_.LoadSettings(settings_);
    lblSw_Click(settings_.Switch);
    pctBack3->SelectSlot(settings_.CurrentID);
    tmrClock.start();
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
    const QDateTime now = QDateTime::currentDateTime();
    const QTime time = now.time();
    const ClockFace face =
        clock_.Tick(now.date(), time.hour(), time.minute(), state_.TotalSnoozeCount());
    SetIfChanged(lblDebug, face.Debug);
    SetIfChanged(lblWeek, face.Week);
    SetIfChanged(lblNow[0], face.Hour);
    SetIfChanged(lblNow[1], face.Minute);
    lblSeparate->setText(face.Separator);
    if (face.Scan) {
        scheduler_.Scan(
            {now.date(), float(time.msecsSinceStartOfDay()) / 1000.0f, now.toMSecsSinceEpoch()});
    }
}

void Form1::lblSw_Click(int index) {
    scheduler_.lblSw_Click(index);
}

void Form1::SetAlarmText(const QString& text) {
    SetIfChanged(lblAlerm, text);
}

void Form1::SetSnoozeShown(bool shown) {
    lblSnz->setVisible(shown);
}

void Form1::SetStopShown(bool shown) {
    cmdStop->setVisible(shown);
    mnuStop->setVisible(shown);
    if (!shown)
        notifier_.Close(); // the ring is over
}

bool Form1::InView() const {
    return isVisible() && !isMinimized();
}

QString Form1::AlarmTitle() const {
    const AlarmSlot& slot = settings_.AlarmTable[ringing_];
    return ringing_ > 0 ? QStringLiteral("アラーム ") + HourMinute(slot.Hour, slot.Minute)
                        : windowTitle();
}

// An alarm that rings where the window cannot be seen shows a notification
// to stop it from; in view, the window asks for attention.
void Form1::AlarmRinging(int n) {
    ringing_ = n;
    if (InView()) {
        QApplication::alert(this);
        return;
    }
    const AlarmSlot& slot = settings_.AlarmTable[n];
    const QString body =
        slot.Command == CommandStandard ? QStringLiteral("標準のアラーム")
        : slot.Command == CommandWav
            ? QFileInfo(slot.WAV).fileName()
            : QFileInfo(Launcher::Split(slot.Exec).File).fileName() +
                  QStringLiteral(" を起動できないので、標準のアラームを鳴らしています");
    notifier_.Show(AlarmTitle(), body);
}

// Without sound an alarm would pass unnoticed: the window comes forward.
void Form1::OnSoundFailed(const QString& why) {
    BringToFront();
    notifier_.Show(AlarmTitle(), QStringLiteral("アラームの音を鳴らせませんでした（%1）").arg(why));
}

void Form1::ShowSwitch(int position) {
    for (int i = 0; i < 3; ++i)
        SetBackground(lblSw[i], i == position ? SwitchOnColour : White);
}

void Form1::cmdExpand_Click() {
    expanded_ = !expanded_;
    setFixedSize(Px(WindowWidth), Px(expanded_ ? ExpandedHeight : CollapsedHeight));
    pctBack3->setEnabled(expanded_);
    cmdExpand->setText(expanded_ ? QStringLiteral("<<") : QStringLiteral(">>"));
    setFocus();
}

void Form1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

// Minimising hides the window into the notification area. Without one, the
// window stays minimised on the task bar: hidden, nothing could bring it back.
void Form1::Form_Resize() {
    if (!(windowState() & Qt::WindowMinimized) || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    // Leaving the minimised state happens on the way back (mnuRestore_Click):
    // changing it while hidden makes some window systems map the window again.
    QTimer::singleShot(0, this, [this] {
        hide();
        tray->show();
    });
}

void Form1::mnuRestore_Click() {
    showNormal(); // at its former size and place
    raise();
    activateWindow();
    tray->hide();
    notifier_.Close();
}

void Form1::BringToFront() {
    mnuRestore_Click();
}

void Form1::OnCommitted(int n) {
    scheduler_.SlotCommitted(n);
    ReportSave(file_.SaveSettings(settings_));
}

// Whoever pressed 登録 must know when the alarm is not kept: once for each
// kind of failure, in a box that does not hold up the clock.
void Form1::ReportSave(SettingsFile::SaveResult result) {
    if (result) {
        shownFailure_.clear();
        return;
    }
    const QString text =
        QStringLiteral("設定を保存できませんでした。\n%1\n%2\n\n"
                       "アラームは Vendrix が動いている間は鳴りますが、"
                       "終了すると失われます。")
            .arg(QDir::toNativeSeparators(file_.IniPath), SaveFailureText(result.Error));
    if (text == shownFailure_)
        return;
    shownFailure_ = text;
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void Form1::Form_QueryUnload() {
    file_.SaveSettings(settings_);
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
}
