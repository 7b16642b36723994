// SPDX-License-Identifier: GPL-3.0-or-later
#include "AlarmClock.h"

#include "ClockLogging.h"
#include "UserWords.h"

AlarmClock::AlarmClock(const QString& iniPath, AlarmActions& actions, const Desktop& desktop,
                       ClockView& view)
    : keeper_(iniPath, [&view] { return view.EditedSlot(); }), settings_(keeper_.Table()),
      scheduler_(settings_, state_, actions, *this), notifications_(desktop.notifications),
      tray_(desktop.tray), wake_(desktop.wake, desktop.inhibitor),
      ringVolume_(desktop.volume, desktop.volumeRecord),
      quietNotice_(desktop.volume, desktop.notifications),
      audibility_(desktop.sound, desktop.volume), placement_(desktop.tray, view), view_(view) {
    FollowTheScheduler();
    FollowTheDesktop(desktop.wake);
    FollowTheSettings();
}

// A ring, its end, a fallback, missed rings; a sound unheard, and heard again.
void AlarmClock::FollowTheScheduler() {
    connect(&scheduler_, &AlarmScheduler::ringing, this, &AlarmClock::AlarmRinging);
    connect(&scheduler_, &AlarmScheduler::fellBack, this, &AlarmClock::AlarmFellBack);
    connect(&scheduler_, &AlarmScheduler::missed, this, &AlarmClock::AlarmsMissed);
    connect(&scheduler_, &AlarmScheduler::quiet, this, &AlarmClock::AlarmsQuiet);
    connect(&audibility_, &Audibility::silenced, this, &AlarmClock::Silenced);
    connect(&audibility_, &Audibility::heard, this, &AlarmClock::Heard);
}

// What the user chooses outside the window: in the ring's notification, in
// the notification area's menu; and a wake that cannot be set.
void AlarmClock::FollowTheDesktop(WakeTimer& wake) {
    connect(&notifications_, &Notifications::stopInvoked, this, &AlarmClock::cmdStop_Click);
    connect(&notifications_, &Notifications::endSnoozeInvoked, this, &AlarmClock::EndSnooze);
    connect(&notifications_, &Notifications::restoreInvoked, this, &AlarmClock::Restore);
    connect(&tray_, &TrayIcon::stopChosen, this, &AlarmClock::cmdStop_Click);
    connect(&tray_, &TrayIcon::endSnoozeChosen, this, &AlarmClock::EndSnooze);
    connect(&tray_, &TrayIcon::restoreChosen, this, &AlarmClock::Restore);
    connect(&wake, &WakeTimer::unavailable, this, &AlarmClock::OnWakeUnavailable);
}

// What happens to the settings file is told in the window while Vendrix
// runs, and by a notification as it ends, when no window is left to see.
void AlarmClock::FollowTheSettings() {
    const auto tell = [this](const QString& text) {
        if (text.isEmpty())
            return;
        if (ending_)
            notifications_.ShowNotice(QStringLiteral("Vendrix"), text);
        else
            view_.Tell(text);
    };
    connect(&keeper_, &SettingsKeeper::loaded, this,
            [this, tell](const SettingsFile::Loaded& found) {
                tell(Words::LoadTrouble(found, IniPath()));
            });
    connect(&keeper_, &SettingsKeeper::keptAside, this,
            [this, tell](const QString& kept) { tell(Words::KeptAside(IniPath(), kept)); });
    connect(&keeper_, &SettingsKeeper::editKeptBeside, this,
            [tell](const QString& kept) { tell(Words::EditKeptBeside(kept)); });
    connect(&keeper_, &SettingsKeeper::saveFailed, this,
            [this, tell](const Failure& why) { tell(Words::SaveFailed(IniPath(), why)); });
    connect(&keeper_, &SettingsKeeper::savedBeside, this,
            [this, tell](const QString& beside) { tell(Words::SavedBeside(IniPath(), beside)); });
    connect(&keeper_, &SettingsKeeper::editTakenIn, this, &AlarmClock::EditTakenIn);
}

void AlarmClock::Started(qint64 realMs) {
    scheduler_.StartedAt(realMs);
}

int AlarmClock::Load() {
    keeper_.Load();
    SetSwitch(settings_.Switch);
    return settings_.CurrentID;
}

ClockFace AlarmClock::Tick(const QDateTime& now, qint64 bootMs) {
    const QTime time = now.time();
    const ClockFace face = clock_.Tick(now.date(), time.hour(), time.minute());
    if (face.Scan) {
        scheduler_.Scan({now.toMSecsSinceEpoch(), bootMs, WallTime::ZoneOf(now)});
        const std::optional<NextRingTime> next = scheduler_.NextRing();
        wake_.Follow(now.toSecsSinceEpoch(), next ? std::optional(next->At) : std::nullopt);
        if (!wake_.Ringing())
            quietNotice_.Check(now, wake_.NextRing());
    }
    return face;
}

// Whoever relies on an alarm through the night learns that the computer will
// not be woken for it: once for each reason, not again at the next start.
void AlarmClock::OnWakeUnavailable(const QString& why) {
    if (why == settings_.WakeNoticeTold)
        return;
    settings_.WakeNoticeTold = why;
    notifications_.ShowNotice(QStringLiteral("Vendrix"), Words::CannotWake(why));
}

void AlarmClock::SetSwitch(int index) {
    scheduler_.lblSw_Click(index);
    toldOff_ = toldOff_ && settings_.Switch == SwitchOff;
}

// The switch is kept as soon as it moves: a crash, a power cut or a hand edit
// of the file does not set it back, and the start at login sees it.
void AlarmClock::lblSw_Click(int index) {
    SetSwitch(index);
    keeper_.Store();
}

