// SPDX-License-Identifier: GPL-3.0-or-later
#include "Launcher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

Launcher::Target Launcher::Split(const QString& text) {
    const qsizetype mark = text.indexOf(u'?');
    if (mark < 0)
        return {text, QString()};
    return {text.left(mark), text.mid(mark + 1)};
}

// An executable file (relative names count from the program's folder), or a
// bare name found on PATH; empty when the target is not a program.
QString Launcher::ResolveProgram(const QString& file) const {
    const QFileInfo info(QDir(workingDir_), file);
    if (info.isFile() && info.isExecutable())
        return info.absoluteFilePath();
    if (!file.contains(u'/'))
        return QStandardPaths::findExecutable(file);
    return {};
}

bool Launcher::LaunchExec(const QString& text) const {
    const Target target = Split(text);
    if (target.File.isEmpty())
        return false;
    const QString program = ResolveProgram(target.File);
    if (!program.isEmpty())
        return QProcess::startDetached(program, QProcess::splitCommand(target.Parameters),
                                       workingDir_);
    const QFileInfo document(QDir(workingDir_), target.File);
    const QUrl url(target.File, QUrl::StrictMode);
    if (document.exists())
        Open(document.absoluteFilePath(), text);
    else if (url.isValid() && url.scheme().size() > 1)
        Open(url.toString(), text);
    else
        return false;
    return true;
}

// xdg-open returns once the opener has the target, or fails when there is
// no application for it: only its exit status tells.
void Launcher::Open(const QString& target, const QString& text) const {
    auto* opener = new QProcess;
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->setWorkingDirectory(workingDir_);
    QObject::connect(opener, &QProcess::finished, opener,
                     [opener, onFailure = onFailure_, text](int code, QProcess::ExitStatus status) {
                         if (code != 0 || status != QProcess::NormalExit)
                             onFailure(text);
                         opener->deleteLater();
                     });
    QObject::connect(opener, &QProcess::errorOccurred, opener,
                     [opener, onFailure = onFailure_, text](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         onFailure(text);
                         opener->deleteLater();
                     });
    opener->start(QStringLiteral("xdg-open"), {target});
}
