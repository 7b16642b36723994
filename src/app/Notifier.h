// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <optional>
#include <utility>

// The desktop notification of a ringing alarm, through the freedesktop
// notification service on the session bus, with the actions "Stop" and
// "復元". There is one at a time: showing another replaces it. The bus is
// reached at the first notification, so nothing is said on it while nothing
// rings. Without the service everything else works as before; one line on
// standard error says so.
class Notifier : public QObject {
    Q_OBJECT
public:
    void Show(const QString& summary, const QString& body);
    void Close();

signals:
    void stopInvoked();
    void restoreInvoked();

private slots:
    void OnAction(uint id, const QString& key);
    void OnClosed(uint id, uint reason);

private:
    bool Connect();
    void Fail(const QString& why);

    bool connected_ = false;
    bool warned_ = false;
    uint id_ = 0;          // the last notification, which the next one replaces
    bool shown_ = false;   // and whether it is still shown
    bool pending_ = false; // a Notify is on its way; its id is not known yet
    bool closeWhenShown_ = false;
    std::optional<std::pair<QString, QString>> queued_; // to show once the id is known
};
