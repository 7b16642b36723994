// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

// SIGTERM, SIGINT and SIGHUP (a logout or shutdown) delivered to the event
// loop, so the program ends through its normal shutdown and saves.
class UnixSignals : public QObject {
    Q_OBJECT
public:
    explicit UnixSignals(QObject* parent = nullptr);

signals:
    void received();
};
