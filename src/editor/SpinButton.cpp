// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpinButton.h"

#include <QAccessibleWidget>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QToolButton>
#include <algorithm>

namespace {

class SpinAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SpinAccessible(SpinButton* spin) : QAccessibleWidget(spin, QAccessible::SpinBox) {}
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? QString::number(Spin()->value())
                                       : QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return Spin()->value(); }
    void setCurrentValue(const QVariant& value) override { Spin()->setValue(value.toInt()); }
    QVariant maximumValue() const override { return Spin()->maximum(); }
    QVariant minimumValue() const override { return Spin()->minimum(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    SpinButton* Spin() const { return static_cast<SpinButton*>(widget()); }
};

QAccessibleInterface* SpinFactory(const QString& key, QObject* object) {
    if (key == QLatin1String("SpinButton") && object->isWidgetType())
        return new SpinAccessible(static_cast<SpinButton*>(object));
    return nullptr;
}

} // namespace

SpinButton::SpinButton(Qt::Orientation orientation, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)), minimum_(minimum),
      maximum_(maximum), value_(minimum) {
    static const bool factory = (QAccessible::installFactory(SpinFactory), true);
    (void)factory;
    const bool horizontal = orientation == Qt::Horizontal;
    up_->setArrowType(horizontal ? Qt::RightArrow : Qt::UpArrow);
    down_->setArrowType(horizontal ? Qt::LeftArrow : Qt::DownArrow);
    auto* layout =
        new QBoxLayout(horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(horizontal ? down_ : up_);
    layout->addWidget(horizontal ? up_ : down_);
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    }
    connect(up_, &QToolButton::clicked, this, [this] {
        emit upClicked();
        setValue(value_ + 1);
    });
    connect(down_, &QToolButton::clicked, this, [this] {
        emit downClicked();
        setValue(value_ - 1);
    });
}

void SpinButton::setValue(int value) {
    value = std::clamp(value, minimum_, maximum_);
    if (value == value_)
        return;
    value_ = value;
    QAccessibleValueChangeEvent changed(this, value_);
    QAccessible::updateAccessibility(&changed);
    emit valueChanged(value_);
}

void SpinButton::NameArrows(const QString& up, const QString& down) {
    up_->setAccessibleName(up);
    down_->setAccessibleName(down);
}

// Exactly as the arrows: the arrow keys click them.
void SpinButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        return up_->click();
    case Qt::Key_Down:
    case Qt::Key_Left:
        return down_->click();
    case Qt::Key_PageUp:
        return setValue(minimum_);
    case Qt::Key_PageDown:
        return setValue(maximum_);
    default:
        QWidget::keyPressEvent(event);
    }
}
