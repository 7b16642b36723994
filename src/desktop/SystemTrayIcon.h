// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "StatusNotifierItem.h"
#include "TrayIcon.h"

#include <QIcon>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

// The icon, tool tip "Vendrix staying resident", in whichever notification
// area there is: a StatusNotifierItem host when one is registered (it may
// come and go at any time), else the X notification area through Qt. Qt is
// asked about the area only while no such host is there, as it decides
// once per process which kind it uses. The X icon's menu opens on the right
// button; a left click there does nothing.
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

private slots:
    void XChanged();

private:
    static SniPixmaps PixmapsOf(const QIcon& icon);
    bool XAvailable() const;
    QSystemTrayIcon& X() const;
    QAction* AddItem(const QString& text, const char* name, void (TrayIcon::*chosen)()) const;
    void Place();

    const QIcon icon_;
    StatusNotifierItem sni_;
    bool shown_ = false;
    // The X icon and its menu, made the first time they are needed.
    mutable std::unique_ptr<QMenu> mnuTray;
    mutable QAction* mnuStop = nullptr;
    mutable QAction* mnuEndSnooze = nullptr;
    mutable QSystemTrayIcon* tray = nullptr;
};
