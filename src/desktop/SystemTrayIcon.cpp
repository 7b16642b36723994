// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemTrayIcon.h"

#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QtEndian>

SystemTrayIcon::SystemTrayIcon(const QIcon& icon) : icon_(icon), sni_(PixmapsOf(icon)) {
    connect(&sni_, &StatusNotifierItem::chosen, this, [this](int entry) {
        if (entry == StatusNotifierItem::StopEntry)
            emit stopChosen();
        else if (entry == StatusNotifierItem::EndSnoozeEntry)
            emit endSnoozeChosen();
        else
            emit restoreChosen();
    });
    connect(&sni_, &StatusNotifierItem::availableChanged, this, [this] {
        Place();
        emit availableChanged();
    });
    XAvailable(); // with no host at start, the X area is followed from now on
}

SystemTrayIcon::~SystemTrayIcon() = default;

// The sizes hosts draw, ARGB32 in network order.
SniPixmaps SystemTrayIcon::PixmapsOf(const QIcon& icon) {
    SniPixmaps pixmaps;
    for (int size : {16, 22, 32, 48}) {
        const QImage image =
            icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32).scaled(size, size);
        QByteArray argb(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
        auto* pixel = reinterpret_cast<quint32*>(argb.data());
        for (qsizetype i = 0; i < argb.size() / 4; ++i)
            pixel[i] = qToBigEndian(pixel[i]);
        pixmaps << SniPixmap{size, size, argb};
    }
    return pixmaps;
}

bool SystemTrayIcon::Available() const {
    return sni_.Available() || XAvailable();
}

// Asked only with no StatusNotifierItem host: Qt then keeps to the X area
// (and follows it) for the rest of the run, never to an item of its own.
bool SystemTrayIcon::XAvailable() const {
    if (sni_.Available() || QGuiApplication::platformName() != QStringLiteral("xcb"))
        return false;
    X();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QSystemTrayIcon& SystemTrayIcon::X() const {
    if (tray)
        return *tray;
    mnuTray = std::make_unique<QMenu>();
    mnuTray->setObjectName("mnuTray");
    mnuStop = AddItem(QStringLiteral("Stop"), "mnuStop", &TrayIcon::stopChosen);
    mnuStop->setVisible(false);
    mnuEndSnooze =
        AddItem(QStringLiteral("スヌーズを終了"), "mnuEndSnooze", &TrayIcon::endSnoozeChosen);
    mnuEndSnooze->setVisible(false);
    AddItem(QStringLiteral("復元"), "mnuRestore", &TrayIcon::restoreChosen);
    auto* self = const_cast<SystemTrayIcon*>(this);
    tray = new QSystemTrayIcon(icon_, self);
    tray->setToolTip(QStringLiteral("Vendrix staying resident"));
    tray->setContextMenu(mnuTray.get());
    // Qt's X icon follows the X tray selection; it says so through this
    // signal of the platform's native interface, a QObject whose class Qt
    // keeps private.
    if (QObject* native = reinterpret_cast<QObject*>(QGuiApplication::platformNativeInterface())) {
        QSystemTrayIcon::isSystemTrayAvailable(); // Qt starts following the selection once asked
        connect(native, SIGNAL(systemTrayWindowChanged(QScreen*)), self, SLOT(XChanged()));
    }
    return *tray;
}

QAction* SystemTrayIcon::AddItem(const QString& text, const char* name,
                                 void (TrayIcon::*chosen)()) const {
    QAction* item = mnuTray->addAction(text);
    item->setObjectName(name);
    connect(item, &QAction::triggered, this, chosen);
    return item;
}

// In the StatusNotifierItem host when there is one, else in the X area.
void SystemTrayIcon::Place() {
    const bool hosted = sni_.Available();
    sni_.Show(shown_ && hosted);
    if (tray)
        tray->setVisible(shown_ && !hosted && XAvailable());
}

void SystemTrayIcon::Show() {
    shown_ = true;
    Place();
}

void SystemTrayIcon::Hide() {
    shown_ = false;
    Place();
}

void SystemTrayIcon::OfferStop(bool offered) {
    sni_.Offer(StatusNotifierItem::StopEntry, offered);
    if (mnuStop)
        mnuStop->setVisible(offered);
}

void SystemTrayIcon::OfferEndSnooze(bool offered) {
    sni_.Offer(StatusNotifierItem::EndSnoozeEntry, offered);
    if (mnuEndSnooze)
        mnuEndSnooze->setVisible(offered);
}

void SystemTrayIcon::XChanged() {
    Place();
    emit availableChanged();
}
