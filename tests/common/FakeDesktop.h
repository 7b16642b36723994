// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Notifications.h"
#include "TrayIcon.h"

#include <QStringList>

// The notifications the program shows, as "summary | body"; the ring's one
// is empty once closed.
class FakeNotifications : public Notifications {
public:
    void ShowRing(const QString& summary, const QString& body) override {
        ring = summary + " | " + body;
    }
    void CloseRing() override { ring.clear(); }
    void ShowNotice(const QString& summary, const QString& body) override {
        notices << summary + " | " + body;
    }

    QString ring;
    QStringList notices;
};

// A notification area that is there unless told otherwise.
class FakeTray : public TrayIcon {
public:
    bool Available() const override { return available; }
    void Show() override { shown = true; }
    void Hide() override { shown = false; }
    void OfferStop(bool offered) override { stopOffered = offered; }

    bool available = true;
    bool shown = false;
    bool stopOffered = false;
};
