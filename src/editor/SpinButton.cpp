// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpinButton.h"

#include <QBoxLayout>
#include <QToolButton>
#include <algorithm>

SpinButton::SpinButton(Qt::Orientation orientation, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)), minimum_(minimum),
      maximum_(maximum), value_(minimum) {
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
    emit valueChanged(value_);
}
