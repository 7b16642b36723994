// SPDX-License-Identifier: GPL-3.0-or-later
#include "QuietNotice.h"

#include "RingVolume.h"

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
    const QString state =
        level.Muted ? QStringLiteral("ミュート") : QStringLiteral("音量 %1%").arg(level.Percent);
    notifications_.ShowNotice(
        QStringLiteral("アラームの音量"),
        level.Present
            ? QStringLiteral("アラーム %1 が鳴るとき、音量を %2% に上げます（いまは%3）。")
                  .arg(at)
                  .arg(RingVolume::Half)
                  .arg(state)
            : QStringLiteral("音の出力装置がないため、アラーム %1 は鳴らせません。").arg(at));
}
