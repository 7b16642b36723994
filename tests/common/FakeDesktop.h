// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Notifications.h"
#include "OutputVolume.h"
#include "SleepInhibitor.h"
#include "SoundStatus.h"
#include "TrayIcon.h"
#include "WakeTimer.h"

#include <QDateTime>
#include <QStringList>

// The notifications the program shows, as "summary | body", the ring's
// with " | スヌーズを終了" when it offers that; the ring's is empty once closed.
class FakeNotifications : public Notifications {
public:
    void ShowRing(const QString& summary, const QString& body, bool inSeries) override {
        ring = summary + " | " + body + (inSeries ? " | スヌーズを終了" : "");
    }
    void CloseRing() override { ring.clear(); }
    void ShowNotice(const QString& summary, const QString& body) override {
        notices << summary + " | " + body;
    }

    QString ring;
    QStringList notices;
};

// A notification area that is there unless told otherwise.
class FakeTray : public TrayIcon {
public:
    bool Available() const override { return available; }
    void Show() override { shown = true; }
    void Hide() override { shown = false; }
    void OfferStop(bool offered) override { stopOffered = offered; }
    void OfferEndSnooze(bool offered) override { endSnoozeOffered = offered; }
    // Its host comes or goes.
    void Become(bool there) {
        available = there;
        emit availableChanged();
    }

    bool available = true;
    bool shown = false;
    bool stopOffered = false;
    bool endSnoozeOffered = false;
};

// The wake times asked for, as local times, in order ("none" when disarmed).
class FakeWakeTimer : public WakeTimer {
public:
    void WakeAt(std::optional<qint64> epochSeconds) override {
        asked << (epochSeconds
                      ? QDateTime::fromSecsSinceEpoch(*epochSeconds).toString("MM-dd hh:mm:ss")
                      : QStringLiteral("none"));
    }
    QStringList asked;
};

class FakeInhibitor : public SleepInhibitor {
public:
    void Hold() override { held = true; }
    void Release() override { held = false; }
    bool held = false;
};

// Outputs at full volume unless told otherwise, "speakers" the default;
// what is set, they show.
class FakeOutputVolume : public OutputVolume {
public:
    Level Current() const override { return Of(defaultOutput); }
    Level Of(const QByteArray& output) const override {
        return outputs.value(output, Level{true, false, output, false, 0, {}});
    }
    void Set(const Level& to) override {
        Level& level = outputs[to.Output];
        level.Channels =
            to.Channels.isEmpty() ? QList<quint32>{quint32(to.Percent * 655)} : to.Channels;
        UserSets(to.Muted, to.Percent, to.Output);
    }
    void UserSets(bool muted, int percent, const QByteArray& output = "speakers") {
        Level& level = outputs[output];
        level = Level{true, true, output, muted, percent, level.Channels};
        emit changed();
    }
    QByteArray defaultOutput = "speakers";
    QHash<QByteArray, Level> outputs{{"speakers", {true, true, "speakers", false, 100, {65536}}}};
};

// The sound server's word on what plays, as a test says it.
class FakeSoundStatus : public SoundStatus {
public:
    void Silence(::Silence why) { emit silenced(why, QStringLiteral("as the test says")); }
    void Play() { emit playing(); }
};
