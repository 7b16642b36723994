// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsKeeper.h"

#include "ClockLogging.h"
#include "ClockView.h"
#include "RegularFile.h"

#include <QDir>
#include <cerrno>

namespace {

QString SaveFailureText(const Failure& failure) {
    if (failure.Refused)
        return QStringLiteral("読み込めなかったファイルなので、上書きしません。");
    switch (failure.Error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクに空きがありません。");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral(
            "書き込みが許可されていません（ファイルかフォルダーが読み取り専用です）。");
    case EISDIR:
    case ENXIO:
        return QStringLiteral("その場所にファイルでないもの（%1）があります。"
                              "ファイルに戻りしだい保存します。")
            .arg(failure.Why);
    default:
        return QStringLiteral("書き込めませんでした（%1）。").arg(failure.Why);
    }
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

SettingsKeeper::SettingsKeeper(const QString& iniPath, ClockView& view)
    : file_(iniPath), watcher_(iniPath), view_(view) {
    lostCheck_.setSingleShot(true);
    lostCheck_.setInterval(2 * SettingsWatcher::QuietMs);
    connect(&lostCheck_, &QTimer::timeout, this, &SettingsKeeper::KeepLost);
    connect(&watcher_, &SettingsWatcher::settled, this, [this] {
        Judge(pendingSave_);
        if (std::exchange(pendingSave_, false) || unsaved_)
            Store();
    });
}

// Watched once the first save has made the folder.
void SettingsKeeper::Load() {
    ReportLoad(file_.LoadSettings(settings_));
    watcher_.Watch();
}

void SettingsKeeper::Store() {
    if (watcher_.Settling()) {
        pendingSave_ = true;
        return;
    }
    KeepLost();
    const Status saved = file_.SaveSettings(settings_);
    if (!saved && SettingsFile::ChangedOutside(saved.Error())) {
        pendingSave_ = true;
        return watcher_.Check();
    }
    unsaved_ = !saved;
    ReportSave(saved);
    if (saved)
        lostCheck_.start();
}

void SettingsKeeper::StoreAtExit() {
    if (file_.ReadOutsideChange().What != SettingsFile::Outside::Unchanged)
        watcher_.SettleNow();
    Judge(true);
    KeepLost();
    const Status saved = file_.SaveSettings(settings_);
    if (!saved && NotAFile(saved.Error())) {
        const QString beside = file_.SaveBeside(settings_);
        qCWarning(lcClock).noquote()
            << IniPath() << "is not a file; the settings are saved as" << beside;
    }
    KeepLost();
}

// What the file holds now, against what it held when Vendrix last read or
// wrote it. A file that does not read as settings may be an edit still
// under way: it is kept aside only when Vendrix must write in its place.
void SettingsKeeper::Judge(bool mustWrite) {
    const SettingsFile::Outside outside = file_.ReadOutsideChange();
    if (outside.What == SettingsFile::Outside::Settings) {
        const int editing = view_.EditedSlot();
        if (const auto merged = settings_.TakeIn(outside.Base, outside.Theirs, editing))
            return TakeIn(*merged, outside.Bytes, editing);
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
void SettingsKeeper::TakeIn(const Settings& merged, const QByteArray& bytes, int editing) {
    qCInfo(lcClock).noquote() << IniPath() << "was changed by someone else; taken in";
    QList<int> changed;
    for (int n = 1; n <= SlotCount; ++n) {
        if (merged.AlarmTable[n] != settings_.AlarmTable[n])
            changed << n;
    }
    const bool switched = merged.Switch != settings_.Switch;
    settings_ = merged;
    file_.Accept(bytes);
    emit takenIn(changed, switched);
    view_.ShowSettings(editing != 0);
}

void SettingsKeeper::KeepAside(const QByteArray& bytes) {
    const QString kept = file_.KeepAside(bytes, settings_);
    qCWarning(lcClock).noquote() << IniPath() << "was changed by someone else and cannot be"
                                 << "taken in; kept as" << kept;
    view_.Tell(QStringLiteral("設定ファイルが Vendrix の外で変更されましたが、"
                              "登録していない編集と重なるか、設定として読めないため、"
                              "取り込みませんでした。\n%1\n\n変更されたファイルは次の名前で"
                              "残してあります。\n%2")
                   .arg(Native(IniPath()),
                        kept.isEmpty()
                            ? QStringLiteral("（コピーできませんでした。ファイルはそのままです）")
                            : Native(kept)));
}

// An edit written in place at the very moment of a save went into the file
// the save replaced: it is kept beside, whole, and the user told.
void SettingsKeeper::KeepLost() {
    const QString kept = file_.KeepLost();
    if (kept.isEmpty())
        return;
    qCWarning(lcClock).noquote() << IniPath() << "was written by someone else while Vendrix saved"
                                 << "it; that edit is kept as" << kept;
    view_.Tell(QStringLiteral("設定ファイルが Vendrix の保存と同時に書き換えられました。"
                              "その内容は次の名前で残してあります。\n%1")
                   .arg(Native(kept)));
}

void SettingsKeeper::ReportLoad(const SettingsFile::Loaded& loaded) {
    const QString path = Native(IniPath());
    if (loaded.Unreadable)
        view_.Tell(QStringLiteral("設定ファイルを読み込めませんでした。\n%1\n\n"
                                  "ファイルはそのままにして、初期設定で動いています。"
                                  "登録しても、このファイルには保存しません。")
                       .arg(path));
    else if (loaded.NotAFile)
        view_.Tell(
            QStringLiteral("設定ファイルの場所に、ファイルでないもの（フォルダーなど）が"
                           "あります。\n%1\n\n初期設定で動いています。設定は、そこがファイルに"
                           "戻りしだい保存します。終了するときもそのままなら、隣の "
                           "alerm.ini.saved に保存します。")
                .arg(path));
    else if (!loaded.KeptAs.isEmpty())
        view_.Tell(QStringLiteral("設定ファイルに Vendrix の設定がなかったので、"
                                  "初期設定で作り直しました。\n%1\n\n元のファイルは次の名前で"
                                  "残してあります。\n%2")
                       .arg(path, Native(loaded.KeptAs)));
}

// Whoever pressed 登録 must know when the alarm is not kept: once for each
// kind of failure.
void SettingsKeeper::ReportSave(const Status& saved) {
    if (saved) {
        shownFailure_.clear();
        return;
    }
    const QString text = QStringLiteral("設定を保存できませんでした。\n%1\n%2\n\n"
                                        "アラームは Vendrix が動いている間は鳴りますが、"
                                        "終了すると失われます。")
                             .arg(Native(IniPath()), SaveFailureText(saved.Error()));
    if (text == shownFailure_)
        return;
    shownFailure_ = text;
    view_.Tell(text);
}
