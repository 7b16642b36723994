// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserWords.h"

#include "TextRules.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <cerrno>
#include <utility>

namespace {

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString WhySaveFailed(const Failure& failure) {
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
    case ENOENT:
        return QStringLiteral("保存先のフォルダーがありません。");
    default:
        return QStringLiteral("書き込めませんでした（%1）。").arg(failure.Why);
    }
}

} // namespace

QString Words::Alarm(std::optional<AlarmTime> time) {
    return time ? QStringLiteral("アラーム ") + HourMinute(time->Hour, time->Minute)
                : QStringLiteral("アラーム 未設定");
}

QString Words::NameOf(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? QStringLiteral("（空欄）") : name;
}

QString Words::Why(Silence why) {
    switch (why) {
    case Silence::NoServer:
        return QStringLiteral("サウンドサーバーが動いていません");
    case Silence::ServerGone:
        return QStringLiteral("サウンドサーバーが止まりました");
    case Silence::ServerHung:
        return QStringLiteral("サウンドサーバーが応答しません");
    case Silence::Refused:
        return QStringLiteral("サウンドサーバーが再生を受け付けません");
    case Silence::NoOutput:
        return QStringLiteral("音の出力装置がありません");
    }
    return {};
}

QString Words::CannotSound(Silence why) {
    return QStringLiteral("アラームの音を鳴らせません（%1）。鳴らせるようになりしだい鳴ります。")
        .arg(Why(why));
}

QString Words::AlreadyRuns(qint64 pid, const QString& host) {
    const QString where =
        host.isEmpty() || host == QSysInfo::machineHostName()
            ? QStringLiteral("プロセス %1").arg(pid)
            : QStringLiteral("コンピューター %1 のプロセス %2").arg(host).arg(pid);
    return QStringLiteral(
               "Vendrix は同じ設定ですでに動いています（%1）が、ここからは呼び出せません。"
               "二つ目は起動しません。")
        .arg(where);
}

QString Words::NotBesideTheProgram(const QString& why, const QString& used) {
    return QStringLiteral(
               "プログラムの隣の設定ファイルは使いません（%1）。ほかのアカウントが書き換えられる"
               "場所だからです。\n設定は次のファイルに保存します。\n%2")
        .arg(why, QDir::toNativeSeparators(used));
}

QString Words::LoadTrouble(const SettingsFile::Loaded& found, const QString& path) {
    if (found.Unreadable)
        return QStringLiteral("設定ファイルを読み込めませんでした。\n%1\n\n"
                              "ファイルはそのままにして、初期設定で動いています。"
                              "登録しても、このファイルには保存しません。")
            .arg(Native(path));
    if (found.NotAFile)
        return QStringLiteral("設定ファイルの場所に、ファイルでないもの（フォルダーなど）が"
                              "あります。\n%1\n\n初期設定で動いています。設定は、そこがファイルに"
                              "戻りしだい保存します。終了するときもそのままなら、隣の "
                              "alerm.ini.saved に保存します。")
            .arg(Native(path));
    if (!found.KeptAs.isEmpty())
        return QStringLiteral("設定ファイルに Vendrix の設定がなかったので、"
                              "初期設定で作り直しました。\n%1\n\n元のファイルは次の名前で"
                              "残してあります。\n%2")
            .arg(Native(path), Native(found.KeptAs));
    return {};
}

QString Words::KeptAside(const QString& path, const QString& keptAs) {
    return QStringLiteral("設定ファイルが Vendrix の外で変更されましたが、"
                          "登録していない編集と重なるか、設定として読めないため、"
                          "取り込みませんでした。\n%1\n\n変更されたファイルは次の名前で"
                          "残してあります。\n%2")
        .arg(Native(path),
             keptAs.isEmpty() ? QStringLiteral("（コピーできませんでした。ファイルはそのままです）")
                              : Native(keptAs));
}

QString Words::EditKeptBeside(const QString& keptAs) {
    return QStringLiteral("設定ファイルが Vendrix の保存と同時に書き換えられました。"
                          "その内容は次の名前で残してあります。\n%1")
        .arg(Native(keptAs));
}

QString Words::SaveFailed(const QString& path, const Failure& why) {
    return QStringLiteral("設定を保存できませんでした。\n%1\n%2\n\n"
                          "アラームは Vendrix が動いている間は鳴りますが、"
                          "終了すると失われます。")
        .arg(Native(path), WhySaveFailed(why));
}

QString Words::SavedBeside(const QString& path, const QString& beside) {
    if (beside.isEmpty())
        return QStringLiteral("終了するときに設定を保存できませんでした。\n%1").arg(Native(path));
    return QStringLiteral("設定ファイルに書き込めなかったので（書き換えの途中か、ファイルでないか、"
                          "その場所がないため）、設定を隣に保存しました。\n%1")
        .arg(Native(beside));
}

QString Words::MissedSummary() {
    return QStringLiteral("鳴らなかったアラーム");
}

