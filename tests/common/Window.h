// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FakeDesktop.h"
#include "Form1.h"
#include "QtTranslation.h"
#include "RecordingActions.h"
#include "TestSupport.h"
#include "Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

// The real window on a settings file of its own, with recorded actions and
// a fake desktop, driven through its controls, which are found by their
// design names.
struct Window {
    QTemporaryDir dir;
    QString ini = dir.filePath("alerm.ini");
    RecordingActions actions;
    FakeNotifications notifications;
    FakeTray tray;
    FakeWakeTimer wake;
    FakeInhibitor inhibitor;
    FakeOutputVolume volume;
    FakeSoundStatus sound;
    std::unique_ptr<Form1> form;

    // Starts on `file` as alerm.ini (none when empty); `expand` opens the editor.
    void Start(const QByteArray& file = {}, bool expand = true) {
        if (!file.isEmpty())
            WriteBytes(ini, file);
        form = std::make_unique<Form1>(
            ini, actions, Desktop{notifications, tray, wake, inhibitor, volume, sound});
        form->Form_Load();
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        if (expand)
            Click("cmdExpand");
    }

    template <typename W = QWidget> W* Find(const QString& name) const {
        auto* widget = form->findChild<W*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    // Option buttons and check boxes take clicks on their mark, at the left.
    void Click(const QString& name) {
        QWidget* widget = Find(name);
        const bool marked = qobject_cast<QRadioButton*>(widget) || qobject_cast<QCheckBox*>(widget);
        QTest::mouseClick(widget, Qt::LeftButton, {},
                          marked ? QPoint(6, widget->height() / 2) : widget->rect().center());
    }
    // Clicks the up (or right) arrow of a spin button, or its down (left) arrow.
    void Arrow(const QString& name, bool up) {
        QWidget* spin = Find(name);
        const bool across = spin->width() > spin->height();
        const QPoint at = across ? QPoint(up ? spin->width() - 3 : 2, spin->height() / 2)
                                 : QPoint(spin->width() / 2, up ? 2 : spin->height() - 3);
        QTest::mouseClick(spin->childAt(at), Qt::LeftButton);
    }
    // Replaces a box's text by typing, then leaves it with Tab as a user would.
    void Type(const QString& name, const QString& text, bool leave = true) {
        auto* box = Find<QLineEdit>(name);
        box->setFocus(Qt::MouseFocusReason);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
        if (leave)
            QTest::keyClick(box, Qt::Key_Tab);
    }
    // The texts of the controls named, separated by blanks, joined with "|".
    QString Text(const QString& names) const {
        return Each(names, [](QWidget* w) { return w->property("text").toString(); });
    }
    bool Checked(const QString& name) const { return Find(name)->property("checked").toBool(); }
    bool Shown(const QString& name) const { return Find(name)->isVisibleTo(form.get()); }
    QString Colour(const QString& names) const {
        return Each(names, [](QWidget* w) { return w->palette().color(QPalette::Window).name(); });
    }
    QString Ini() const { return QString::fromUtf8(ReadBytes(ini)); }

private:
    template <typename Get> QString Each(const QString& names, Get get) const {
        QStringList values;
        for (const QString& name : names.split(u' '))
            values << get(Find(name));
        return values.join(u'|');
    }
};
