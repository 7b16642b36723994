// SPDX-License-Identifier: GPL-3.0-or-later
#include "QuietNotice.h"

#include "RingVolume.h"
#include "UserWords.h"

QuietNotice::QuietNotice(OutputVolume& volume, Notifications& notifications)
    : volume_(volume), notifications_(notifications) {}

void QuietNotice::Check(const QDateTime& now, std::optional<qint64> ring) {
    const OutputVolume::Level level = volume_.Current();
    const qint64 seconds = now.toSecsSinceEpoch();
    if (!ring || *ring - seconds > Ahead || !RingVolume::TooQuiet(level)) {
        told_ = false;
        return;
    }
    if (std::exchange(told_, true))
        return;
    const QString at = now.addSecs(*ring - seconds).toString(QStringLiteral("HH:mm"));
    notifications_.ShowNotice(Words::QuietSummary(),
                              Words::QuietAhead(level, at, RingVolume::Half));
}
