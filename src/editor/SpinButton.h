// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QToolButton;

// Two arrow buttons with a value in a range. Each arrow click is reported and
// steps the value; setting the value from code reports a change as a click
// would.
class SpinButton : public QWidget {
    Q_OBJECT
public:
    SpinButton(Qt::Orientation orientation, int minimum, int maximum, QWidget* parent);

    int value() const { return value_; }
    void setValue(int value);

signals:
    void upClicked();
    void downClicked();
    void valueChanged(int value);

private:
    QToolButton* up_;
    QToolButton* down_;
    int minimum_;
    int maximum_;
    int value_;
};
