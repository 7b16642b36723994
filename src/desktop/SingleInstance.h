// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

// One copy of Vendrix per settings file: a second start tells the first to
// come to the front and exits, so no alarm rings twice and no copy
// overwrites the other's settings. A lock file decides which copy is the
// one, atomically, even for two started at the same instant.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& iniPath);
    // False when another copy runs; it has been asked to come forward.
    bool IsPrimary();

signals:
    void activated();

private:
    void RaiseOther();

    QString name_;
    QLockFile lock_;
    QLocalServer server_;
};
