// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

// Keeps the computer from going to sleep (a closed lid included) while held.
class SleepInhibitor : public QObject {
    Q_OBJECT
public:
    virtual void Hold() = 0;
    virtual void Release() = 0;
};
