// The main window on the offscreen platform: start-up, switch,
// expand and collapse, and saving at close.
#include "ClickLabel.h"
#include "EditorPanel.h"
#include "Form1.h"
#include "SpinButton.h"
#include "Twips.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Window {
    QTemporaryDir dir;
    QString ini = dir.filePath("alerm.ini");
    std::unique_ptr<Form1> form;

    void Start(const QByteArray& file = {}) {
        if (!file.isEmpty()) {
            QFile out(ini);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file);
        }
        form = std::make_unique<Form1>(QCoreApplication::applicationDirPath(), ini);
        form->Form_Load();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    QString Ini() const {
        QFile in(ini);
        return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()) : QString();
    }
    QStringList SwitchColours() const {
        QStringList colours;
        for (const QLabel* label : form->lblSw)
            colours << Background(label).name();
        return colours;
    }
    void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
};

const QStringList OffSelected{"#ffffff", "#ffffff", "#80ff80"};

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void startsCollapsedOnDefaults() {
        Window w;
        w.Start();
        QCOMPARE(w.form->windowTitle(), QString("Vendrix v0.3"));
        QCOMPARE(w.form->height(), Px(735));
        QVERIFY(!w.form->pctBack3->isEnabled());
        QCOMPARE(w.SwitchColours(), OffSelected);
        QCOMPARE(w.form->pctBack3->ctlIndex->value(), 1);
        QCOMPARE(w.form->pctBack3->txtHr->text(), QString("0"));
        QVERIFY(w.Ini().startsWith("[Public]\nValidation=Vendrix v0.3\n[Settings]\nSwitch=2\n"));
        const QDate today = QDate::currentDate();
        QCOMPARE(w.form->lblWeek->text().left(5), today.toString("MM/dd"));
        QVERIFY(!w.form->lblDebug->isVisible() && !w.form->cmdStop->isVisible());
        QCOMPARE(w.form->lblAlerm->text(), QString("アラーム 未設定"));
        // The design faces resolve to installed Japanese faces.
        QVERIFY2(QFontInfo(w.form->lblAlerm->font()).family().startsWith("IPA"),
                 qPrintable(QFontInfo(w.form->lblAlerm->font()).family()));
    }

    void startsOnStoredSlotAndSwitch() {
        Window w;
        w.Start("[Public]\nValidation=x\n[Settings]\nSwitch=1\nSnoozeInt=3\nCurrentID=7\n"
                "[Alerm 7]\nTime=06:45\nState=1\n");
        QCOMPARE(w.form->pctBack3->ctlIndex->value(), 7);
        QCOMPARE(w.form->pctBack3->txtHr->text() + ":" + w.form->pctBack3->txtMn->text(),
                 QString("6:45"));
        QCOMPARE(w.SwitchColours(), (QStringList{"#ffffff", "#80ff80", "#ffffff"}));
        QCOMPARE(Background(w.form->pctBack3->lblIndex[7]).name(), QString("#c0c0ff"));
        QTRY_COMPARE(w.form->lblAlerm->text(), QString("アラーム 06:45")); // at the next scan
    }

    void expandAndCollapse() {
        Window w;
        w.Start();
        w.Click(w.form->cmdExpand);
        QCOMPARE(w.form->height(), Px(4095));
        QVERIFY(w.form->pctBack3->isEnabled() && w.form->Expanded());
        QCOMPARE(w.form->cmdExpand->text(), QString("<<"));
        QVERIFY(!w.form->cmdExpand->hasFocus());
        w.Click(w.form->cmdExpand);
        QCOMPARE(w.form->height(), Px(735));
        QVERIFY(!w.form->pctBack3->isEnabled() && !w.form->Expanded());
        QCOMPARE(w.form->cmdExpand->text(), QString(">>"));
    }

    void closingSavesSwitchAndSlot() {
        Window w;
        w.Start();
        w.Click(w.form->lblSw[0]);
        QCOMPARE(w.SwitchColours(), (QStringList{"#80ff80", "#ffffff", "#ffffff"}));
        w.Click(w.form->cmdExpand);
        w.Click(w.form->pctBack3->lblIndex[4]);
        w.form->close();
        QVERIFY(w.Ini().contains("Switch=0\nSnoozeInt=5\nCurrentID=4\n"));
    }

    void commitWritesTheFile() {
        Window w;
        w.Start();
        w.Click(w.form->cmdExpand);
        EditorPanel* panel = w.form->pctBack3;
        QTest::mouseClick(panel->optSel[1], Qt::LeftButton, {}, QPoint(6, 8));
        panel->txtHr->setText("6");
        w.Click(panel->cmdDone);
        QVERIFY(w.Ini().contains("[Alerm 1]\nTime=06:00\nState=1\n"));
        QTest::qWait(1200); // the next scans find the new alarm
        QCOMPARE(w.form->lblAlerm->text(), QString("アラーム 06:00"));
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