void AlarmClock::cmdStop_Click() {
    scheduler_.cmdStop_Click();
}

void AlarmClock::EndSnooze() {
    scheduler_.EndSnoozes();
}

void AlarmClock::ChooseSlot(int n) {
    settings_.CurrentID = qint16(n);
}

void AlarmClock::Committed(int n, const AlarmSlot& slot, int snoozeInt) {
    settings_.AlarmTable[n] = slot;
    settings_.SnoozeInt = qint16(snoozeInt);
    scheduler_.SlotCommitted(n);
    keeper_.Store();
    WarnIfOff();
}

// A fresh copy starts at OFF: whoever sets an alarm there is told, once,
// that it will not ring.
void AlarmClock::WarnIfOff() {
    if (settings_.Switch != SwitchOff || !settings_.AnyOn() || toldOff_)
        return;
    toldOff_ = true;
    notifications_.ShowNotice(QStringLiteral("Vendrix"), Words::SwitchIsOff());
}

void AlarmClock::TestAction(int command, const QString& wav, const QString& exec) {
    scheduler_.TestAction(command, wav, exec);
}

void AlarmClock::Minimised() {
    placement_.Minimised();
}

void AlarmClock::Restore() {
    placement_.Restore();
    notifications_.CloseRing();
}

// Closing ends Vendrix; whoever closes it with an alarm armed learns that
// nothing will ring, and how to keep it waiting instead.
void AlarmClock::Closed() {
    if (settings_.Armed())
        notifications_.ShowNotice(Words::ClosedSummary(), Words::ClosedWithAlarms());
}

void AlarmClock::Save() {
    ending_ = true;
    ringVolume_.PutBack();
    keeper_.StoreAtExit();
}

// What an edit of the file changed starts afresh, as if registered.
void AlarmClock::EditTakenIn(const QList<int>& changed, bool switched, bool keepEdits) {
    for (int n : changed)
        scheduler_.SlotCommitted(n);
    if (switched)
        SetSwitch(settings_.Switch);
    view_.ShowSettings(keepEdits);
}

void AlarmClock::ShowNextAlarm(std::optional<AlarmTime> next) {
    view_.ShowNextAlarm(Words::Alarm(next));
}

void AlarmClock::SetSnoozeShown(bool shown) {
    view_.ShowSnooze(shown);
    tray_.OfferEndSnooze(shown);
}

// Stop is offered wherever the alarm can be noticed.
void AlarmClock::SetStopShown(bool shown) {
    view_.ShowStop(shown);
    tray_.OfferStop(shown);
    audibility_.Sounding(shown);
}

// Once nothing rings or sounds, the ring's notification goes, the output is
// put back and the computer may sleep again.
void AlarmClock::AlarmsQuiet() {
    notifications_.CloseRing();
    view_.ShowSilent(false);
    ringVolume_.PutBack();
    wake_.RingEnded();
}

void AlarmClock::ShowSwitch(int position) {
    view_.ShowSwitch(position);
}

void AlarmClock::RingStarted() {
    ringVolume_.Raise();
    wake_.RingStarted();
}

bool AlarmClock::InSeries() const {
    return state_.TotalSnoozeCount() > 0;
}

QString AlarmClock::AlarmTitle() const {
    const AlarmSlot& slot = settings_.AlarmTable[ringing_];
    return ringing_ > 0 ? Words::Alarm(AlarmTime{slot.Hour, slot.Minute})
                        : QStringLiteral("Vendrix");
}

// An alarm that rings where the window cannot be seen shows a notification
// to stop it from; in view, the window asks for attention.
void AlarmClock::AlarmRinging(int n) {
    ringing_ = n;
    RingStarted();
    const AlarmSlot& slot = settings_.AlarmTable[n];
    ringBody_ = slot.Command == CommandWav ? Words::NameOf(slot.WAV) : Words::StandardAlarm();
    if (view_.InView())
        return view_.AskAttention();
    notifications_.ShowRing(AlarmTitle(), ringBody_, InSeries());
}

// Told in view too: nothing else says why the standard alarm rings instead.
void AlarmClock::AlarmFellBack(int n, const QString& why) {
    ringing_ = n;
    RingStarted();
    if (view_.InView())
        view_.AskAttention();
    ringBody_ = Words::FellBack(settings_.AlarmTable[n], why);
    notifications_.ShowRing(AlarmTitle(), ringBody_, InSeries());
}

// Alarms a jump of the clock stepped over do not ring, but whoever relied on
// them learns of it.
void AlarmClock::AlarmsMissed(const MissedRings& missed) {
    static const char* const logged[] = {"the computer slept", "the clock was set forward",
                                         "the time zone changed"};
    QStringList times;
    for (const QDateTime& at : missed.At)
        times << at.toString(at.date() == missed.Today ? QStringLiteral("HH:mm")
                                                       : QStringLiteral("yyyy-MM-dd HH:mm"));
    qCWarning(lcClock).noquote() << "missed, as" << logged[missed.Why] << "past"
                                 << times.join(", ");
    notifications_.ShowNotice(Words::MissedSummary(), Words::Missed(missed));
}

// Without sound an alarm would pass unnoticed: the window comes forward and
// says so, and so does the notification, until the sound can be heard.
void AlarmClock::Silenced(Silence why) {
    Restore();
    view_.ShowSilent(true);
    notifications_.ShowRing(AlarmTitle(), Words::CannotSound(why), InSeries());
}

void AlarmClock::Heard() {
    view_.ShowSilent(false);
    if (view_.InView())
        notifications_.CloseRing();
    else
        notifications_.ShowRing(AlarmTitle(), ringBody_, InSeries());
}
