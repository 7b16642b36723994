// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm clock's glue without a display: what a ring, a Stop, a failure or
// a commit does to the window, the notification-area icon and the desktop
// notifications, on fakes and a clock moved by hand.
#include "AlarmClock.h"
#include "FakeDesktop.h"
#include "IniFile.h"
#include "RecordingActions.h"
#include "TestSupport.h"
#include "TextRules.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

class FakeView : public ClockView {
public:
    bool InView() const override { return inView; }
    bool Minimised() const override { return !inView; }
    void ShowNextAlarm(const QString& text) override { alarm = text; }
    void ShowSnooze(bool shown) override { snooze = shown; }
    void ShowStop(bool shown) override { stop = shown; }
    void ShowSwitch(int) override {}
    void ShowSilent(bool shown) override { silent = shown; }
    void AskAttention() override { attention = true; }
    void ShowWindow() override { inView = true; }
    void HideWindow() override { inView = false; }
    void ShowMinimised() override { minimised = true; }
    void Tell(const QString& text) override { told << text; }
    int EditedSlot() const override { return edited; }
    void ShowSettings(bool keepEdits) override { shownAgain = keepEdits ? "keeping edits" : "all"; }

    bool inView = true;
    bool minimised = false;
    QString alarm;
    bool snooze = false;
    bool stop = false;
    bool attention = false;
    bool silent = false;
    QStringList told;
    int edited = 0;
    QString shownAgain;
};

// An alarm clock on its own alerm.ini (none when empty, in a folder still to
// be made), its clock started at 06:59:58 on a Monday.
const QByteArray DailyAt7 =
    "[Public]\nValidation=x\n[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n";

struct Clock {
    explicit Clock(const QByteArray& ini = DailyAt7, QString volumeRecord = {})
        : path(dir.filePath(ini.isEmpty() ? "new/alerm.ini" : "alerm.ini")),
          record(std::move(volumeRecord)) {
        if (!ini.isEmpty())
            WriteBytes(path, ini);
        clock.Load();
        slot = clock.Table().AlarmTable[1];
    }
    // Registers `slot` as slot 1.
    void Commit() { clock.Committed(1, slot, 5); }
    // The user sets an output ("m/30": muted at 30 %) on its own channels.
    void SetOutput(const QString& level, const QByteArray& output = "speakers") {
        volume.outputs[output].Channels = {123, 456};
        volume.UserSets(level.startsWith('m'), level.mid(2).toInt(), output);
    }
    // How an output stands: "~" when its channels are not the user's.
    QString Output(const QByteArray& output = "speakers") const {
        const OutputVolume::Level level = volume.Of(output);
        return QString("%1/%2%3")
            .arg(level.Muted ? 'm' : 'u')
            .arg(level.Percent)
            .arg(level.Channels == QList<quint32>{123, 456} ? "" : "~");
    }
    // Ticks twice a second for `seconds`.
    void Run(int seconds) {
        for (int i = 0; i < 2 * seconds; ++i) {
            now = now.addMSecs(500);
            clock.Tick(now, bootMs += 500);
        }
    }

    QTemporaryDir dir;
    QString path;
    RecordingActions actions;
    FakeNotifications notifications;
    FakeTray tray;
    FakeWakeTimer wake;
    FakeInhibitor inhibitor;
    FakeOutputVolume volume;
    FakeSoundStatus sound;
    FakeView view;
    QString record;
    AlarmClock clock{
        path, actions, {notifications, tray, wake, inhibitor, volume, sound, record}, view};
    QDateTime now{QDate(2027, 3, 1), QTime(6, 59, 58)}; // local time, as the window hands it
    qint64 bootMs = 0;
    AlarmSlot slot;
};

// Slot 2 set to 09:15, every day, in the file as it stands, as sed -i would.
QByteArray SetSlot2(const QByteArray& file) {
    IniFile ini = IniFile::Parse(file);
    ini.WriteIni("Alerm 2", "Time", "09:15");
    ini.WriteIni("Alerm 2", "State", "1");
    return ini.ToBytes();
}

} // namespace

