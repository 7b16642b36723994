// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Notifications.h"
#include "OutputVolume.h"
#include "SleepInhibitor.h"
#include "SoundStatus.h"
#include "TrayIcon.h"
#include "WakeTimer.h"

// The desktop services the alarm clock works with.
struct Desktop {
    Notifications& notifications;
    TrayIcon& tray;
    WakeTimer& wake;
    SleepInhibitor& inhibitor;
    OutputVolume& volume;
    SoundStatus& sound;
    // Where what a ring raised is kept until it is put back (none when empty).
    QString volumeRecord = {};
};
