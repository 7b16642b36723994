// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The standard alarm sound.
class AlarmSound {
public:
    virtual ~AlarmSound() = default;
    // Sounds once from the beginning, cutting a sound under way.
    virtual void Play() = 0;
    // Sounds over and over until StopLoop.
    virtual void StartLoop() = 0;
    virtual void StopLoop() = 0;
};
