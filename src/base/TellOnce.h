// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>
#include <QString>
#include <utility>

// A warning that is told once on standard error however often its cause
// comes back, and again only once the cause went away (Again).
class TellOnce {
public:
    using Category = const QLoggingCategory& (*)();
    explicit TellOnce(Category category) : category_(category) {}

    // Tells it unless told already; true when it was told now.
    bool Tell(const QString& text) {
        if (std::exchange(told_, true))
            return false;
        qCWarning(category_).noquote() << text;
        return true;
    }
    void Again() { told_ = false; }

private:
    Category category_;
    bool told_ = false;
};
