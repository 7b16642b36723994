// The editor panel driven through its real controls on the offscreen platform.
#include "AlarmActions.h"
#include "ClickLabel.h"
#include "EditorPanel.h"
#include "Settings.h"
#include "SpinButton.h"
#include "Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

class FakeActions : public AlarmActions {
public:
    void PlayStandardAlarm(int slot) override { calls << QString("standard %1").arg(slot); }
    void PlayWav(const QString& path, int repeat) override {
        calls << QString("wav %1 %2").arg(path).arg(repeat);
    }
    void StopWav() override { calls << "stopwav"; }
    void LaunchExec(const QString& text) override { calls << "launch " + text; }
    QStringList calls;
};

struct Editor {
    Settings settings;
    FakeActions actions;
    EditorPanel panel{settings, actions, nullptr};

    Editor() {
        settings.SetDefaults();
        panel.resize(Px(6375), Px(3375));
        panel.show();
        QApplication::setActiveWindow(&panel);
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        panel.ShowSlot(settings.CurrentID);
    }
    // Option buttons and check boxes take clicks on their mark, at the left.
    void Click(QWidget* widget) {
        const bool marked = qobject_cast<QRadioButton*>(widget) || qobject_cast<QCheckBox*>(widget);
        QTest::mouseClick(widget, Qt::LeftButton, {},
                          marked ? QPoint(6, widget->height() / 2) : widget->rect().center());
    }
    // Replaces a box's text by typing; leaving moves the focus on, as a user would.
    void Type(QLineEdit* box, const QString& text, bool leave = true) {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
        if (leave)
            panel.cmdDone->setFocus();
    }
    bool Shown(const QWidget* widget) const { return widget->isVisibleTo(&panel); }
};

} // namespace