class TestClock : public QObject {
    Q_OBJECT
private slots:
    // Where a ring is told: the window asks for attention in view, a
    // notification offers Stop out of view; a failure is told either way.
    // All of it ends with the ring.
    void ringIsToldWhereItIsSeen_data() {
        Columns<bool, int, QString, bool, QString>(
            {"inView", "command", "target", "fails", "ring"});
        const QString title = "アラーム 07:00 | ";
        const QString instead = "、標準のアラームを鳴らしています";
        // clang-format off
        Row("standard in view", true, int(CommandStandard), "", false, "");
        Row("standard out of view", false, int(CommandStandard), "", false, title + "標準のアラーム");
        Row("WAV out of view", false, int(CommandWav), "/m/a.wav", false, title + "a.wav");
        Row("failed WAV in view", true, int(CommandWav), "/m/gone.wav", true, title + "gone.wav を鳴らせないので" + instead + "（音が入っていません）");
        Row("failed launch out of view", false, int(CommandLaunch), "/bin/gone?x", true, title + "gone を起動できないので" + instead + "（そのプログラムもファイルもありません）");
        // clang-format on
    }
    void ringIsToldWhereItIsSeen() {
        auto [inView, command, target, fails, ring] = Fetch<bool, int, QString, bool, QString>(
            {"inView", "command", "target", "fails", "ring"});
        Clock c;
        c.view.inView = inView;
        c.slot.Command = qint16(command);
        c.slot.Repeat = 1;
        c.slot.WAV = c.slot.Exec = target;
        c.Commit();
        if (fails)
            c.actions.failing << target;
        c.Run(5);
        QCOMPARE(c.notifications.ring, ring);
        QCOMPARE(c.view.attention, inView);
        QVERIFY(c.view.stop && c.tray.stopOffered);
        c.Run(60);
        QVERIFY(c.notifications.ring.isEmpty() && !c.view.stop && !c.tray.stopOffered);
    }

