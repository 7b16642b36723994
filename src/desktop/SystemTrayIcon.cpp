// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemTrayIcon.h"

#include <QMenu>
#include <QSystemTrayIcon>

SystemTrayIcon::SystemTrayIcon(const QIcon& icon) : mnuTray(std::make_unique<QMenu>()) {
    mnuTray->setObjectName("mnuTray");
    mnuStop = mnuTray->addAction(QStringLiteral("Stop"));
    mnuStop->setObjectName("mnuStop");
    mnuStop->setVisible(false);
    connect(mnuStop, &QAction::triggered, this, &TrayIcon::stopChosen);
    QAction* mnuRestore = mnuTray->addAction(QStringLiteral("復元"));
    mnuRestore->setObjectName("mnuRestore");
    connect(mnuRestore, &QAction::triggered, this, &TrayIcon::restoreChosen);
    tray = new QSystemTrayIcon(icon, this);
    tray->setToolTip(QStringLiteral("Vendrix staying resident"));
    tray->setContextMenu(mnuTray.get());
}

SystemTrayIcon::~SystemTrayIcon() = default;

bool SystemTrayIcon::Available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTrayIcon::Show() {
    tray->show();
}

void SystemTrayIcon::Hide() {
    tray->hide();
}

void SystemTrayIcon::OfferStop(bool offered) {
    mnuStop->setVisible(offered);
}
