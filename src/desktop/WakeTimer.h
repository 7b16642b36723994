// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <optional>

// Wakes the computer from suspend at a time, so that an alarm rings while
// it sleeps.
class WakeTimer : public QObject {
    Q_OBJECT
public:
    // Seconds since the epoch; none: no wake wanted.
    virtual void WakeAt(std::optional<qint64> epochSeconds) = 0;

signals:
    // The computer was woken by the timer.
    void woke();
    // A wake that was wanted cannot be set (why, in a few words).
    void unavailable(const QString& why);
};
