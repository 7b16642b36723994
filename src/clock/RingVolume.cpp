// SPDX-License-Identifier: GPL-3.0-or-later
#include "RingVolume.h"

#include "ClockLogging.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

namespace {

using Level = OutputVolume::Level;

// The server keeps volumes finer than percent: a step either way is the same.
bool Shows(const Level& now, const Level& level) {
    return now.Present && now.Muted == level.Muted && std::abs(now.Percent - level.Percent) <= 1;
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

std::optional<std::pair<Level, Level>> ParseLine(const QByteArray& line) {
    const QByteArrayList fields = line.split('\t');
    if (fields.size() != 6)
        return std::nullopt;
    Level found{
        true, true, QByteArray::fromPercentEncoding(fields[0]), fields[1] == "1", fields[2].toInt(),
        {}};
    for (const QByteArray& channel : fields[3].split(',')) {
        bool number = false;
        found.Channels << channel.toUInt(&number);
        if (!number)
            return std::nullopt;
    }
    const Level to{true, true, found.Output, fields[4] == "1", fields[5].toInt(), {}};
    return std::pair{found, to};
}

} // namespace

RingVolume::RingVolume(OutputVolume& output, QString record)
    : output_(output), record_(std::move(record)) {
    connect(&output_, &OutputVolume::changed, this, &RingVolume::Changed);
    QFile left(record_);
    if (record_.isEmpty() || !left.open(QIODevice::ReadOnly))
        return;
    written_ = left.readAll();
    for (const QByteArray& line : written_.split('\n')) {
        if (const auto levels = ParseLine(line))
            leftOver_.insert(levels->first.Output, {levels->first, levels->second});
    }
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
    raised_.insert(now.Output, {now, to});
    Write();
    output_.Set(to);
}

void RingVolume::PutBack() {
    ringing_ = false;
    dealtWith_.clear();
    const QMap<QByteArray, Raised> raised = std::exchange(raised_, {});
    Write();
    for (const Raised& output : raised)
        output_.Set(output.Found);
}

// Once an output has shown the raised level, any other is the user's.
void RingVolume::Changed() {
    PutBackLeftOver();
    for (auto it = raised_.begin(); it != raised_.end();) {
        if (Shows(output_.Of(it.key()), it->To))
            it->Reached = true;
        else if (it->Reached) {
            it = raised_.erase(it);
            continue;
        }
        ++it;
    }
    if (ringing_)
        RaiseDefault();
    Write();
}

// What a run that crashed left raised is put back, once the outputs are
// known, where the user has not changed it since.
void RingVolume::PutBackLeftOver() {
    if (leftOver_.isEmpty() || !output_.Current().Known)
        return;
    const QMap<QByteArray, Raised> leftOver = std::exchange(leftOver_, {});
    Write();
    for (const Raised& left : leftOver) {
        if (!Shows(output_.Of(left.Found.Output), left.To))
            continue;
        qCInfo(lcClock).noquote() << QStringLiteral("the sound output %1 was left raised by a "
                                                    "ring that did not end; put back")
                                         .arg(QString::fromUtf8(left.Found.Output));
        output_.Set(left.Found);
    }
}

void RingVolume::Write() {
    QByteArray record;
    for (const auto* levels : {&leftOver_, &raised_}) {
        for (auto it = levels->begin(); it != levels->end(); ++it)
            record += LineOf(it.key(), it->Found, it->To);
    }
    if (record_.isEmpty() || record == written_)
        return;
    written_ = record;
    if (record.isEmpty()) {
        QFile::remove(record_);
        return;
    }
    QSaveFile file(record_);
    if (!file.open(QIODevice::WriteOnly) || file.write(record) != record.size() || !file.commit())
        qCWarning(lcClock).noquote()
            << QStringLiteral("cannot keep %1: a crash during the ring would leave the output "
                              "raised (%2)")
                   .arg(record_, file.errorString());
}
