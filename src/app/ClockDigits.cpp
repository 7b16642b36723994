// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClockDigits.h"

#include <QAccessibleWidget>

namespace {

class DigitsAccessible : public QAccessibleWidget {
public:
    explicit DigitsAccessible(QWidget* digits)
        : QAccessibleWidget(digits, QAccessible::StaticText) {}
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
};

QAccessibleInterface* DigitsFactory(const QString& key, QObject* object) {
    if (key == QLatin1String("ClockDigits") && object->isWidgetType())
        return new DigitsAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

ClockDigits::ClockDigits(QWidget* parent) : QWidget(parent) {
    static const bool factory = (QAccessible::installFactory(DigitsFactory), true);
    (void)factory;
    setObjectName(QStringLiteral("clockDigits"));
}
