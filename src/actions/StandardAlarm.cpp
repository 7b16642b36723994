// SPDX-License-Identifier: GPL-3.0-or-later
#include "StandardAlarm.h"

#include "ActionsLogging.h"

#include <QFileInfo>

const QString StandardAlarm::BuiltInTone = QStringLiteral(":/vendrix/alerm.wav");

// Only looked at, not opened: whether it can play is found out at each ring.
StandardAlarm::StandardAlarm(SoundServer& server, const QStringList& candidates)
    : path_(BuiltInTone), device_(server, LongestSeconds, {BuiltInTone}) {
    for (const QString& path : candidates) {
        if (QFileInfo::exists(path)) {
            path_ = path;
            break;
        }
    }
    connect(&device_, &SoundDevice::ended, this, &StandardAlarm::Stop);
    connect(&device_, &SoundDevice::failed, this, &StandardAlarm::Stop);
    connect(&device_, &SoundDevice::replaced, this,
            [this](const QString& path, const QString& why) {
                const QString text =
                    QStringLiteral("cannot use %1 as the alarm sound (%2); the tone built "
                                   "into Vendrix plays instead")
                        .arg(path, why);
                if (!told_.contains(text))
                    qCWarning(lcActions).noquote() << text;
                told_ << text;
            });
}

void StandardAlarm::Stop() {
    device_.Stop();
    SetSounding(false);
}

void StandardAlarm::Play() {
    SetSounding(true);
    device_.Play(path_, false);
}

void StandardAlarm::SetSounding(bool sounding) {
    if (sounding == sounding_)
        return;
    sounding_ = sounding;
    emit soundingChanged();
}
