// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QToolButton;

// Two arrow buttons with a value in a range. Each arrow click is reported and
// steps the value; setting the value from code reports a change as a click
// would. Given the focus, the arrow keys click the arrows, Page Up and Page
// Down go to the first and the last value; a screen reader reads it as a
// spin box.
class SpinButton : public QWidget {
    Q_OBJECT
public:
    SpinButton(Qt::Orientation orientation, int minimum, int maximum, QWidget* parent);

    int value() const { return value_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    void setValue(int value);
    // What a screen reader calls the arrows.
    void NameArrows(const QString& up, const QString& down);

signals:
    void upClicked();
    void downClicked();
    void valueChanged(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
    int minimum_;
    int maximum_;
    int value_;
};
