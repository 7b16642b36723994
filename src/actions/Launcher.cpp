// SPDX-License-Identifier: GPL-3.0-or-later
#include "Launcher.h"

#include "TextRules.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

// An opener that answers later than this has opened the target: whatever it
// says when the application it started ends is not about the alarm.
constexpr qint64 OpenerAnswersWithinMs = 30'000;

} // namespace

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

void Launcher::LaunchExec(const QString& text) {
    const ExecText target = SplitExec(text);
    if (target.Target.isEmpty())
        return emit failed(text, QStringLiteral("nothing to launch"));
    const QString program = ResolveProgram(target.Target);
    if (!program.isEmpty()) {
        if (!QProcess::startDetached(program, QProcess::splitCommand(target.Parameters),
                                     workingDir_))
            emit failed(text, QStringLiteral("it cannot be started"));
        return;
    }
    // A URL reaches the opener as written: decoding its escapes would change its meaning.
    const QFileInfo document(QDir(workingDir_), target.Target);
    if (document.exists())
        Open(document.absoluteFilePath(), text);
    else if (StartsWithScheme(target.Target))
        Open(target.Target, text);
    else
        emit failed(text, QStringLiteral("no such program or file"));
}

// xdg-open returns once the opener has the target, or fails when there is
// no application for it: only its exit status tells.
void Launcher::Open(const QString& target, const QString& text) {
    auto* opener = new QProcess(this);
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->setWorkingDirectory(workingDir_);
    QElapsedTimer started;
    started.start();
    connect(opener, &QProcess::finished, opener,
            [this, opener, text, started](int code, QProcess::ExitStatus status) {
                if ((code != 0 || status != QProcess::NormalExit) &&
                    started.elapsed() < OpenerAnswersWithinMs)
                    emit failed(text,
                                QStringLiteral("xdg-open could not open it (status %1)").arg(code));
                opener->deleteLater();
            });
    connect(opener, &QProcess::errorOccurred, opener,
            [this, opener, text](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart)
                    return;
                emit failed(text, QStringLiteral("xdg-open cannot be started"));
                opener->deleteLater();
            });
    opener->start(QStringLiteral("xdg-open"), {target});
}
