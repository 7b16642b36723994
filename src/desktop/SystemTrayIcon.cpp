// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemTrayIcon.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>

SystemTrayIcon::SystemTrayIcon(const QIcon& icon) : mnuTray(std::make_unique<QMenu>()) {
    mnuTray->setObjectName("mnuTray");
    mnuStop = AddItem(QStringLiteral("Stop"), "mnuStop", &TrayIcon::stopChosen);
    mnuStop->setVisible(false);
    mnuEndSnooze =
        AddItem(QStringLiteral("スヌーズを終了"), "mnuEndSnooze", &TrayIcon::endSnoozeChosen);
    mnuEndSnooze->setVisible(false);
    AddItem(QStringLiteral("復元"), "mnuRestore", &TrayIcon::restoreChosen);
    tray = new QSystemTrayIcon(icon, this);
    tray->setToolTip(QStringLiteral("Vendrix staying resident"));
    tray->setContextMenu(mnuTray.get());
    WatchForTheArea();
}

QAction* SystemTrayIcon::AddItem(const QString& text, const char* name,
                                 void (TrayIcon::*chosen)()) {
    QAction* item = mnuTray->addAction(text);
    item->setObjectName(name);
    connect(item, &QAction::triggered, this, chosen);
    return item;
}

// Qt's own X tray icon follows the X tray selection through this signal of
// the platform's native interface; it is a QObject (its only base), whose
// declaration Qt keeps private. The StatusNotifierWatcher comes and goes
// on the session bus.
void SystemTrayIcon::WatchForTheArea() {
    if (QObject* native = reinterpret_cast<QObject*>(QGuiApplication::platformNativeInterface());
        native && QGuiApplication::platformName() == QStringLiteral("xcb")) {
        Available(); // Qt starts following the selection once asked
        connect(native, SIGNAL(systemTrayWindowChanged(QScreen*)), this,
                SIGNAL(availableChanged()));
    }
    auto* watcher = new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                            QDBusConnection::sessionBus(),
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &TrayIcon::availableChanged);
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

void SystemTrayIcon::OfferEndSnooze(bool offered) {
    mnuEndSnooze->setVisible(offered);
}
