// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Settings.h"
#include "SettingsFile.h"
#include "SettingsWatcher.h"

#include <QObject>
#include <QTimer>

class ClockView;

// What the user sets is kept, whoever writes alerm.ini and however. A hand
// edit made while Vendrix runs is judged once the file is complete: only
// what the file changed is taken in, beside what the user changed in the
// window and the file did not; where both changed the same slot, or the file
// holds no settings when Vendrix must write it, the user's file is kept
// aside whole and the user told. A save never writes over an edit it has not
// judged; alerm.ini is never deleted.
class SettingsKeeper : public QObject {
    Q_OBJECT
public:
    SettingsKeeper(const QString& iniPath, ClockView& view);

    Settings& Table() { return settings_; }
    const QString& IniPath() const { return file_.IniPath; }

    // Reads alerm.ini, telling what went wrong, and watches it from then on.
    void Load();
    // Saves now, or once an edit on its way has been judged; a failure is told.
    void Store();
    // At the end of the run: an edit on its way is read to its end and
    // judged, then everything saved; only standard error is told.
    void StoreAtExit();

signals:
    // An edit of the file was taken in: these slots changed, and the switch
    // when `switched`.
    void takenIn(const QList<int>& changed, bool switched);

private:
    void Judge(bool mustWrite);
    void TakeIn(const Settings& merged, const QByteArray& bytes, int editing);
    void KeepAside(const QByteArray& bytes);
    void KeepLost();
    void ReportLoad(const SettingsFile::Loaded& loaded);
    void ReportSave(const Status& saved);

    Settings settings_;
    SettingsFile file_;
    SettingsWatcher watcher_;
    ClockView& view_;
    QTimer lostCheck_; // a moment after a save: an edit written in place into the file it replaced
    bool pendingSave_ = false; // a save waits for an edit to be judged
    bool unsaved_ = false;     // the last save failed: it is tried again when the file changes
    QString shownFailure_;     // the save failure last told, until a save succeeds
};
