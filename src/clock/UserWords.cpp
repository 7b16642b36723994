// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserWords.h"

#include "TextRules.h"

#include <QFileInfo>

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
