// SPDX-License-Identifier: GPL-3.0-or-later
#include "RingVolume.h"

#include "ClockLogging.h"
#include "RegularFile.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <optional>

namespace {

using Level = OutputVolume::Level;

constexpr qint64 RecordLimit = 64 * 1024; // a line an output: far more than any machine has
constexpr int LoudestPercent = 153;       // as far as the desktop's sound settings go
constexpr int ChannelsAtMost = 32;
constexpr int SettleMs = 2'000; // for a server back from a restart to set its outputs

// The server keeps volumes finer than percent: a step either way is the same.
bool Shows(const Level& now, const Level& level) {
    return now.Present && now.Muted == level.Muted && std::abs(now.Percent - level.Percent) <= 1;
}

int PercentOf(quint32 channel) {
    return int((quint64(channel) * 100 + 32768) / 65536);
}

// A line of the record: the output; mute, percent and channels found; mute
// and percent raised to.
QByteArray LineOf(const QByteArray& output, const Level& found, const Level& to) {
    QByteArrayList channels;
    for (quint32 channel : found.Channels)
        channels << QByteArray::number(channel);
    return QByteArrayList{output.toPercentEncoding(),
                          found.Muted ? "1" : "0",
                          QByteArray::number(found.Percent),
                          channels.join(','),
                          to.Muted ? "1" : "0",
                          QByteArray::number(to.Percent)}
               .join('\t') +
           '\n';
}

bool Flag(const QByteArray& field, bool& value) {
    value = field == "1";
    return field == "0" || field == "1";
}

// What a ring raised and what it found, read back; none when anything does
// not fit what a ring writes: no value in it can set an output louder than
// it was found, nor than half.
std::optional<std::pair<Level, Level>> ParseLine(const QByteArray& line) {
    const QByteArrayList fields = line.split('\t');
    if (fields.size() != 6)
        return std::nullopt;
    Level found{true, true, QByteArray::fromPercentEncoding(fields[0]), false, 0, {}};
    Level to{true, true, found.Output, false, 0, {}};
    bool numbers[2]{};
    found.Percent = fields[2].toInt(&numbers[0]);
    to.Percent = fields[5].toInt(&numbers[1]);
    const QByteArrayList channels = fields[3].split(',');
    if (!Flag(fields[1], found.Muted) || !Flag(fields[4], to.Muted) || to.Muted || !numbers[0] ||
        !numbers[1] || found.Output.isEmpty() || found.Output.size() > 255 || found.Percent < 0 ||
        found.Percent > LoudestPercent || to.Percent != std::max(found.Percent, RingVolume::Half) ||
        channels.size() > ChannelsAtMost)
        return std::nullopt;
    int loudest = 0;
    for (const QByteArray& channel : channels) {
        bool number = false;
        found.Channels << channel.toUInt(&number);
        loudest = std::max(loudest, PercentOf(found.Channels.last()));
        if (!number || loudest > found.Percent + 1)
            return std::nullopt;
    }
    return std::pair{found, to};
}

} // namespace

RingVolume::RingVolume(OutputVolume& output, QString record)
    : output_(output), record_(std::move(record)) {
    settle_.setSingleShot(true);
    settle_.setInterval(SettleMs);
    connect(&settle_, &QTimer::timeout, this, &RingVolume::Changed);
    connect(&output_, &OutputVolume::changed, this, &RingVolume::Changed);
    ReadRecord();
}

// The record is the program's own, in a folder only the user can enter;
// still, whatever stands there is read only if it is a small regular file,
// not through a link, and only whole and sound.
void RingVolume::ReadRecord() {
    if (record_.isEmpty())
        return;
    const Result<QByteArray> bytes = ReadRegular(record_, RecordLimit, true);
    if (!bytes && bytes.Error().Error == ENOENT)
        return;
    QMap<QByteArray, Raised> owed;
    bool sound = bool(bytes);
    for (const QByteArray& line : bytes ? bytes->split('\n') : QByteArrayList{}) {
        const auto levels = line.isEmpty() ? std::nullopt : ParseLine(line);
        sound = sound && (line.isEmpty() || levels);
        if (levels)
            owed.insert(levels->first.Output, {levels->first, levels->second, false, false, {}});
    }
    if (sound) {
        raised_ = owed;
        written_ = *bytes;
        return;
    }
    qCWarning(lcClock).noquote()
        << (QStringLiteral("%1 is not a record of a ring's volume (%2); no output is put "
                           "back from it, and it is removed")
                .arg(record_, bytes ? QStringLiteral("values out of place") : bytes.Error().Why));
    QFile::remove(record_);
}

