// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClockView.h"
#include "TrayIcon.h"

#include <QObject>

// Where the window goes when it is minimised: into the notification area
// when there is one. Without one, hidden, nothing could bring it back: it
// stays minimised on the task bar, and moves into an area that appears
// (panels often start after the programs of a login), unless the user has
// brought it back meanwhile. An area that goes away while the window is in
// it would leave it out of reach: it comes back, minimised on the task bar,
// to move in again when an area comes.
class TrayPlacement : public QObject {
    Q_OBJECT
public:
    TrayPlacement(TrayIcon& tray, ClockView& view);

    void Minimised();
    // The window is brought back, from wherever it was.
    void Restore();

private:
    void IntoTray();
    void AreaChanged();

    TrayIcon& tray_;
    ClockView& view_;
    bool inTray_ = false;   // hidden, with the icon in the notification area
    bool awaiting_ = false; // minimised on the task bar for want of an area
};
