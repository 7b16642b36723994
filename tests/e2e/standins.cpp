// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-ins for the desktop's services in the end-to-end tests; each prints
// what it is asked on standard output.
//   standins notifications: org.freedesktop.Notifications on the session bus,
//     "notify ID replaces ID urgency U timeout T | SUMMARY | BODY | ACTIONS"
//     and "close ID"; its Invoke method (called with dbus-send) emits
//     ActionInvoked.
//   standins logind: org.freedesktop.login1 on the system bus; Inhibit hands
//     out one end of a pipe, "inhibit WHAT WHO MODE", then "released" once
//     every copy of that end is closed.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QSocketNotifier>
#include <QTextStream>
#include <QVariantMap>
#include <fcntl.h>
#include <unistd.h>

namespace {
void Print(const QString& line) {
    QTextStream(stdout) << line << Qt::endl;
}
} // namespace

class Notifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public slots:
    uint Notify(const QString&, uint replaces, const QString&, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints,
                int timeout) {
        const uint id = replaces != 0 ? replaces : ++last_;
        Print(QStringLiteral("notify %1 replaces %2 urgency %3 timeout %4 | ")
                  .arg(id)
                  .arg(replaces)
                  .arg(hints.value(QStringLiteral("urgency")).toInt())
                  .arg(timeout) +
              QStringList{summary, body, actions.join(u',')}.join(QStringLiteral(" | ")));
        return id;
    }
    void CloseNotification(uint id) {
        Print(QStringLiteral("close %1").arg(id));
        emit NotificationClosed(id, 3);
    }
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }
    void Invoke(uint id, const QString& key) { emit ActionInvoked(id, key); }

signals:
    void ActionInvoked(uint id, const QString& key);
    void NotificationClosed(uint id, uint reason);

private:
    uint last_ = 0;
};

class Manager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString&,
                                    const QString& mode) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return {};
        Print(QStringLiteral("inhibit %1 %2 %3").arg(what, who, mode));
        auto* watch = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
        connect(watch, &QSocketNotifier::activated, this, [watch, ends] {
            char byte;
            if (::read(ends[0], &byte, 1) > 0)
                return;
            Print(QStringLiteral("released"));
            watch->setEnabled(false);
            ::close(ends[0]);
        });
        const QDBusUnixFileDescriptor handed(ends[1]); // a copy of it
        ::close(ends[1]);
        return handed;
    }
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const bool logind = argc > 1 && QByteArray(argv[1]) == "logind";
    Notifications notifications;
    Manager manager;
    QDBusConnection bus = logind ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
    const QString name = logind ? QStringLiteral("login1") : QStringLiteral("Notifications");
    if (!bus.registerObject("/org/freedesktop/" + name,
                            logind ? static_cast<QObject*>(&manager) : &notifications,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
        !bus.registerService("org.freedesktop." + name))
        return 1;
    return QCoreApplication::exec();
}

#include "standins.moc"
