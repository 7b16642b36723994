// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopLogging.h"
#include "Notifications.h"
#include "TellOnce.h"

#include <optional>
#include <utility>

// Notifications through the freedesktop notification service on the session
// bus. The bus is reached at the first notification, so nothing is said on
// it while nothing rings. Without the service everything else works as
// before; one line on standard error says so.
class DBusNotifications : public Notifications {
    Q_OBJECT
public:
    void ShowRing(const QString& summary, const QString& body, bool inSeries) override;
    void CloseRing() override;
    void ShowNotice(const QString& summary, const QString& body) override;
    // A notice shown before the program ends: sent, and answered, before it returns.
    void ShowNoticeNow(const QString& summary, const QString& body);

private slots:
    void OnAction(uint id, const QString& key);
    void OnClosed(uint id, uint reason);

private:
    bool Connect();
    void Fail(const QString& why);

    bool connected_ = false;
    TellOnce failing_{lcDesktop};
    uint id_ = 0;          // the last ring notification, which the next one replaces
    bool shown_ = false;   // and whether it is still shown
    bool pending_ = false; // a Notify is on its way; its id is not known yet
    bool closeWhenShown_ = false;
    struct Ring {
        QString Summary;
        QString Body;
        bool InSeries = false;
    };
    std::optional<Ring> queued_; // to show once the id is known
};
