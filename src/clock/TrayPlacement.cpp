// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrayPlacement.h"

TrayPlacement::TrayPlacement(TrayIcon& tray, ClockView& view) : tray_(tray), view_(view) {
    connect(&tray_, &TrayIcon::availableChanged, this, &TrayPlacement::AreaChanged);
}

void TrayPlacement::Minimised() {
    awaiting_ = !tray_.Available();
    if (!awaiting_)
        IntoTray();
}

void TrayPlacement::IntoTray() {
    view_.HideWindow();
    tray_.Show();
    inTray_ = true;
}

void TrayPlacement::AreaChanged() {
    const bool available = tray_.Available();
    if (available && std::exchange(awaiting_, false) && view_.Minimised())
        return IntoTray();
    if (available || !inTray_)
        return;
    inTray_ = false;
    awaiting_ = true;
    tray_.Hide();
    view_.ShowMinimised();
}

void TrayPlacement::Restore() {
    inTray_ = false;
    awaiting_ = false;
    view_.ShowWindow();
    tray_.Hide();
}