    // A ring brings a muted or low output up to half, only up, and so any
    // output that becomes the default meanwhile; each is put back exactly as
    // found, unless the user changed it. Steps: "OUTPUT m/30" the user sets an
    // output (muted, 30 %), "default OUTPUT", "ring" (five seconds into the
    // alarm), "stop", "end" (of the ring), "exit"; outputs as they stand then.
    void ringIsHeard_data() {
        Columns<QString, QString>({"steps", "outputs"});
        // clang-format off
        Row("muted: up for the ring, back at Stop", "speakers m/30 ring stop", "speakers m/30");
        Row("turned down: back when the ring ends", "speakers u/2 ring end", "speakers u/2");
        Row("raised while it rings", "speakers m/30 ring", "speakers u/50~");
        Row("muted loud: unmuted only, never turned down", "speakers m/80 ring", "speakers u/80");
        Row("and muted again", "speakers m/80 ring stop", "speakers m/80");
        Row("loud enough: untouched", "speakers u/70 ring stop", "speakers u/70");
        Row("the user's change stands", "speakers m/30 ring speakers u/20 end", "speakers u/20");
        Row("put back at the end of the run", "speakers m/30 ring exit", "speakers m/30");
        Row("another default while it rings: raised too", "speakers m/30 headphones u/2 ring default headphones", "speakers u/50~ headphones u/50~");
        Row("and both put back", "speakers m/30 headphones u/2 ring default headphones stop", "speakers m/30 headphones u/2");
        Row("another default, loud enough: left alone", "speakers m/30 headphones u/90 ring default headphones end", "speakers m/30 headphones u/90");
        Row("lost with the server, back as it was: raised again", "speakers m/20 ring gone speakers m/20", "speakers u/50~");
        Row("and put back after", "speakers m/20 ring gone speakers m/20 end", "speakers m/20");
        Row("back at the raised level: put back after", "speakers m/20 ring gone speakers u/50 end", "speakers m/20");
        Row("away when the ring ends: put back once back", "speakers m/20 ring gone end speakers u/50", "speakers m/20");
        // clang-format on
    }
    void ringIsHeard() {
        auto [steps, outputs] = Fetch<QString, QString>({"steps", "outputs"});
        Clock c;
        const QStringList words = steps.split(' ');
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString& word = words[i];
            if (word == "ring") {
                c.Run(5);
            } else if (word == "stop") {
                c.clock.cmdStop_Click();
            } else if (word == "end") {
                c.Run(AlarmScheduler::StandardRingSeconds);
            } else if (word == "exit") {
                c.clock.Save();
            } else if (word == "gone") {
                c.volume.outputs.clear();
                emit c.volume.changed();
            } else if (word == "default") {
                c.volume.defaultOutput = words[++i].toUtf8();
                emit c.volume.changed();
            } else {
                c.SetOutput(words[++i], word.toUtf8());
            }
        }
        const QStringList expected = outputs.split(' ');
        QStringList shown;
        for (qsizetype i = 0; i < expected.size(); i += 2)
            shown << expected[i] << c.Output(expected[i].toUtf8());
        QCOMPARE(shown.join(' '), outputs);
    }

    // Killed while a ring had an output raised, Vendrix puts it back at the
    // next start, unless the user has changed it since; a record it did not
    // write as it stands is never followed, waited on or trusted.
    void aCrashedRingIsPutBack_data() {
        Columns<QString, QString, QString>({"record", "since", "after"});
        const QString line = "speakers\t1\t30\t%1\t0\t50\n";
        // clang-format off
        Row("untouched since", "", "", "m/30");
        Row("changed by the user since", "", "u/70", "u/70");
        Row("the server not there yet", "", "unknown", "m/30");
        Row("a channel beyond any volume", line.arg("2147483647"), "", "u/50~");
        Row("put back louder than it was found", line.arg("58982"), "", "u/50~");
        Row("raised to other than half", "speakers\t1\t30\t19661\t0\t90\n", "", "u/50~");
        Row("a line out of place beside a sound one", line.arg("19661") + "junk\n", "", "u/50~");
        Row("a link to a sound record", "link", "", "u/50~");
        Row("a FIFO", "fifo", "", "u/50~");
        // clang-format on
    }
    void aCrashedRingIsPutBack() {
        auto [written, since, after] =
            Fetch<QString, QString, QString>({"record", "since", "after"});
        QTemporaryDir dir;
        const QString record = dir.filePath("vendrix.volume");
        QHash<QByteArray, OutputVolume::Level> left;
        {
            Clock crashed(DailyAt7, record);
            crashed.SetOutput("m/30");
            crashed.Run(5);
            QCOMPARE(crashed.Output(), "u/50~");
            left = crashed.volume.outputs;
        } // gone without putting anything back
        const QByteArray sound = ReadBytes(record);
        QFile::remove(record);
        if (written == "link") {
            WriteBytes(dir.filePath("elsewhere"), sound);
            QVERIFY(QFile::link(dir.filePath("elsewhere"), record));
        } else if (written == "fifo") {
            QCOMPARE(::mkfifo(qPrintable(record), 0600), 0);
        } else {
            WriteBytes(record, written.isEmpty() ? sound : written.toUtf8());
        }
        Clock again(DailyAt7, record);
        if (since == "unknown") {
            again.volume.outputs.clear();
            emit again.volume.changed(); // no answer from the server yet
            QVERIFY(QFile::exists(record));
        }
        again.volume.outputs = left;
        if (since.isEmpty() || since == "unknown")
            emit again.volume.changed(); // the server's first answer
        else
            again.SetOutput(since);
        QCOMPARE(again.Output(), after);
        QTRY_VERIFY(!QFileInfo::exists(record) && !QFileInfo(record).isSymLink());
    }

    // An alarm within twelve hours on a muted, turned-down or missing output
    // is told ahead, once each time it comes to be so; what a ring puts back
    // is no news. Steps, a second apart: "m" muted, "u" at full volume, "n" no
    // output, "late" the alarm at 19:30, "ring" through the 07:00 ring, with
    // another alarm at 07:30.
    void quietOutputIsToldAhead_data() {
        Columns<QString, QStringList>({"steps", "told"});
        const QString up =
            "アラームの音量 | アラーム 07:00 が鳴るとき、音量を 50% に上げます（いまは%1）。";
        // clang-format off
        Row("muted", "m", QStringList{up.arg("ミュート")});
        Row("muted twice over", "m u m", QStringList{up.arg("ミュート"), up.arg("ミュート")});
        Row("turned down, then further", "20 10", QStringList{up.arg("音量 20%")});
        Row("no output", "n", QStringList{"アラームの音量 | 音の出力装置がないため、アラーム 07:00 は鳴らせません。"});
        Row("the alarm more than twelve hours ahead", "late m", QStringList{});
        Row("muted through a ring", "m ring", QStringList{up.arg("ミュート")});
        // clang-format on
    }
    void quietOutputIsToldAhead() {
        auto [steps, told] = Fetch<QString, QStringList>({"steps", "told"});
        Clock c;
        c.now = c.now.addSecs(-60);
        for (const QString& step : steps.split(' ')) {
            if (step == "late") {
                c.slot.Hour = 19;
                c.slot.Minute = 30;
                c.Commit();
            } else if (step == "ring") {
                AlarmSlot later = c.slot;
                later.Minute = 30;
                c.clock.Committed(2, later, 5);
                c.Run(60 + AlarmScheduler::StandardRingSeconds);
            } else if (step == "n") {
                c.volume.outputs.clear();
            } else {
                c.volume.UserSets(step == "m", step == "m"   ? 100
                                               : step == "u" ? 100
                                                             : step.toInt());
            }
            c.Run(1);
        }
        QCOMPARE(c.notifications.notices, told);
    }

    // Stop from anywhere cuts the sound and closes the notification.
    void stopFromAnywhere_data() {
        Columns<QString>({"where"});
        // clang-format off
        Row("window", "window");
        Row("tray menu", "tray");
        Row("notification", "notification");
        // clang-format on
    }
    void stopFromAnywhere() {
        QFETCH(QString, where);
        Clock c;
        c.view.inView = false;
        c.Run(5);
        QVERIFY(!c.notifications.ring.isEmpty() && c.actions.Sounding());
        if (where == "window")
            c.clock.cmdStop_Click();
        else if (where == "tray")
            emit c.tray.stopChosen();
        else
            emit c.notifications.stopInvoked();
        QVERIFY(c.notifications.ring.isEmpty() && !c.actions.Sounding());
        QVERIFY(!c.view.stop && !c.tray.stopOffered);
    }

    // No sound can be made: the window comes forward and says so, as does the
    // notification, until a sound plays on an output that is there and not
    // muted, or the ring ends. Steps: "heard" a sound plays, "mute" and
    // "unmute" the user's output, "output" a real output comes, "minimised".
    void noSoundIsToldUntilHeard_data() {
        Columns<QString, QString, QString, bool>({"cause", "then", "ring", "silent"});
        const QString standard = "アラーム 07:00 | 標準のアラーム";
        // clang-format off
        Row("heard again, the window still in view", "server", "heard", "", false);
        Row("heard again, the window minimised", "server", "minimised heard", standard, false);
        Row("the ring ends unheard", "server", "end", "", false);
        Row("playing on a muted output is not heard", "server", "mute heard", "", true);
        Row("until the output is unmuted", "server", "mute heard unmute", "", false);
        Row("the server's stand-in for no output", "dummy", "heard", "", true);
        Row("a real output comes", "dummy", "heard output", "", false);
        // clang-format on
    }
    void noSoundIsToldUntilHeard() {
        auto [cause, then, ring, silent] =
            Fetch<QString, QString, QString, bool>({"cause", "then", "ring", "silent"});
        Clock c;
        c.view.inView = false;
        c.tray.shown = true;
        if (cause == "dummy")
            c.volume.defaultOutput = "auto_null"; // not among the outputs: the server hid it
        c.Run(5);
        if (cause == "server")
            c.sound.Silence(Silence::NoServer);
        QVERIFY(c.view.inView && !c.tray.shown && c.view.silent);
        QCOMPARE(c.notifications.ring,
                 QString("アラーム 07:00 | アラームの音を鳴らせません（%1）。鳴らせるようになりし"
                         "だい鳴ります。")
                     .arg(cause == "server" ? "サウンドサーバーが動いていません"
                                            : "音の出力装置がありません"));
        for (const QString& step : then.split(' ')) {
            if (step == "minimised")
                c.view.inView = false;
            else if (step == "heard")
                c.sound.Play();
            else if (step == "mute" || step == "unmute")
                c.volume.UserSets(step == "mute", 100);
            else if (step == "output") {
                c.volume.defaultOutput = "speakers";
                c.volume.UserSets(false, 100);
            } else {
                c.Run(AlarmScheduler::StandardRingSeconds);
            }
        }
        QCOMPARE(c.view.silent, silent);
        if (!silent)
            QCOMPARE(c.notifications.ring, ring);
    }

    // Minimised, the window goes into the notification area, or, without
    // one, waits minimised on the task bar and moves in when one appears,
    // unless the user has brought it back; one that goes away sends it back
    // to the task bar. Steps: "M" minimised, "R" restored from the task bar,
    // "A" an area appears, "G" it goes away, "T" 復元 in its menu.
    void notificationAreaComesAndGoes_data() {
        Columns<bool, QString, QString>({"there", "steps", "shown"});
        // clang-format off
        Row("minimised into the area", true, "M", "in the area");
        Row("none: on the task bar", false, "M", "minimised");
        Row("one appears: it moves in", false, "M A", "in the area");
        Row("brought back first: it stays", false, "M R A", "in view");
        Row("the area goes: back on the task bar", true, "M G", "minimised");
        Row("and comes back: in again", true, "M G A", "in the area");
        Row("restored from the area", true, "M T A", "in view");
        // clang-format on
    }
    void notificationAreaComesAndGoes() {
        auto [there, steps, shown] = Fetch<bool, QString, QString>({"there", "steps", "shown"});
        FakeTray tray;
        FakeView view;
        TrayPlacement placement(tray, view);
        tray.available = there;
        for (const QString& step : steps.split(' ')) {
            if (step == "M") {
                view.inView = view.minimised = false;
                placement.Minimised();
            } else if (step == "R") {
                view.inView = true;
            } else if (step == "T") {
                placement.Restore();
            } else {
                tray.Become(step == "A");
            }
        }
        const bool minimised = !view.inView && !tray.shown;
        QCOMPARE(tray.shown ? "in the area" : minimised ? "minimised" : "in view", shown);
        QVERIFY(shown != "minimised" || steps == "M" || view.minimised);
    }

    // 復元 brings the window back and closes the ring's notification.
    void restoreClosesTheRing() {
        Clock c;
        c.clock.Minimised();
        c.Run(5);
        QVERIFY(!c.notifications.ring.isEmpty());
        emit c.tray.restoreChosen();
        QVERIFY(c.view.inView && !c.tray.shown && c.notifications.ring.isEmpty());
    }

    // A snooze series ends in one step, from the ring's notification or
    // the tray menu, which offer it while one is pending; the switch stays
    // at SNZ for the alarms to come.
    void aSnoozeSeriesEndsInOneStep_data() {
        Columns<QString>({"from"});
        // clang-format off
        Row("the notification", "notification");
        Row("the tray menu", "tray");
        // clang-format on
    }
    void aSnoozeSeriesEndsInOneStep() {
        QFETCH(QString, from);
        Clock c;
        c.clock.lblSw_Click(SwitchSnooze);
        c.view.inView = false;
        c.Run(5);
        QCOMPARE(c.notifications.ring, "アラーム 07:00 | 標準のアラーム | スヌーズを終了");
        QVERIFY(c.tray.endSnoozeOffered && c.view.snooze);
        if (from == "tray")
            emit c.tray.endSnoozeChosen();
        else
            emit c.notifications.endSnoozeInvoked();
        QVERIFY(!c.actions.Sounding() && !c.view.snooze && !c.tray.endSnoozeOffered);
        QCOMPARE(c.clock.Table().Switch, SwitchSnooze);
        const qsizetype calls = c.actions.calls.size();
        c.Run(10 * 60);
        QCOMPARE(c.actions.calls.mid(calls), QStringList{}); // no snooze ring
        QCOMPARE(c.wake.asked.last(), "03-02 06:59:00");
    }

    // A commit is announced at the next scan, even beyond the alarm shown,
    // and ends the slot's series.
    void commitMovesTheNextAlarm() {
        Clock c;
        c.Run(1);
        c.slot.Hour = 9;
        c.Commit();
        c.Run(1);
        QCOMPARE(c.view.alarm, "アラーム 09:00");
        c.slot.Hour = 7;
        c.Commit();
        c.clock.lblSw_Click(SwitchSnooze);
        c.Run(5);
        c.clock.cmdStop_Click();
        c.Commit();
        c.Run(1);
        QCOMPARE(c.wake.asked.last(), "03-02 06:59:00"); // tomorrow: not the snooze at 07:05
    }

    void failedSaveIsToldOnce() {
        Clock c;
        {
            const Restricted readOnly(c.clock.IniPath());
            c.Commit();
            c.Commit();
            QCOMPARE(c.view.told.size(), 1);
            QVERIFY(c.view.told[0].contains("読み取り専用") &&
                    c.view.told[0].contains("alerm.ini"));
        }
        c.Commit(); // saved: a later failure is told again
        const Restricted readOnly(c.clock.IniPath());
        c.Commit();
        QCOMPARE(c.view.told.size(), 2);
    }

    // Alarms registered at OFF do not ring: said once, and again once the
    // switch has been elsewhere; closing with an alarm armed is told. Steps:
    // O OFF, N ON, C commit the alarm, X commit it off, Q close the window.
    void registeringAtOffIsToldOnce_data() {
        Columns<QString, int>({"steps", "notices"});
        // clang-format off
        Row("off, commit twice", "O C C", 1);
        Row("off, commit, on, off, commit", "O C N O C", 2);
        Row("off, nothing armed", "O X", 0);
        Row("closed with an alarm armed", "N C Q", 1);
        Row("closed at OFF", "O C Q", 1);
        Row("closed with every slot off", "N X Q", 0);
        // clang-format on
    }
    void registeringAtOffIsToldOnce() {
        auto [steps, notices] = Fetch<QString, int>({"steps", "notices"});
        Clock c;
        for (const QString& step : steps.split(' ')) {
            if (step == "Q")
                c.clock.Closed();
            else if (step == "O" || step == "N")
                c.clock.lblSw_Click(step == "O" ? SwitchOff : SwitchOn);
            else
                c.slot.State = step == "X" ? StateOff : StateDaily;
            if (step == "C" || step == "X")
                c.Commit();
        }
        QCOMPARE(c.notifications.notices.size(), notices);
    }

    // The wake timer follows the next ring, a minute ahead (at the ring itself
    // once the last minute has begun), and is set again only when it moves.
    void wakeFollowsTheNextRing() {
        Clock c;
        c.now = c.now.addSecs(-60);
        c.clock.lblSw_Click(SwitchSnooze);
        c.Run(150);
        c.clock.cmdStop_Click();
        c.Run(30);
        c.clock.lblSw_Click(SwitchOn);
        c.Run(5);
        c.clock.lblSw_Click(SwitchOff);
        c.Run(5);
        QCOMPARE(c.wake.asked, (QStringList{"03-01 06:59:00", "03-01 07:00:00", "03-01 07:04:00",
                                            "03-02 06:59:00", "none"}));
    }

    // A wake that cannot be set is told once, and not again at the next start.
    void noWakeIsToldOnce() {
        Clock c;
        emit c.wake.unavailable("the computer has no clock that can wake it");
        emit c.wake.unavailable("the computer has no clock that can wake it");
        c.clock.Save();
        AlarmClock again(c.clock.IniPath(), c.actions,
                         {c.notifications, c.tray, c.wake, c.inhibitor, c.volume, c.sound}, c.view);
        again.Load();
        emit c.wake.unavailable("the computer has no clock that can wake it");
        QCOMPARE(c.notifications.notices.size(), 1);
        QVERIFY(c.notifications.notices[0].contains("起こせません（起こせる時計がありません）"));
    }

    // No sleep while a ring lasts, nor from a wake until the ring it was for
    // has rung; a launch shows no ring, so a minute after its time.
    void noSleepWhileItRings_data() {
        Columns<int, int, int>({"command", "stopAfter", "heldUntil"});
        // clang-format off
        Row("standard alarm, stopped", int(CommandStandard), 5, 5);
        Row("launch", int(CommandLaunch), -1, int(WakeKeeper::WakeAhead) + 1);
        // clang-format on
    }
    void noSleepWhileItRings() {
        auto [command, stopAfter] = Fetch<int, int>({"command", "stopAfter"});
        QFETCH(int, heldUntil); // seconds after the ring's minute
        Clock c;
        c.slot.Command = qint16(command);
        c.Commit();
        c.Run(1);
        emit c.wake.woke();
        c.Run(1 + heldUntil - 1);
        if (stopAfter >= 0)
            c.clock.cmdStop_Click();
        QVERIFY(c.inhibitor.held == (stopAfter < 0));
        c.Run(2);
        QVERIFY(!c.inhibitor.held);
    }

    // A jump over alarms: one notice names each ring by the time it was due,
    // in time order, dated when not today, and says what moved the clock.
    void missedAlarmsAreToldOnce_data() {
        Columns<int, int, QString, QString>({"position", "before", "jump", "told"});
        // clang-format off
        Row("a sleep", int(SwitchOn), 1, "sleep 3600", "コンピューターが眠っている間に時刻が過ぎました：07:03、07:05");
        Row("the clock set forward", int(SwitchOn), 1, "set 3600", "コンピューターの時計が進められ、時刻が過ぎました：07:03、07:05");
        Row("a time zone change", int(SwitchOn), 1, "zone 32400", "タイムゾーンが変わり、時刻が過ぎました：07:03、07:05");
        Row("snooze rings slept over to the next day", int(SwitchSnooze), 310, "sleep 72000", "コンピューターが眠っている間に時刻が過ぎました：3/1 07:08、3/1 07:10");
        // clang-format on
    }
    void missedAlarmsAreToldOnce() {
        QFETCH(int, position);
        QFETCH(int, before); // seconds run before the jump
        auto [jump, told] = Fetch<QString, QString>({"jump", "told"});
        Clock c("[Public]\nValidation=x\n[Settings]\nSwitch=" + QByteArray::number(position) +
                "\n[Alerm 1]\nTime=07:05\nState=1\n[Alerm 2]\nTime=07:03\nState=1\n");
        c.Run(before);
        c.clock.cmdStop_Click();
        const qint64 seconds = jump.section(' ', 1).toLongLong();
        if (jump.startsWith("zone"))
            c.now = c.now.toOffsetFromUtc(c.now.offsetFromUtc() + int(seconds));
        else
            c.now = c.now.addSecs(seconds);
        if (jump.startsWith("sleep"))
            c.bootMs += seconds * 1000;
        const qsizetype calls = c.actions.calls.size();
        c.Run(5);
        QCOMPARE(c.notifications.notices, QStringList{"鳴らなかったアラーム | " + told});
        QCOMPARE(c.actions.calls.mid(calls).filter("standard"), QStringList{});
    }

    // A hand edit while Vendrix runs takes in only what the file changed:
    // what the user set in the window and the file did not change stays. One
    // that meets unregistered changes to the same slot is kept aside and
    // told; one that holds no settings waits until Vendrix must write, then
    // is kept aside whole; an emptied file has nothing to keep. Window steps:
    // "off" the switch, "choose N" a slot, "edit N" unregistered changes.
    void outsideEditsAreKept_data() {
        Columns<QString, QByteArray, bool, QString, QByteArray>(
            {"window", "edit", "watched", "after", "keptAside"});
        const QByteArray slot2 = "slot 2"; // set to 09:15, every day
        // clang-format off
        Row("taken in as it is made", "", slot2, true, "09:15 ON 1", QByteArray());
        Row("taken in at the end", "", slot2, false, "09:15 ON 1", QByteArray());
        Row("the switch set in the window stays", "off", slot2, true, "09:15 OFF 1", QByteArray());
        Row("the slot chosen stays", "choose 5", slot2, true, "09:15 ON 5", QByteArray());
        Row("beside unregistered changes to another slot", "edit 1", slot2, false, "09:15 ON 1", QByteArray());
        Row("kept aside: unregistered changes to the same slot", "edit 2", slot2, false, "00:00 ON 1", QByteArray("+"));
        Row("no settings: kept aside when Vendrix writes", "", QByteArray("[x]\n"), true, "00:00 ON 1", QByteArray("[x]\n"));
        Row("emptied: nothing to keep", "", QByteArray(), true, "00:00 ON 1", QByteArray());
        // clang-format on
    }
    void outsideEditsAreKept() {
        auto [window, edit, watched, after, keptAside] =
            Fetch<QString, QByteArray, bool, QString, QByteArray>(
                {"window", "edit", "watched", "after", "keptAside"});
        Clock c;
        if (window == "off")
            c.clock.lblSw_Click(SwitchOff);
        else if (window.startsWith("choose"))
            c.clock.ChooseSlot(window.section(' ', 1).toInt());
        else
            c.view.edited = window.section(' ', 1).toInt();
        QVERIFY(window != "off" || ReadBytes(c.clock.IniPath()).contains("Switch=2")); // at once
        if (edit == "slot 2")
            edit = SetSlot2(ReadBytes(c.clock.IniPath()));
        WriteBytes(c.clock.IniPath(), edit);
        if (watched && edit.startsWith("[Public]"))
            QTRY_VERIFY(!c.view.shownAgain.isEmpty());
        else if (watched)
            QTest::qWait(3 * SettingsWatcher::Timing{}.QuietMs);
        QVERIFY(c.view.told.isEmpty()); // nothing kept aside before Vendrix writes
        c.clock.Save();
        const Settings& table = c.clock.Table();
        const QString shown =
            QString("%1 %2 %3")
                .arg(HourMinute(table.AlarmTable[2].Hour, table.AlarmTable[2].Minute))
                .arg(table.Switch == SwitchOff ? "OFF" : "ON")
                .arg(table.CurrentID);
        QCOMPARE(shown, after);
        QCOMPARE(ReadBytes(c.clock.IniPath()).contains("Time=09:15"), after.startsWith("09:15"));
        QCOMPARE(c.notifications.notices.join("").contains("残してあります"), !keptAside.isEmpty());
        QCOMPARE(c.view.shownAgain, !after.startsWith("09:15")  ? ""
                                    : window.startsWith("edit") ? "keeping edits"
                                                                : "all");
        if (!keptAside.isEmpty())
            QCOMPARE(ReadBytes(c.clock.IniPath() + ".unrecognised"),
                     keptAside == "+" ? edit : keptAside);
    }

    // An edit written in place, with pauses longer than a quiet moment
    // (emptied, then written in pieces, the file open throughout), is
    // judged once its writer is done, even when a save comes half-way:
    // nothing is kept aside, the edit is taken in and the save follows.
    void anEditWrittenInPlaceIsReadWhole() {
        Clock c;
        const QByteArray edit = SetSlot2(ReadBytes(c.clock.IniPath()));
        {
            QFile file(c.clock.IniPath());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            for (const QByteArray& piece : {edit.left(20), edit.mid(20, 40)}) {
                file.write(piece);
                file.flush();
                if (piece.startsWith(edit.left(20))) {
                    c.slot.Hour = 6;
                    c.Commit();
                }
                QTest::qWait(2 * SettingsWatcher::Timing{}.QuietMs);
                QCOMPARE(c.clock.Table().AlarmTable[2].Hour, 0); // not judged half-way
            }
            file.write(edit.mid(60));
        }
        QTRY_VERIFY(ReadBytes(c.clock.IniPath()).contains("Time=06:00"));
        QCOMPARE(c.clock.Table().AlarmTable[2].Hour, 9);
        QVERIFY(ReadBytes(c.clock.IniPath()).contains("Time=09:15"));
        QVERIFY(c.view.told.isEmpty());
    }

    // Every move of the switch reaches the file at once, however quickly the
    // moves follow each other.
    void theSwitchIsSavedAsItMoves() {
        Clock c;
        for (int position : {SwitchSnooze, SwitchOff, SwitchOn, SwitchOff}) {
            c.clock.lblSw_Click(position);
            QVERIFY(ReadBytes(c.path).contains("Switch=" + QByteArray::number(position)));
            QTest::qWait(50); // the watch sees the save, well within a quiet moment
        }
    }

    // At the end of the run, settings that cannot go into the file go beside
    // it, and a notification says where: an edit still being written is
    // left to its writer, a link into a folder that is gone is left as it is.
    void whatCannotBeSavedGoesBeside_data() {
        Columns<QString>({"file"});
        // clang-format off
        Row("still being written", "writing");
        Row("a link into a folder that is gone", "link");
        // clang-format on
    }
    void whatCannotBeSavedGoesBeside() {
        QFETCH(QString, file);
        Clock c;
        c.clock.lblSw_Click(SwitchSnooze);
        QFile writing(c.path);
        if (file == "link") {
            QVERIFY(QFile::remove(c.path) && QFile::link(c.dir.filePath("gone/alerm.ini"), c.path));
        } else {
            QVERIFY(writing.open(QIODevice::WriteOnly | QIODevice::Truncate));
            writing.write("[Public]\nValid"); // and the writer pauses
            writing.flush();
        }
        c.clock.Save();
        QVERIFY(ReadBytes(c.path + ".saved").contains("Switch=0"));
        QVERIFY(c.notifications.notices.join("").contains("設定を隣に保存しました"));
        QCOMPARE(ReadBytes(c.path), file == "link" ? "<unreadable>" : "[Public]\nValid");
    }

    // On a first start the first save makes the folder: watched from then on.
    void firstStartWatchesItsNewFolder() {
        Clock c{QByteArray()};
        WriteBytes(c.path, "[Public]\nValidation=x\n[Alerm 2]\nTime=09:15\nState=1\n");
        QTRY_COMPARE(c.view.shownAgain, QString("all"));
    }

    // A file that holds no settings is kept and the user told where; one
    // that is not text is left alone, the user told, and never saved over.
    void troubleWithTheFileIsTold_data() {
        Columns<QByteArray, QString>({"file", "told"});
        // clang-format off
        Row("settings", QByteArray("[Public]\nValidation=x\n"), "");
        Row("no settings", QByteArray("[Alerm 1]\nTime=07:00\n"), "alerm.ini.unrecognised");
        Row("UTF-16 without a byte-order mark", QByteArray("[\0A\0]\0", 6), "読み込めませんでした.*上書きしません");
        // clang-format on
    }
    void troubleWithTheFileIsTold() {
        auto [file, told] = Fetch<QByteArray, QString>({"file", "told"});
        Clock c(file);
        c.Commit();
        QVERIFY(told.isEmpty() ? c.view.told.isEmpty()
                               : c.view.told.join("").contains(QRegularExpression(
                                     told, QRegularExpression::DotMatchesEverythingOption)));
    }
};

QTEST_GUILESS_MAIN(TestClock)
#include "tst_clock.moc"
