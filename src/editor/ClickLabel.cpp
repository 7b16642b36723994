// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClickLabel.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace {

class ChoiceAccessible : public QAccessibleWidget {
public:
    explicit ChoiceAccessible(ClickLabel* label)
        : QAccessibleWidget(label, QAccessible::RadioButton) {}
    QString text(QAccessible::Text t) const override {
        const QString text = QAccessibleWidget::text(t);
        return t == QAccessible::Name && text.isEmpty() ? Label()->text() : text;
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = Label()->Chosen();
        return state;
    }

private:
    ClickLabel* Label() const { return static_cast<ClickLabel*>(widget()); }
};

QAccessibleInterface* ChoiceFactory(const QString& key, QObject* object) {
    if (key == QLatin1String("ClickLabel") && object->isWidgetType())
        return new ChoiceAccessible(static_cast<ClickLabel*>(object));
    return nullptr;
}

} // namespace

// The factory is in place before any label is read: a screen reader that is
// on reads each as it is made.
ClickLabel::ClickLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    static const bool factory = (QAccessible::installFactory(ChoiceFactory), true);
    (void)factory;
}

void ClickLabel::SetChosen(bool chosen) {
    const bool moveFocus = hasFocus();
    chosen_ = chosen;
    if (keyboard_)
        setFocusPolicy(chosen ? Qt::TabFocus : Qt::NoFocus);
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
    if (moveFocus && !chosen)
        clearFocus();
}

void ClickLabel::ShowFocusFrame(bool shown) {
    focusFrame_ = shown;
    update();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void ClickLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
        return emit clicked();
    case Qt::Key_Left:
    case Qt::Key_Up:
        return emit stepped(-1);
    case Qt::Key_Right:
    case Qt::Key_Down:
        return emit stepped(1);
    default:
        QLabel::keyPressEvent(event);
    }
}

void ClickLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus() && !focusFrame_)
        return;
    QPainter painter(this);
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(1, 1, -1, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}
