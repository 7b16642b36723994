// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Notifications.h"
#include "OutputVolume.h"

#include <QDateTime>
#include <optional>

// An alarm within the next twelve hours on an output that is muted, turned
// down or missing is told ahead, once each time it comes to be so.
class QuietNotice {
public:
    // Seconds: an output too quiet for an alarm this near is told.
    static constexpr qint64 Ahead = 12 * 3600;

    QuietNotice(OutputVolume& volume, Notifications& notifications);

    // At a scan while nothing rings: a ring raises the output, and what it
    // puts back afterwards is no news.
    void Check(const QDateTime& now, std::optional<qint64> ring);

private:
    OutputVolume& volume_;
    Notifications& notifications_;
    bool told_ = false; // that the next alarm will raise, or cannot reach, the output
};
