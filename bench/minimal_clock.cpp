// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick: the smallest Qt Widgets clock, a label rewritten every 500 ms.
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel label;
    label.setWindowTitle(QStringLiteral("Minimal clock"));
    label.resize(425, 49);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &label, [&label] {
        label.setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")));
    });
    timer.start(500);
    label.show();
    return QApplication::exec();
}
