// SPDX-License-Identifier: GPL-3.0-or-later
// The editor: its text conversions, and its real controls inside the real
// window on the offscreen platform.
#include "TimeText.h"
#include "Window.h"

#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QScrollBar>

namespace {

// alerm.ini with slot 4 current and holding `lines`.
QByteArray SlotFour(const QByteArray& lines) {
    return "[Public]\nValidation=x\n[Settings]\nSnoozeInt=5\nCurrentID=4\n[Alerm 4]\n" + lines +
           "\n";
}

const QString LongPath = "/home/me/Music/" + QString(80, u'x') + "/morning.wav";

} // namespace

class TestEditor : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallQtTranslation(); }

    // The time boxes' texts stepped up or down, normalised on leaving, read by
    // the commit; and the date text read by the commit. `use` gives the box's
    // modulus (24 for the hour, 60 for the minute).
    void timeTexts_data() {
        Columns<QString, QString, QString>({"text", "use", "result"});
        // clang-format off
        Row("0 down", "0", "down 24", "23");
        Row("30 up wraps once", "30", "up 24", "7");
        Row("25 left", "25", "leave 24", "1");
        Row("-1 left", "-1", "leave 24", "23");
        Row("abc left", "abc", "leave 24", "0");
        Row("fraction left", "25.5", "leave 24", "1.5");
        Row("1e20 left", "1e20", "leave 24", "16");
        Row("beyond double left", "1e999", "leave 60", "8");
        Row("tiny negative printing as 24", "-3e-14", "leave 24", "0");
        Row("7.5 stored", "7.5", "commit 24", "8");
        Row("8.5 stored", "8.5", "commit 24", "8");
        Row("blanks stored", " 12 ", "commit 24", "12");
        Row("23.5 is midnight", "23.5", "commit 24", "0");
        Row("59.7 is 0", "59.7", "commit 60", "0");
        Row("not a number", "12:30", "commit 24", "0");
        Row("huge", "99999999999999999999", "commit 60", "7");
        Row("12/31", "12/31", "date", "12/31");
        Row(" 5/6", " 5/6", "date", "5/6");
        Row("12/", "12/", "date", "12/0");
        Row("empty date", "", "date", "0/0");
        // clang-format on
    }
    void timeTexts() {
        auto [text, use, result] = Fetch<QString, QString, QString>({"text", "use", "result"});
        const int modulus = use.section(' ', 1).toInt();
        const TimeText::MonthDay date = TimeText::Date(text);
        const QString shown = use.startsWith("up")      ? TimeText::Step(text, 1, modulus - 1)
                              : use.startsWith("down")  ? TimeText::Step(text, -1, modulus - 1)
                              : use.startsWith("leave") ? TimeText::Normalise(text, modulus)
                              : use.startsWith("commit")
                                  ? QString::number(TimeText::Commit(text, modulus))
                                  : QString("%1/%2").arg(date.Month).arg(date.Day);
        QCOMPARE(shown, result);
    }

    void showsEachTypeAndAction_data() {
        Columns<QByteArray, int, int>({"lines", "state", "command"});
        // clang-format off
        Row("off, standard", QByteArray("State=0\nCommand=0"), 0, 0);
        Row("date, launch", QByteArray("State=2\nCommand=2"), 2, 2);
        Row("weekdays, wav", QByteArray("State=3\nCommand=1"), 3, 1);
        // clang-format on
    }
    void showsEachTypeAndAction() {
        auto [lines, state, command] = Fetch<QByteArray, int, int>({"lines", "state", "command"});
        Window w;
        w.Start(SlotFour(lines +
                         "\nTime=07:05\nDate=12/31\nWeekSwitch=*-----*\nWAV=" + LongPath.toUtf8() +
                         "\n"
                         "Repeat=1\nExec=/bin/x?y"));
        QVERIFY(w.Checked(Member("optSel", state)) && w.Checked(Member("optCmd", command)));
        for (int k = 0; k < 4; ++k)
            QCOMPARE(w.Shown(Member("ctnType", k)), k == state);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(w.Shown(Member("ctnExec", k)), k == command);
        QCOMPARE(w.Shown("cmdOpen"), command > 0);
        QVERIFY(command == 0 || w.Find("cmdOpen")->y() == w.Find(Member("ctnExec", command))->y());
        w.Find("ctlIndex")->setFocus(); // then Tab: the type group's stop is its choice
        QTest::keyClick(w.Find("ctlIndex"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), Member("optSel", state));
        QCOMPARE(w.Text("txtDate txtHr txtMn txtFile(1) txtFile(2)"),
                 "12/31|7|5|" + LongPath + "|/bin/x?y");
        QCOMPARE(w.Find<QLineEdit>("txtFile(1)")->cursorPosition(), 0); // its start shows
        QCOMPARE(w.Find("txtFile(1)")->toolTip(), LongPath);            // and the whole on hover
        QVERIFY(w.Checked("chkRep") && w.Checked(Member("chkDay", 6)) &&
                !w.Checked(Member("chkDay", 1)));
    }

    // Left and Right step an option group in the order shown, as Up and Down
    // do; Tab goes to 参照 right after the box it fills. R, L and T press
    // Right, Left and Tab; the path is where the focus is after each.
    void keysFollowTheOrderShown_data() {
        Columns<QString, QString, QString, QString>({"choose", "from", "keys", "path"});
        // clang-format off
        Row("through the types", "optSel(0)", "optSel(0)", "RRL", "optSel(1) optSel(2) optSel(1)");
        Row("through the actions", "optCmd(0)", "optCmd(0)", "RL", "optCmd(1) optCmd(0)");
        Row("Tab from the WAV", "optCmd(1)", "txtFile(1)", "TT", "cmdOpen chkRep");
        Row("Tab from the program", "optCmd(2)", "txtFile(2)", "TT", "cmdOpen cmdAlTst");
        // clang-format on
    }
    void keysFollowTheOrderShown() {
        auto [choose, from, keys, path] =
            Fetch<QString, QString, QString, QString>({"choose", "from", "keys", "path"});
        Window w;
        w.Start();
        w.Click(choose);
        w.Find(from)->setFocus(Qt::TabFocusReason);
        QStringList went;
        for (const QChar key : keys) {
            QTest::keyClick(QApplication::focusWidget(), key == u'R'   ? Qt::Key_Right
                                                         : key == u'L' ? Qt::Key_Left
                                                                       : Qt::Key_Tab);
            went << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(went.join(' '), path);
        QVERIFY(!went.last().startsWith("opt") || w.Checked(went.last()));
    }

    void choosingASlot() {
        Window w;
        w.Start(SlotFour("State=1") + "[Alerm 7]\nTime=06:00\n");
        QCOMPARE(w.Text("txtDate txtHr txtMn"), "0/0|0|0");
        QCOMPARE(w.Colour("lblIndex(3) lblIndex(4) lblIndex(5)"), "#d4d0c8|#c0c0ff|#d4d0c8");
        w.Type("txtHr", "9");
        QCOMPARE(w.form->EditedSlot(), 4); // unregistered: a hand edit of slot 4 is kept aside
        w.form->ShowSettings(true);        // and the editor keeps what was typed
        QCOMPARE(w.Text("txtHr"), QString("9"));
        w.Click(Member("lblIndex", 7));
        QCOMPARE(w.Text("txtHr"), QString("6"));
        QCOMPARE(w.Colour("lblIndex(4) lblIndex(7)"), "#ffc080|#c0c0ff");
        w.Arrow("ctlIndex", true);
        QCOMPARE(w.Colour(Member("lblIndex", 8)), QString("#c0c0ff"));
        w.Click(Member("lblIndex", 4));
        QCOMPARE(w.Text("txtHr"), QString("0")); // the edit of slot 4 was lost
        w.Click(Member("lblSw", 0));
        w.form->close(); // saves the current slot and the switch
        QVERIFY(w.Ini().contains("CurrentID=4\n") && w.Ini().contains("Switch=0\n"));
    }

    // The hour box is typed into and not left; then u/d and U/D click the hour and
    // minute arrows, k/j press Up/Down in the hour box, N clicks the number of
    // the slot shown, L leaves the box with Tab.
    void clicksThatDoNotLeaveTheBox_data() {
        Columns<QString, QString, QString>({"typed", "clicks", "time"});
        // clang-format off
        Row("23 up", "23", "u", "0|0");
        Row("30 down", "30", "d", "29|0");
        Row("-3 up", "-3", "u", "-2|0");
        Row("30 and the slot shown", "30", "N", "30|0");
        Row("minute 0 down, down, up", "0", "DDU", "0|59");
        Row("30 down, then left", "30", "dL", "5|0");
        Row("23 up by key", "23", "k", "0|0");
        Row("30 down by key, then left", "30", "jL", "5|0");
        Row("-3 up by key", "-3", "k", "-2|0");
        // clang-format on
    }
    void clicksThatDoNotLeaveTheBox() {
        auto [typed, clicks, time] = Fetch<QString, QString, QString>({"typed", "clicks", "time"});
        Window w;
        w.Start();
        w.Type("txtHr", typed, false);
        for (QChar c : clicks) {
            if (c == u'L' || c == u'k' || c == u'j')
                QTest::keyClick(w.Find("txtHr"), c == u'L'   ? Qt::Key_Tab
                                                 : c == u'k' ? Qt::Key_Up
                                                             : Qt::Key_Down);
            else if (c == u'N')
                w.Click(Member("lblIndex", 1));
            else
                w.Arrow(c.isLower() ? "ctlHr" : "ctlMn", c.toLower() == u'u');
        }
        QCOMPARE(w.Text("txtHr txtMn"), time);
    }

    // Another window or the box's own menu takes the focus for a while: that
    // is not leaving the box.
    void menusAndOtherWindowsDoNotLeaveTheBox() {
        Window w;
        w.Start();
        w.Type("txtHr", "30", false);
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        QApplication::setActiveWindow(w.form.get());
        QCOMPARE(w.Text("txtHr"), "30");
        auto* box = w.Find<QLineEdit>("txtHr");
        box->selectAll();
        QApplication::clipboard()->setText("5");
        QContextMenuEvent click(QContextMenuEvent::Mouse, {5, 5}, box->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(box, &click);
        auto* menu = QApplication::activePopupWidget();
        QVERIFY(menu);
        const QList<QAction*> actions = menu->actions(); // Qt's own texts are Japanese too
        const auto paste = std::find_if(actions.begin(), actions.end(), [](QAction* a) {
            return a->text().startsWith("貼り付け");
        });
        QVERIFY(paste != actions.end());
        (*paste)->trigger();
        menu->close();
        QCOMPARE(w.Text("txtHr"), "5");
    }

    void selectorsKeepHiddenFields() {
        Window w;
        w.Start();
        w.Click(Member("optSel", 3));
        w.Click(Member("chkDay", 2));
        w.Click(Member("optSel", 2));
        QVERIFY(w.Shown("txtDate") && !w.Shown("cmdChk"));
        w.Click(Member("optSel", 3));
        QVERIFY(w.Checked(Member("chkDay", 2)) && !w.Shown("txtDate"));
        w.Click("cmdChk");
        for (int d = 0; d < 7; ++d)
            QVERIFY(w.Checked(Member("chkDay", d)));
        w.Click("cmdChk");
        for (int d = 0; d < 7; ++d)
            QVERIFY(!w.Checked(Member("chkDay", d)));
        w.Click(Member("optCmd", 2));
        QVERIFY(w.Shown(Member("txtFile", 2)) && !w.Shown("chkRep"));
        w.Click(Member("optCmd", 0));
        QVERIFY(!w.Shown("cmdOpen") && !w.Shown(Member("txtFile", 1)));
    }

    void commitStores() {
        Window w;
        w.Start();
        w.Click(Member("lblIndex", 5));
        w.Click(Member("optSel", 3));
        w.Click(Member("chkDay", 0));
        w.Click(Member("chkDay", 6));
        w.Click(Member("optSel", 2));
        w.Type("txtDate", "3/15x");
        w.Type("txtHr", "7.5");
        w.Click(Member("optCmd", 1));
        w.Type(Member("txtFile", 1), " /m/a b.wav ");
        w.Click("chkRep");
        w.Find<QScrollBar>("scrSint")->setValue(7);
        w.Click("cmdDone");
        QVERIFY(w.Ini().contains("[Alerm 5]\nTime=08:00\nState=2\nCommand=1\nDate=03/15\n"
                                 "WeekSwitch=*-----*\nWAV= /m/a b.wav \nRepeat=1\n"));
        QVERIFY(w.Ini().contains("SnoozeInt=7\n"));
        QCOMPARE(w.Text("txtDate"), "3/15x"); // the commit does not show the slot again
    }

    void undoAndErase() {
        Window w;
        w.Start(SlotFour("Time=06:30\nState=1\nCommand=2\nExec=/bin/true"));
        auto* interval = w.Find<QScrollBar>("scrSint");
        interval->setValue(9);
        QCOMPARE(w.Text("lblSint"), QString("スヌーズ間隔：9分"));
        w.Click("cmdErase");
        QCOMPARE(w.Text("txtHr txtMn txtDate"), "00|00|1/1");
        QVERIFY(w.Checked(Member("optSel", 0)) && w.Text(Member("txtFile", 2)).isEmpty());
        QCOMPARE(interval->value(), 9); // erasing leaves the interval alone
        w.Click("cmdUndo");
        QCOMPARE(w.Text("txtHr txtMn"), "6|30");
        QCOMPARE(w.Text("lblSint"), QString("スヌーズ間隔：5分"));
        w.Click("cmdErase");
        w.Click("cmdDone");
        QVERIFY(w.Ini().contains("[Alerm 4]\nTime=00:00\nState=0\nCommand=0\nExec=\nDate=01/01\n"
                                 "WeekSwitch=-------\nWAV=\nRepeat=0\n"));
    }

    void testButton_data() {
        Columns<int, QString>({"command", "call"});
        // clang-format off
        Row("standard", 0, "standard");
        Row("wav plays once even with R", 1, "wav /m/x.wav 0");
        Row("launch", 2, "launch /bin/echo?hi");
        // clang-format on
    }
    void testButton() {
        auto [command, call] = Fetch<int, QString>({"command", "call"});
        Window w;
        w.Start(SlotFour("WAV=/m/x.wav\nRepeat=1\nExec=/bin/echo?hi"));
        w.Click(Member("optCmd", command));
        w.Click("cmdAlTst");
        QCOMPARE(w.actions.calls, QStringList{call});
    }

    // One chooser for the run: it opens where the last file was chosen, with
    // its name filled in; a cancelled choice changes nothing.
    void fileChooserRemembers() {
        Window w;
        w.Start(SlotFour("WAV=/keep.wav\nCommand=2"));
        QVERIFY(QDir(w.dir.path()).mkdir("sounds"));
        const QString chosen = w.dir.filePath("sounds/wake up.sh");
        WriteBytes(chosen, "");
        // Answered as a user would: the name typed, Return or Escape.
        const auto answer = [&](bool accept) {
            w.Click("cmdOpen");
            auto* dialog = w.form->findChild<QFileDialog*>();
            QVERIFY(dialog && dialog->isVisible());
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            shown = dialog->directory().path() + "|" + name->text();
            if (accept)
                name->setText(chosen);
            QTest::keyClick(name, accept ? Qt::Key_Return : Qt::Key_Escape);
            QVERIFY(!dialog->isVisible());
        };
        answer(true);
        QCOMPARE(w.Text("txtFile(2) txtFile(1)"), chosen + "|/keep.wav");
        QCOMPARE(w.Find<QLineEdit>("txtFile(2)")->cursorPosition(), 0); // its start shows
        w.Click("optCmd(1)");
        answer(false);
        QCOMPARE(w.Text("txtFile(2) txtFile(1)"), chosen + "|/keep.wav");
        QCOMPARE(shown, w.dir.filePath("sounds") + "|wake up.sh");
    }

private:
    QString shown; // the folder and file name the chooser opened with
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
