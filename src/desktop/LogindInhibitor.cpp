// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogindInhibitor.h"

#include "DesktopLogging.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

void LogindInhibitor::Hold() {
    wanted_ = true;
    if (pending_ || lock_.isValid())
        return;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return Fail(bus.lastError().message());
    QDBusMessage inhibit = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    inhibit << QStringLiteral("sleep:handle-lid-switch") << QStringLiteral("Vendrix")
            << QStringLiteral("アラームが鳴っています") << QStringLiteral("block");
    pending_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(inhibit), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        w->deleteLater();
        pending_ = false;
        if (reply.isError())
            return Fail(reply.error().message());
        lock_ = reply.value();
        if (!wanted_) // released while it was on its way
            Release();
    });
}

void LogindInhibitor::Release() {
    wanted_ = false;
    lock_ = QDBusUnixFileDescriptor(); // closes the descriptor, and so the lock
}

void LogindInhibitor::Fail(const QString& why) {
    failing_.Tell(QStringLiteral("cannot keep the computer awake while an alarm rings (%1); "
                                 "alarms ring as before")
                      .arg(why));
}
