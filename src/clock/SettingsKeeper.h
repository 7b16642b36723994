// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Settings.h"
#include "SettingsFile.h"
#include "SettingsWatcher.h"

#include <QObject>
#include <QTimer>
#include <functional>

// What the user sets is kept, whoever writes alerm.ini and however. A hand
// edit made while Vendrix runs is judged once it is complete: only what the
// file changed is taken in, beside what the user changed in the window and
// the file did not; where both changed the same slot, or the file holds no
// settings when Vendrix must write it, the user's file is kept aside whole.
// A save never writes over an edit it has not judged, and an edit that lands
// while it replaces the file is kept beside; alerm.ini is never deleted.
// What happens is told by its signals; the user is told elsewhere.
class SettingsKeeper : public QObject {
    Q_OBJECT
public:
    // The slot the editor holds changes to that are not registered; 0: none.
    using EditedSlot = std::function<int()>;

    SettingsKeeper(const QString& iniPath, EditedSlot editedSlot);
    SettingsKeeper(const QString& iniPath, EditedSlot editedSlot, SettingsWatcher::Timing timing);

    Settings& Table() { return settings_; }
    const QString& IniPath() const { return file_.IniPath; }

    // Reads alerm.ini and watches it from then on; loaded() tells what was found.
    void Load();
    // Saves now, or once an edit on its way has been judged.
    void Store();
    // At the end of the run: an edit on its way is awaited a little and
    // judged, then everything saved; where that cannot be, the settings go
    // beside the file (savedBeside).
    void StoreAtExit();

signals:
    // What loading found wrong (nothing when it is all as it should be).
    void loaded(const SettingsFile::Loaded& found);
    // An edit was taken in: these slots changed, and the switch when
    // `switched`; the editor keeps its own changes when `keepEdits`.
    void editTakenIn(const QList<int>& changed, bool switched, bool keepEdits);
    // An edit that could not be taken in is kept as `keptAs` (empty: no copy
    // could be made, and the file is left as it is).
    void keptAside(const QString& keptAs);
    // An edit that reached the file while Vendrix replaced it is kept as `keptAs`.
    void editKeptBeside(const QString& keptAs);
    // A save failed; told once for each kind of failure, until one succeeds.
    void saveFailed(const Failure& why);
    // At the end of the run the settings went beside the file, as `beside`:
    // the file is not one, cannot be reached, or is still being written.
    void savedBeside(const QString& beside);

private:
    void Judge(bool mustWrite);
    void TakeInEdit(const Settings& merged, const QByteArray& bytes, int editing);
    void KeepAside(const QByteArray& bytes);
    void KeepLost();
    void SaveBeside();
    void Saved(const Status& saved);

    Settings settings_;
    SettingsFile file_;
    SettingsWatcher watcher_;
    EditedSlot editedSlot_;
    QTimer lostCheck_;         // a moment after a save: an edit written into the file it replaced
    bool pendingSave_ = false; // a save waits for an edit to be judged
    bool unsaved_ = false;     // the last save failed: it is tried again when the file changes
    QString toldFailure_;      // the save failure last told, until a save succeeds
};
