// SPDX-License-Identifier: GPL-3.0-or-later
#include "DBusNotifications.h"

#include "DesktopLogging.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <limits>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
const QString StopKey = QStringLiteral("stop");
const QString RestoreKey = QStringLiteral("restore");
const QString EndSnoozeKey = QStringLiteral("end-snooze");

QDBusMessage Call(const QString& method) {
    return QDBusMessage::createMethodCall(Service, Path, Interface, method);
}

// Urgency 2 (critical) for a ring; a timeout of 0: it stays until acted on or closed.
QDBusMessage Notify(uint replaces, const QString& summary, const QString& body,
                    const QStringList& actions, uchar urgency) {
    QDBusMessage notify = Call(QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(urgency)},
                            {QStringLiteral("desktop-entry"), QStringLiteral("vendrix")}};
    notify << QStringLiteral("Vendrix") << replaces << QStringLiteral("vendrix") << summary << body
           << actions << hints << 0;
    return notify;
}

} // namespace

bool DBusNotifications::Connect() {
    if (connected_)
        return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        Fail(bus.lastError().message());
        return false;
    }
    bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnAction(uint, QString)));
    bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                SLOT(OnClosed(uint, uint)));
    connected_ = true;
    return true;
}

void DBusNotifications::Fail(const QString& why) {
    failing_.Tell(QStringLiteral("no desktop notifications (%1); alarms ring as before").arg(why));
}

void DBusNotifications::ShowRing(const QString& summary, const QString& body, bool inSeries) {
    closeWhenShown_ = false;
    if (pending_) { // replaces the one on its way, once its id is known
        queued_ = Ring{summary, body, inSeries};
        return;
    }
    if (!Connect())
        return;
    QStringList actions{StopKey, QStringLiteral("Stop")};
    if (inSeries)
        actions << EndSnoozeKey << QStringLiteral("スヌーズを終了");
    const QDBusMessage notify =
        Notify(id_, summary, body, actions + QStringList{RestoreKey, QStringLiteral("復元")}, 2);
    pending_ = true;
    // No deadline: a daemon that answers late still says which notification
    // it shows, so that one for a ring already over is closed at once.
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(notify, std::numeric_limits<int>::max()), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<uint> reply = *w;
        w->deleteLater();
        pending_ = false;
        if (reply.isError())
            return Fail(reply.error().message());
        id_ = reply.value();
        shown_ = true;
        if (queued_) {
            const Ring ring = *std::exchange(queued_, std::nullopt);
            ShowRing(ring.Summary, ring.Body, ring.InSeries);
        } else if (closeWhenShown_) {
            CloseRing();
        }
    });
}

void DBusNotifications::CloseRing() {
    if (pending_) {
        closeWhenShown_ = true;
        queued_.reset();
        return;
    }
    if (!shown_)
        return;
    QDBusMessage close = Call(QStringLiteral("CloseNotification"));
    close << id_;
    QDBusConnection::sessionBus().asyncCall(close);
    shown_ = false;
}

void DBusNotifications::ShowNotice(const QString& summary, const QString& body) {
    if (Connect())
        QDBusConnection::sessionBus().asyncCall(Notify(0, summary, body, {}, 1));
}

void DBusNotifications::ShowNoticeNow(const QString& summary, const QString& body) {
    if (Connect())
        QDBusConnection::sessionBus().call(Notify(0, summary, body, {}, 1), QDBus::Block, 3000);
}

void DBusNotifications::OnAction(uint id, const QString& key) {
    if (id != id_)
        return;
    if (key == StopKey)
        emit stopInvoked();
    else if (key == EndSnoozeKey)
        emit endSnoozeInvoked();
    else if (key == RestoreKey)
        emit restoreInvoked();
}

void DBusNotifications::OnClosed(uint id, uint) {
    if (id == id_)
        shown_ = false;
}
