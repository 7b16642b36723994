// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsKeeper.h"

#include "ClockLogging.h"
#include "RegularFile.h"

#include <cerrno>

SettingsKeeper::SettingsKeeper(const QString& iniPath, EditedSlot editedSlot)
    : SettingsKeeper(iniPath, std::move(editedSlot), SettingsWatcher::Timing{}) {}

SettingsKeeper::SettingsKeeper(const QString& iniPath, EditedSlot editedSlot,
                               SettingsWatcher::Timing timing)
    : file_(iniPath),
      watcher_(
          iniPath, [this](const QByteArray& bytes) { return file_.LooksWhole(bytes); }, timing),
      editedSlot_(std::move(editedSlot)) {
    lostCheck_.setSingleShot(true);
    lostCheck_.setInterval(2 * timing.QuietMs);
    connect(&lostCheck_, &QTimer::timeout, this, &SettingsKeeper::KeepLost);
    connect(&watcher_, &SettingsWatcher::settled, this, [this] {
        Judge(pendingSave_);
        if (std::exchange(pendingSave_, false) || unsaved_)
            Store();
    });
}

// Watched once the first save has made the folder.
void SettingsKeeper::Load() {
    emit loaded(file_.LoadSettings(settings_));
    watcher_.Watch();
}

// Saved at once unless someone else's edit is on its way: Vendrix's own
// last save, still settling, holds nothing up.
void SettingsKeeper::Store() {
    if (watcher_.Settling() && file_.ReadOutsideChange().What != SettingsFile::Outside::Unchanged) {
        pendingSave_ = true;
        return;
    }
    KeepLost();
    const Status saved = file_.SaveSettings(settings_);
    if (!saved && SettingsFile::ChangedOutside(saved.Error())) {
        pendingSave_ = true;
        return watcher_.Check();
    }
    Saved(saved);
    if (saved)
        lostCheck_.start();
}

// An edit still being written is left to its writer: the settings go beside.
void SettingsKeeper::StoreAtExit() {
    if (file_.ReadOutsideChange().What != SettingsFile::Outside::Unchanged && !watcher_.SettleNow())
        return SaveBeside();
    Judge(true);
    KeepLost();
    const Status saved = file_.SaveSettings(settings_);
    if (!saved && (NotAFile(saved.Error()) || saved.Error().Error == ENOENT))
        SaveBeside();
    KeepLost();
}

void SettingsKeeper::SaveBeside() {
    const QString beside = file_.SaveBeside(settings_);
    qCWarning(lcClock).noquote() << IniPath() << "cannot be written now; the settings are saved as"
                                 << beside;
    emit savedBeside(beside);
}

// What the file holds now, against what it held when Vendrix last read or
// wrote it. A file that does not read as settings may be an edit still
// under way: it is kept aside only when Vendrix must write in its place.
void SettingsKeeper::Judge(bool mustWrite) {
    const SettingsFile::Outside outside = file_.ReadOutsideChange();
    if (outside.What == SettingsFile::Outside::Settings) {
        const int editing = editedSlot_();
        if (const auto merged = settings_.Merged(outside.Base, outside.Theirs, editing))
            return TakeInEdit(*merged, outside.Bytes, editing);
        return KeepAside(outside.Bytes);
    }
    if (outside.What != SettingsFile::Outside::Foreign || !mustWrite)
        return;
    if (outside.Bytes.trimmed().isEmpty())
        return file_.Accept(outside.Bytes); // nothing in it to keep
    KeepAside(outside.Bytes);
}

// What changed starts afresh, as if registered; the editor keeps what the
// user is still editing.
void SettingsKeeper::TakeInEdit(const Settings& merged, const QByteArray& bytes, int editing) {
    qCInfo(lcClock).noquote() << IniPath() << "was changed by someone else; taken in";
    QList<int> changed;
    for (int n = 1; n <= SlotCount; ++n) {
        if (merged.AlarmTable[n] != settings_.AlarmTable[n])
            changed << n;
    }
    const bool switched = merged.Switch != settings_.Switch;
    settings_ = merged;
    file_.Accept(bytes);
    emit editTakenIn(changed, switched, editing != 0);
}

void SettingsKeeper::KeepAside(const QByteArray& bytes) {
    const QString kept = file_.KeepAside(bytes, settings_);
    qCWarning(lcClock).noquote() << IniPath() << "was changed by someone else and cannot be"
                                 << "taken in; kept as" << kept;
    emit keptAside(kept);
}

// An edit that came at the very moment of a save went into the file the
// save replaced: it is kept beside, whole.
void SettingsKeeper::KeepLost() {
    const QString kept = file_.KeepLost();
    if (kept.isEmpty())
        return;
    qCWarning(lcClock).noquote() << IniPath() << "was written by someone else while Vendrix saved"
                                 << "it; that edit is kept as" << kept;
    emit editKeptBeside(kept);
}

void SettingsKeeper::Saved(const Status& saved) {
    unsaved_ = !saved;
    if (saved) {
        toldFailure_.clear();
        return;
    }
    const QString kind = QStringLiteral("%1 %2 %3")
                             .arg(saved.Error().Refused)
                             .arg(saved.Error().Error)
                             .arg(saved.Error().Why);
    if (std::exchange(toldFailure_, kind) != kind)
        emit saveFailed(saved.Error());
}
