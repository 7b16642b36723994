// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on the offscreen platform: start-up, the clock strip, the
// switch, expand and collapse, and what reaches alerm.ini.
#include "Window.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <functional>

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void startsCollapsedOnDefaults() {
        const auto today = [] {
            return QLocale::c().toString(QDate::currentDate(), "MM/dd ddd").toUpper();
        };
        const QString before = today();
        Window w;
        w.Start({}, false);
        QVERIFY(w.Text("lblWeek") == before || w.Text("lblWeek") == today()); // midnight between
        QCOMPARE(w.form->windowTitle(), QString("Vendrix v0.3"));
        QCOMPARE(w.form->height(), Px(735));
        QVERIFY(!w.Find(Member("pctBack", 3))->isEnabled());
        QCOMPARE(w.Colour("lblSw(0) lblSw(1) lblSw(2)"), "#ffffff|#ffffff|#80ff80");
        QVERIFY(!w.Find("cmdStop")->isVisible());
        QCOMPARE(w.Text("lblAlerm"), QString("アラーム 未設定"));
        w.Click("cmdExpand");
        QCOMPARE(w.form->height(), Px(4095));
        QVERIFY(w.Find(Member("pctBack", 3))->isEnabled() && !w.Find("cmdExpand")->hasFocus());
        QCOMPARE(w.Text("cmdExpand"), "<<");
        w.Click("cmdExpand");
        QVERIFY(w.form->height() == Px(735) && !w.Find(Member("pctBack", 3))->isEnabled());
        QCOMPARE(w.Text("cmdExpand"), ">>");
        // The design faces resolve to installed Japanese faces.
        REQUIRE(!QFontDatabase::families().contains("IPAGothic"), "IPAGothic");
        const QString face = QFontInfo(w.Find<QLabel>("lblAlerm")->font()).family();
        QVERIFY2(face.startsWith("IPA"), qPrintable(face));
    }

    void startsOnStoredSlotAndSwitch() {
        Window w;
        w.Start("[Public]\nValidation=x\n[Settings]\nSwitch=1\nCurrentID=7\nSnoozeInt=2\n[Alerm "
                "7]\nTime=06:45\nState=1\n");
        QCOMPARE(w.Text("txtHr txtMn lblSint"),
                 "6|45|スヌーズ間隔：2分"); // 2: the bar did not move
        QCOMPARE(w.Colour("lblSw(0) lblSw(1) lblSw(2)"), "#ffffff|#80ff80|#ffffff");
        QCOMPARE(w.Colour(Member("lblIndex", 7)), QString("#c0c0ff"));
        QTRY_COMPARE(w.Text("lblAlerm"), QString("アラーム 06:45")); // at the next scan
    }

    // Wherever it sets a background the window sets the text colour that goes
    // with it, so a dark desktop theme leaves it readable.
    void readableOnADarkTheme() {
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        dark.setColor(QPalette::WindowText, Qt::white);
        QApplication::setPalette(dark);
        Window w;
        w.Start();
        QApplication::setPalette(QPalette());
        for (const char* name :
             {"lblWeek", "lblNow(0)", "lblAlerm", "lblSw(1)", "lblIndex(3)", "chkRep"})
            QCOMPARE(w.Find(name)->palette().color(QPalette::WindowText), QColor(Qt::black));
    }

    // A fresh window, the keyboard alone: ON, slot 3, a time, weekdays, 登録.
    void setWithTheKeyboardAlone() {
        Window w;
        w.Start({}, false);
        const auto key = [](Qt::Key k, int times = 1) {
            for (int i = 0; i < times; ++i)
                QTest::keyClick(QApplication::focusWidget(), k);
        };
        const auto focused = [] { return QApplication::focusWidget()->objectName(); };
        QCOMPARE(focused(), "lblSw(2)"); // the switch is one stop, on its position, and the first
        key(Qt::Key_Left);
        key(Qt::Key_Tab); // to >>
        key(Qt::Key_Return);
        key(Qt::Key_Tab); // from >> into the editor
        QCOMPARE(focused(), "ctlIndex");
        key(Qt::Key_Up, 2);
        key(Qt::Key_Tab);
        QCOMPARE(focused(), "optSel(0)"); // the type group is one stop, on the chosen type
        key(Qt::Key_Down, 3);
        key(Qt::Key_Tab);
        QCOMPARE(focused(), "chkDay(0)");
        key(Qt::Key_Space);
        key(Qt::Key_Right);
        key(Qt::Key_Space);
        while (focused() != "txtHr")
            key(Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "6");
        key(Qt::Key_Up);
        key(Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "30");
        while (focused() != "cmdDone")
            key(Qt::Key_Tab);
        key(Qt::Key_Return);
        QVERIFY(w.Ini().contains("Switch=1\n"));
        QVERIFY(w.Ini().contains("[Alerm 3]\nTime=07:30\nState=3\nCommand=0\nDate=01/01\n"
                                 "WeekSwitch=**-----\n"));
        w.form->ShowStop(true); // as a ring shows it: Escape presses it, wherever the focus is
        key(Qt::Key_Escape);
        QVERIFY(!w.Shown("cmdStop"));
    }

    // What a screen reader is told of each control.
    void readByAScreenReader_data() {
        Columns<QString, int, QString, bool>({"control", "role", "name", "checked"});
        // clang-format off
        Row("switch at OFF", "lblSw(2)", int(QAccessible::RadioButton), "OFF", true);
        Row("the slot shown", "lblIndex(1)", int(QAccessible::RadioButton), "スロット 1", true);
        Row("another slot", "lblIndex(2)", int(QAccessible::RadioButton), "スロット 2", false);
        Row("slot selector", "ctlIndex", int(QAccessible::SpinBox), "スロット", false);
        Row("hour", "txtHr", int(QAccessible::EditableText), "時", false);
        Row("WAV", "txtFile(1)", int(QAccessible::EditableText), "WAV ファイル", false);
        Row("type", "optSel(0)", int(QAccessible::RadioButton), "オフ", true);
        Row("interval", "scrSint", int(QAccessible::ScrollBar), "スヌーズ間隔", false);
        // clang-format on
    }
    void readByAScreenReader() {
        auto [control, role, name, checked] =
            Fetch<QString, int, QString, bool>({"control", "role", "name", "checked"});
        Window w;
        w.Start();
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(w.Find(control));
        QVERIFY(read);
        QCOMPARE(int(read->role()), role);
        QCOMPARE(read->text(QAccessible::Name), name);
        QCOMPARE(bool(read->state().checked), checked);
    }

    // Every control a screen reader meets has a name, and no label reads as
    // a stray number or blank.
    void nothingUnnamed() {
        Window w;
        w.Start();
        QStringList unnamed;
        const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
            for (int i = 0; i < node->childCount(); ++i) {
                QAccessibleInterface* child = node->child(i);
                const QString name = child->text(QAccessible::Name).trimmed();
                const bool named =
                    !name.isEmpty() && !name.contains(QRegularExpression("^[0-9]+$"));
                if (child->role() != QAccessible::Client && child->role() != QAccessible::Pane &&
                    !named)
                    unnamed << child->object()->objectName() + "|" + name;
                walk(child);
            }
        };
        walk(QAccessible::queryAccessibleInterface(w.form.get()));
        QCOMPARE(unnamed, QStringList{});
    }

    // A failed save is told in a box that does not hold up the clock; at
    // shutdown only standard error is told.
    void failedSaveIsShown() {
        Window w;
        w.Start();
        const Restricted readOnly(w.ini);
        w.Click("cmdDone");
        auto* box = w.form->findChild<QMessageBox*>();
        QVERIFY(box && box->isVisible());
        QVERIFY(box->text().contains(w.ini) && box->text().contains("読み取り専用"));
        delete box;
        w.form->close();
        QVERIFY(!w.form->findChild<QMessageBox*>());
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
