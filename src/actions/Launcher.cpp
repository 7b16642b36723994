#include "Launcher.h"

#include <QDesktopServices>
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
    if (document.exists())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(document.absoluteFilePath()));
    const QUrl url(target.File, QUrl::StrictMode);
    if (url.isValid() && url.scheme().size() > 1)
        return QDesktopServices::openUrl(url);
    return false;
}
