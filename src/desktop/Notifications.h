// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// Desktop notifications. The one of a ringing alarm offers "Stop" and "復元"
// and is replaced by the next; notices stand on their own until dismissed.
class Notifications : public QObject {
    Q_OBJECT
public:
    virtual void ShowRing(const QString& summary, const QString& body) = 0;
    virtual void CloseRing() = 0;
    virtual void ShowNotice(const QString& summary, const QString& body) = 0;

signals:
    void stopInvoked();
    void restoreInvoked();
};
