// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one alarm scan: a simulated year at one scan a second, all twenty
// slots armed with different times, types and actions that do nothing.
#include "AlarmScheduler.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <cstdio>

namespace {
struct SilentActions : AlarmActions {
    void PlayStandardAlarm() override {}
    void PlayWav(const QString&, int) override {}
    void StopWav() override {}
    void StopStandardAlarm() override {}
    void LaunchExec(const QString&) override {}
    bool Sounding() const override { return false; }
};
struct SilentIndicators : Indicators {
    void ShowNextAlarm(std::optional<AlarmTime>) override {}
    void SetSnoozeShown(bool) override {}
    void SetStopShown(bool) override {}
    void ShowSwitch(int) override {}
};
} // namespace

int main() {
    Settings settings;
    settings.SetDefaults();
    settings.Switch = SwitchSnooze;
    for (int n = 1; n <= SlotCount; ++n) {
        AlarmSlot& slot = settings.AlarmTable[n];
        slot.Hour = qint16(n % 24);
        slot.Minute = qint16(n * 7 % 60);
        slot.State = qint16(1 + n % 3);
        slot.Command = qint16(n % 3);
        slot.Month = qint16(1 + n % 12);
        slot.Day = qint16(1 + n % 28);
        slot.WeekSwitch = {1, 0, 1, 0, 1, 0, 1};
        slot.Repeat = 1;
    }
    AlarmState state;
    SilentActions actions;
    SilentIndicators indicators;
    AlarmScheduler scheduler(settings, state, actions, indicators);

    // The scan alone, then with the next ring the wake timer follows; the
    // zone's rules as the program reads them, the system's local time.
    const ZoneRule zone = WallTime::ZoneOf(QDateTime::currentDateTime());
    const qint64 scans = 365LL * 86400;
    for (const bool nextRing : {false, true}) {
        qint64 realMs = QDateTime(QDate(2027, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
        qint64 rings = 0;
        QElapsedTimer timer;
        timer.start();
        for (qint64 i = 0; i < scans; ++i, realMs += 1000) {
            scheduler.Scan({realMs, realMs, zone});
            if (nextRing)
                rings += scheduler.NextRing().has_value();
        }
        const double ns = double(timer.nsecsElapsed()) / double(scans);
        std::printf("scans: %lld (%lld next rings)\nns per scan%s: %.1f\n", scans, rings,
                    nextRing ? " and next ring" : "", ns);
    }
    return 0;
}