QString Words::Missed(const MissedRings& missed) {
    constexpr qsizetype Named = 8;
    static const char16_t* const why[] = {u"コンピューターが眠っている間に時刻が過ぎました：",
                                          u"コンピューターの時計が進められ、時刻が過ぎました：",
                                          u"タイムゾーンが変わり、時刻が過ぎました："};
    QStringList times;
    for (const QDateTime& at : missed.At.mid(0, Named))
        times << at.toString(at.date() == missed.Today ? QStringLiteral("HH:mm")
                                                       : QStringLiteral("M/d HH:mm"));
    if (missed.At.size() > Named)
        times << QStringLiteral("ほか %1 回").arg(missed.At.size() - Named);
    return QString::fromUtf16(why[missed.Why]) + times.join(QStringLiteral("、"));
}

QString Words::StandardAlarm() {
    return QStringLiteral("標準のアラーム");
}

namespace {

using Known = std::pair<const char*, const char16_t*>;

// The words for a reason an action or the wake gives, by how it begins.
template <size_t N>
QString Told(const QString& reason, const Known (&known)[N], const char16_t* otherwise) {
    for (const auto& [english, told] : known) {
        if (reason.startsWith(QLatin1String(english)))
            return QString::fromUtf16(told);
    }
    return QString::fromUtf16(otherwise);
}

} // namespace

QString Words::WhyNot(const QString& reason) {
    static const Known known[] = {
        {"No such file or directory", u"ファイルがありません"},
        {"Permission denied", u"読む権限がありません"},
        {"it is a folder", u"フォルダーです"},
        {"it is not a regular file", u"ファイルではありません"},
        {"it does not answer", u"ファイルが応答しません"},
        {"it gives no sound", u"音が入っていません"},
        {"no sound in it", u"音が入っていません"},
        {"it stops before its end", u"途中で切れています"},
        {"the file changed while it played", u"鳴らしている間にファイルが変わりました"},
        {"no file named", u"ファイルが指定されていません"},
        {"nothing to launch", u"起動するものが指定されていません"},
        {"it cannot be started", u"起動できません"},
        {"no such program or file", u"そのプログラムもファイルもありません"},
        {"xdg-open cannot be started", u"xdg-open を起動できません"},
        {"xdg-open could not open it", u"開けるアプリケーションがありません"},
    };
    return Told(reason, known, u"読めない形式です");
}

QString Words::FellBack(const AlarmSlot& slot, const QString& reason) {
    const QString what =
        slot.Command == CommandWav
            ? QStringLiteral("%1 を鳴らせないので").arg(NameOf(slot.WAV))
            : QStringLiteral("%1 を起動できないので").arg(NameOf(SplitExec(slot.Exec).Target));
    return what + QStringLiteral("、標準のアラームを鳴らしています（%1）").arg(WhyNot(reason));
}

QString Words::CannotWake(const QString& why) {
    static const Known known[] = {
        {"neither the program nor vendrix-wake has CAP_WAKE_ALARM", u"その権限がありません"},
        {"the program lacks CAP_WAKE_ALARM", u"その権限がなく、補助プログラムもありません"},
        {"the computer has no clock that can wake it", u"起こせる時計がありません"},
        {"this account may not wake the computer", u"このアカウントには許されていません"},
        {"vendrix-wake cannot run safely here", u"補助プログラムを安全に動かせません"},
        {"the wake time was refused", u"起こす時刻が受け付けられませんでした"},
        {"vendrix-wake", u"補助プログラムが止まりました"},
    };
    return QStringLiteral("アラームのためにコンピューターをスリープから起こせません（%1）。"
                          "スリープしている間のアラームは鳴りません。")
        .arg(Told(why, known, u"理由は標準エラー出力にあります"));
}

QString Words::SwitchIsOff() {
    return QStringLiteral("スイッチが OFF なので、アラームは鳴りません。"
                          "鳴らすには SNZ か ON を選んでください。");
}

QString Words::ClosedSummary() {
    return QStringLiteral("Vendrix を終了しました");
}

QString Words::ClosedWithAlarms() {
    return QStringLiteral("もう一度起動するまで、アラームは鳴りません。"
                          "最小化すれば、通知領域で待ちます。");
}

QString Words::QuietSummary() {
    return QStringLiteral("アラームの音量");
}

QString Words::QuietAhead(const OutputVolume::Level& level, const QString& at, int raisedTo) {
    if (!level.Present)
        return QStringLiteral("音の出力装置がないため、アラーム %1 は鳴らせません。").arg(at);
    const QString state =
        level.Muted ? QStringLiteral("ミュート") : QStringLiteral("音量 %1%").arg(level.Percent);
    return QStringLiteral("アラーム %1 が鳴るとき、音量を %2% に上げます（いまは%3）。")
        .arg(at)
        .arg(raisedTo)
        .arg(state);
}
