// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The window as the alarm clock drives it.
class ClockView {
public:
    virtual ~ClockView() = default;
    // Shown, not minimised, not in the notification area.
    virtual bool InView() const = 0;
    // Still minimised, as far as can be known (on Wayland, nothing says it
    // came back, and so it has not).
    virtual bool Minimised() const = 0;
    virtual void ShowNextAlarm(const QString& text) = 0; // lblAlerm
    virtual void ShowSnooze(bool shown) = 0;             // lblSnz
    virtual void ShowStop(bool shown) = 0;               // cmdStop
    virtual void ShowSwitch(int position) = 0;           // the lblSw highlight
    // That no sound can be made now, while an alarm rings (lblNoSound).
    virtual void ShowSilent(bool silent) = 0;
    // The task bar marks the window as needing attention.
    virtual void AskAttention() = 0;
    // In front of the others, at its former size and place.
    virtual void ShowWindow() = 0;
    // Out of sight, into the notification area.
    virtual void HideWindow() = 0;
    // Minimised on the task bar, from out of sight.
    virtual void ShowMinimised() = 0;
    // A message in the window that does not hold up the clock.
    virtual void Tell(const QString& text) = 0;
    // The slot the editor holds changes to that are not registered; 0: none.
    virtual int EditedSlot() const = 0;
    // The settings changed under the editor: it shows them, keeping the
    // user's changes when `keepEdits`.
    virtual void ShowSettings(bool keepEdits) = 0;
};
