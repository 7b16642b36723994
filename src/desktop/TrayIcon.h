// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

// The icon in the notification area, with its menu: "Stop" while an alarm
// can be stopped, "スヌーズを終了" while a snooze series is pending, and "復元".
class TrayIcon : public QObject {
    Q_OBJECT
public:
    // Whether the desktop has a notification area to show it in.
    virtual bool Available() const = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void OfferStop(bool offered) = 0;
    virtual void OfferEndSnooze(bool offered) = 0;

signals:
    void stopChosen();
    void endSnoozeChosen();
    void restoreChosen();
    // A notification area appeared, or the one there went away.
    void availableChanged();
};