bool RingVolume::TooQuiet(const Level& level) {
    return level.Known && (!level.Present || level.Muted || level.Percent < Half);
}

void RingVolume::Raise() {
    ringing_ = true;
    RaiseDefault();
}

void RingVolume::RaiseDefault() {
    const Level now = output_.Current();
    if (!now.Present || dealtWith_.contains(now.Output))
        return;
    dealtWith_ << now.Output;
    if (!TooQuiet(now))
        return;
    Level to = now;
    to.Muted = false;
    if (now.Percent < Half) {
        to.Percent = Half;
        to.Channels.clear(); // every channel to half
    }
    qCDebug(lcClock).noquote()
        << QStringLiteral("the sound output %1 was %2 at %3 %; brought up to %4 % for the ring")
               .arg(QString::fromUtf8(now.Output),
                    now.Muted ? QStringLiteral("muted") : QStringLiteral("on"))
               .arg(now.Percent)
               .arg(to.Percent);
    raised_.insert(now.Output, {now, to, true, false, {}});
    Write();
    output_.Set(to);
}

// What is still there is put back at once; an output away with the server
// is owed its put-back until it is there again.
void RingVolume::PutBack() {
    ringing_ = false;
    dealtWith_.clear();
    for (auto it = raised_.begin(); it != raised_.end();) {
        if (!std::exchange(it->Ringing, false)) {
            ++it;
        } else if (output_.Of(it.key()).Present) {
            output_.Set(it->Found);
            it = raised_.erase(it);
        } else {
            ++it;
        }
    }
    Write();
}

void RingVolume::Changed() {
    for (auto it = raised_.begin(); it != raised_.end();) {
        const Level now = output_.Of(it.key());
        if (it->Ringing ? Follow(*it, now) : Owed(*it, now))
            ++it;
        else
            it = raised_.erase(it);
    }
    if (ringing_)
        RaiseDefault();
    Write();
}

// During the ring: once the output has shown the raised level, any other is
// the user's, and stands; before, a level too quiet is the server's (one
// that came back from a restart as it was), and is raised again.
bool RingVolume::Follow(Raised& raised, const Level& now) {
    if (!now.Present) {
        raised.Reached = false;
        return true;
    }
    if (Shows(now, raised.To)) {
        raised.Reached = true;
        return true;
    }
    if (raised.Reached)
        return false;
    if (TooQuiet(now))
        output_.Set(raised.To);
    return true;
}

// After the ring (or the run) that raised it: put back once the output shows
// the raised level; an output there at any other level for a moment has been
// set since, by the user or by a server that never kept the raise.
bool RingVolume::Owed(Raised& owed, const Level& now) {
    if (!now.Present) {
        owed.Seen.invalidate();
        return true;
    }
    if (Shows(now, owed.To)) {
        qCInfo(lcClock).noquote() << QStringLiteral("the sound output %1 was left raised by a "
                                                    "ring; put back")
                                         .arg(QString::fromUtf8(owed.Found.Output));
        output_.Set(owed.Found);
        return false;
    }
    if (!owed.Seen.isValid())
        owed.Seen.start();
    if (owed.Seen.elapsed() >= SettleMs)
        return false;
    if (!settle_.isActive())
        settle_.start();
    return true;
}

void RingVolume::Write() {
    QByteArray record;
    for (auto it = raised_.begin(); it != raised_.end(); ++it)
        record += LineOf(it.key(), it->Found, it->To);
    if (record_.isEmpty() || record == written_)
        return;
    written_ = record;
    if (record.isEmpty()) {
        QFile::remove(record_);
        return;
    }
    if (const Status kept = ReplaceWhole(record_, record, 0600); !kept)
        qCWarning(lcClock).noquote()
            << QStringLiteral("cannot keep %1: a crash during the ring would leave the output "
                              "raised (%2)")
                   .arg(record_, kept.Error().Why);
}
