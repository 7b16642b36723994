// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the desktop's notification service in the end-to-end tests:
// it owns org.freedesktop.Notifications on the session bus, prints every
// Notify and CloseNotification on standard output, and emits ActionInvoked
// when its Invoke method is called (with dbus-send).
#include <QCoreApplication>
#include <QDBusConnection>
#include <QTextStream>
#include <QVariantMap>

class Server : public QObject {
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
    static void Print(const QString& line) { QTextStream(stdout) << line << Qt::endl; }
    uint last_ = 0;
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    Server server;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications")))
        return 1;
    return QCoreApplication::exec();
}

#include "notification_server.moc"
