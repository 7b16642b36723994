// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for logind in the end-to-end tests: it owns org.freedesktop.login1
// on the system bus and answers Inhibit with one end of a pipe, printing
// "inhibit WHAT WHO MODE" on standard output, and "released" once every copy
// of that end is closed.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QSocketNotifier>
#include <QTextStream>
#include <fcntl.h>
#include <unistd.h>

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

private:
    static void Print(const QString& line) { QTextStream(stdout) << line << Qt::endl; }
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    Manager manager;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/login1"), &manager,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.login1")))
        return 1;
    return QCoreApplication::exec();
}

#include "logind_server.moc"
