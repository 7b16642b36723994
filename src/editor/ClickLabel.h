// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

// A label that reports a click, like a button without a frame. Labels of
// which one is chosen (the master switch, the slot numbers) read to a screen
// reader as radio buttons, the chosen one checked. With the keyboard on, the
// chosen label is the group's one stop in the Tab order: the arrow keys ask
// for a step, Space clicks, and the focus shows as a dotted frame.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr);

    void SetChosen(bool chosen);
    bool Chosen() const { return chosen_; }
    void TakeKeyboard() { keyboard_ = true; }
    // The dotted frame, for a control that speaks for this label (the slot
    // selector for the slot shown).
    void ShowFocusFrame(bool shown);

signals:
    void clicked();
    // An arrow key: -1 back, +1 on.
    void stepped(int delta);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool chosen_ = false;
    bool keyboard_ = false;
    bool focusFrame_ = false;
};
