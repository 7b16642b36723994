// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TrayIcon.h"

#include <QIcon>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

// The icon on Qt's notification-area support, tool tip "Vendrix staying
// resident". Its menu opens on the right button; a left click does nothing.
// The area is watched as Qt knows it, without polling: the X tray selection
// and the StatusNotifierWatcher on the session bus.
class SystemTrayIcon : public TrayIcon {
    Q_OBJECT
public:
    explicit SystemTrayIcon(const QIcon& icon);
    ~SystemTrayIcon() override;

    bool Available() const override;
    void Show() override;
    void Hide() override;
    void OfferStop(bool offered) override;
    void OfferEndSnooze(bool offered) override;

private:
    QAction* AddItem(const QString& text, const char* name, void (TrayIcon::*chosen)());
    void WatchForTheArea();

    std::unique_ptr<QMenu> mnuTray;
    QAction* mnuStop;
    QAction* mnuEndSnooze;
    QSystemTrayIcon* tray;
};