class TestEditorPanel : public QObject {
    Q_OBJECT
private slots:
    void showsEachTypeAndAction_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("command");
        QTest::newRow("off, standard") << 0 << 0;
        QTest::newRow("daily, wav") << 1 << 1;
        QTest::newRow("date, launch") << 2 << 2;
        QTest::newRow("weekdays, wav") << 3 << 1;
        QTest::newRow("out of range") << 9 << 7;
    }
    void showsEachTypeAndAction() {
        QFETCH(int, state);
        QFETCH(int, command);
        Editor e;
        e.settings.AlarmTable[4] = {7,  5,         qint16(state),         qint16(command),
                                    12, 31,        {1, 0, 0, 0, 0, 0, 1}, " a.wav ",
                                    1,  "/bin/x?y"};
        e.panel.ShowSlot(4);
        const int shownState = std::min(state, 3);
        const int shownCommand = std::min(command, 2);
        QVERIFY(e.panel.optSel[shownState]->isChecked());
        QVERIFY(e.panel.optCmd[shownCommand]->isChecked());
        for (int k = 0; k < 4; ++k)
            QCOMPARE(e.Shown(e.panel.ctnType[k]), k == shownState);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(e.Shown(e.panel.ctnExec[k]), k == shownCommand);
        QCOMPARE(e.Shown(e.panel.txtDate), shownState == 2);
        QCOMPARE(e.Shown(e.panel.chkDay[0]) && e.Shown(e.panel.cmdChk), shownState == 3);
        QCOMPARE(e.Shown(e.panel.cmdOpen), shownCommand > 0);
        if (shownCommand > 0)
            QCOMPARE(e.panel.cmdOpen->y(), e.panel.ctnExec[shownCommand]->y());
        QCOMPARE(e.panel.txtDate->text(), QString("12/31"));
        QCOMPARE(e.panel.txtHr->text() + ":" + e.panel.txtMn->text(), QString("7:5"));
        QCOMPARE(e.panel.txtFile[1]->text(), QString(" a.wav "));
        QCOMPARE(e.panel.txtFile[2]->text(), QString("/bin/x?y"));
        QVERIFY(e.panel.chkRep->isChecked() && e.panel.chkDay[6]->isChecked());
        QVERIFY(!e.panel.chkDay[1]->isChecked());
    }

    void resetSlotAndBlankEditor() {
        Editor e;
        QCOMPARE(e.panel.txtDate->text() + " " + e.panel.txtHr->text() + ":" +
                     e.panel.txtMn->text(),
                 QString("1/1 0:0"));
        e.Click(e.panel.cmdErase);
        QCOMPARE(e.panel.txtHr->text() + ":" + e.panel.txtMn->text(), QString("00:00"));
    }

    void slotLabelColours() {
        Editor e;
        e.settings.AlarmTable[2].State = StateDaily;
        e.settings.AlarmTable[4].State = StateWeekdays;
        e.Click(e.panel.lblIndex[3]);
        QStringList colours;
        for (int n = 1; n <= 5; ++n)
            colours << Background(e.panel.lblIndex[n]).name();
        QCOMPARE(colours, (QStringList{"#d4d0c8", "#ffc080", "#c0c0ff", "#ffc080", "#d4d0c8"}));
    }

    void choosingASlot() {
        Editor e;
        e.settings.AlarmTable[7].Hour = 6;
        e.Click(e.panel.lblIndex[3]);
        e.Type(e.panel.txtHr, "9");
        e.Click(e.panel.lblIndex[3]); // the current slot: nothing changes, the edit stays
        QCOMPARE(e.panel.txtHr->text(), QString("9"));
        e.Click(e.panel.lblIndex[7]);
        QCOMPARE(e.settings.CurrentID, qint16(7));
        QCOMPARE(e.panel.ctlIndex->value(), 7);
        QCOMPARE(e.panel.txtHr->text(), QString("6"));
        e.Click(e.panel.ctlIndex->UpButton());
        QCOMPARE(e.settings.CurrentID, qint16(8));
        QCOMPARE(e.settings.AlarmTable[3].Hour, qint16(0)); // the edit of slot 3 was lost
    }

    void timeEntry_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("clicks"); // u/d on the hour arrows, U/D on the minute arrows
        QTest::addColumn<QString>("hour");
        QTest::addColumn<QString>("minute");
        QTest::newRow("23 up") << "23"
                               << "u"
                               << "0"
                               << "0";
        QTest::newRow("minute 59 up") << ""
                                      << "DU"
                                      << ""
                                      << "0";
        QTest::newRow("30 up") << "30"
                               << "u"
                               << "7"
                               << "0";
        QTest::newRow("25 normalised") << "25"
                                       << ""
                                       << "1"
                                       << "0";
    }
    void timeEntry() {
        QFETCH(QString, typed);
        QFETCH(QString, clicks);
        QFETCH(QString, hour);
        QFETCH(QString, minute);
        Editor e;
        if (!typed.isEmpty())
            e.Type(e.panel.txtHr, typed, clicks.isEmpty()); // the arrows take no focus
        for (QChar c : clicks) {
            SpinButton* spin = c.toLower() == u'u' || c.toLower() == u'd'
                                   ? (c.isLower() ? e.panel.ctlHr : e.panel.ctlMn)
                                   : nullptr;
            e.Click(c.toLower() == u'u' ? spin->UpButton() : spin->DownButton());
        }
        if (!hour.isEmpty())
            QCOMPARE(e.panel.txtHr->text(), hour);
        QCOMPARE(e.panel.txtMn->text(), minute.isEmpty() ? e.panel.txtMn->text() : minute);
    }

    void selectorsKeepHiddenFields() {
        Editor e;
        e.Click(e.panel.optSel[3]);
        QVERIFY(e.Shown(e.panel.chkDay[0]) && !e.Shown(e.panel.txtDate));
        e.Click(e.panel.chkDay[2]);
        e.Click(e.panel.optSel[2]);
        QVERIFY(e.Shown(e.panel.txtDate) && !e.Shown(e.panel.cmdChk));
        e.Click(e.panel.optSel[3]);
        QVERIFY(e.panel.chkDay[2]->isChecked());
        e.Click(e.panel.optSel[1]);
        QVERIFY(!e.Shown(e.panel.txtDate) && !e.Shown(e.panel.cmdChk));
        e.Click(e.panel.optCmd[2]);
        QVERIFY(e.Shown(e.panel.txtFile[2]) && !e.Shown(e.panel.chkRep));
        QCOMPARE(e.panel.cmdOpen->y(), Px(2880));
        e.Click(e.panel.optCmd[1]);
        QCOMPARE(e.panel.cmdOpen->y(), Px(2520));
        e.Click(e.panel.optCmd[0]);
        QVERIFY(!e.Shown(e.panel.cmdOpen) && !e.Shown(e.panel.txtFile[1]));
    }

    void allNone() {
        Editor e;
        e.Click(e.panel.optSel[3]);
        e.Click(e.panel.chkDay[1]);
        e.Click(e.panel.cmdChk);
        for (QCheckBox* day : e.panel.chkDay)
            QVERIFY(day->isChecked());
        e.Click(e.panel.cmdChk);
        for (QCheckBox* day : e.panel.chkDay)
            QVERIFY(!day->isChecked());
    }

    void commitStores_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("hour");
        QTest::addColumn<QList<int>>("stored"); // month, day, hour
        QTest::newRow("12/31") << "12/31"
                               << "7.5" << QList<int>{12, 31, 8};
        QTest::newRow("12") << "12"
                            << "8.5" << QList<int>{12, 12, 8};
        QTest::newRow("empty") << ""
                               << "23.7" << QList<int>{0, 0, 0};
    }
    void commitStores() {
        QFETCH(QString, date);
        QFETCH(QString, hour);
        QFETCH(QList<int>, stored);
        Editor e;
        QSignalSpy committed(&e.panel, &EditorPanel::committed);
        e.Click(e.panel.lblIndex[5]);
        e.Click(e.panel.optSel[3]);
        e.Click(e.panel.chkDay[0]);
        e.Click(e.panel.chkDay[6]);
        e.Click(e.panel.optSel[2]);
        e.Type(e.panel.txtDate, date);
        e.Type(e.panel.txtHr, hour);
        e.Click(e.panel.optCmd[1]);
        e.Type(e.panel.txtFile[1], " /m/a b.wav ");
        e.Click(e.panel.chkRep);
        e.panel.scrSint->setValue(7);
        e.Click(e.panel.cmdDone);
        QCOMPARE(committed.size(), 1);
        QCOMPARE(committed[0][0].toInt(), 5);
        const AlarmSlot& slot = e.settings.AlarmTable[5];
        QCOMPARE((QList<int>{slot.Month, slot.Day, slot.Hour}), stored);
        QCOMPARE(slot.State, qint16(StateDate));
        QCOMPARE(slot.WeekSwitch, (std::array<qint16, 7>{1, 0, 0, 0, 0, 0, 1}));
        QCOMPARE(slot.WAV, QString(" /m/a b.wav "));
        QCOMPARE(slot.Command, qint16(CommandWav));
        QCOMPARE(slot.Repeat, qint16(1));
        QCOMPARE(e.settings.SnoozeInt, qint16(7));
        QCOMPARE(e.panel.txtDate->text(), date); // the commit does not show the slot again
    }

    void undoAndErase() {
        Editor e;
        e.settings.AlarmTable[1] = {6, 30, 1, 2, 3, 4, {}, "", 0, "/bin/true"};
        e.panel.ShowSlot(1);
        e.panel.scrSint->setValue(9);
        QCOMPARE(e.panel.lblSint->text(), QString("スヌーズ間隔：9分"));
        QCOMPARE(e.settings.SnoozeInt, qint16(5));
        e.Click(e.panel.cmdErase);
        QVERIFY(e.panel.optSel[0]->isChecked() && e.panel.txtFile[2]->text().isEmpty());
        QCOMPARE(e.panel.scrSint->value(), 9); // erasing leaves the interval alone
        e.Click(e.panel.cmdUndo);
        QCOMPARE(e.panel.txtHr->text() + ":" + e.panel.txtMn->text(), QString("6:30"));
        QCOMPARE(e.panel.lblSint->text(), QString("スヌーズ間隔：5分"));
        e.Click(e.panel.cmdErase);
        e.Click(e.panel.cmdDone);
        QCOMPARE(e.settings.AlarmTable[1], (AlarmSlot{0, 0, 0, 0, 1, 1, {}, "", 0, ""}));
    }

    void testButton_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("call");
        QTest::newRow("standard") << 0 << "standard 1";
        QTest::newRow("wav plays once even with R") << 1 << "wav /m/x.wav 0";
        QTest::newRow("launch") << 2 << "launch /bin/echo?hi";
    }
    void testButton() {
        QFETCH(int, command);
        QFETCH(QString, call);
        Editor e;
        e.Click(e.panel.optCmd[1]);
        e.Type(e.panel.txtFile[1], "/m/x.wav");
        e.Click(e.panel.chkRep);
        e.Click(e.panel.optCmd[2]);
        e.Type(e.panel.txtFile[2], "/bin/echo?hi");
        e.Click(e.panel.optCmd[command]);
        e.Click(e.panel.cmdAlTst);
        QCOMPARE(e.actions.calls, QStringList{call});
        QCOMPARE(e.settings.AlarmTable[1].Command, qint16(0)); // nothing committed
    }

    void browseFillsTheCurrentPath_data() {
        QTest::addColumn<bool>("accept");
        QTest::newRow("chosen") << true;
        QTest::newRow("cancelled") << false;
    }
    void browseFillsTheCurrentPath() {
        QFETCH(bool, accept);
        QTemporaryDir dir;
        const QString chosen = dir.filePath("wake up.sh");
        QFile(chosen).open(QIODevice::WriteOnly);
        Editor e;
        e.Type(e.panel.txtFile[1], "/keep.wav");
        e.Click(e.panel.optCmd[2]);
        QTimer poll;
        poll.start(100);
        connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            if (!accept) {
                dialog->reject();
                return;
            }
            // Typed into the dialog's file name box, as a user would.
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            name->setText(chosen);
            QTest::keyClick(name, Qt::Key_Return);
        });
        e.Click(e.panel.cmdOpen);
        QCOMPARE(e.panel.txtFile[2]->text(), accept ? chosen : QString());
        QCOMPARE(e.panel.txtFile[1]->text(), QString("/keep.wav"));
    }
};

QTEST_MAIN(TestEditorPanel)
#include "tst_editorpanel.moc"
