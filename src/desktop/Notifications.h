// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// Desktop notifications. The one of a ringing alarm offers "Stop", then
// "スヌーズを終了" when the ring is part of a snooze series, and "復元"; it is
// replaced by the next. Notices stand on their own until dismissed.
class Notifications : public QObject {
    Q_OBJECT
public:
    virtual void ShowRing(const QString& summary, const QString& body, bool inSeries) = 0;
    virtual void CloseRing() = 0;
    virtual void ShowNotice(const QString& summary, const QString& body) = 0;

signals:
    void stopInvoked();
    void endSnoozeInvoked();
    void restoreInvoked();
};
