#pragma once

#include <QString>
#include <QStringList>

// Starts what a slot names: the text before the first "?" is the target, the
// rest its parameters. A program starts directly with the parameters split
// like a command line (quotes group words), never through a shell, in the
// program's folder; anything else opens with the desktop's default
// application.
class Launcher {
public:
    struct Target {
        QString File;
        QString Parameters;
    };

    explicit Launcher(QString workingDir) : workingDir_(std::move(workingDir)) {}

    static Target Split(const QString& text);
    // False when nothing could be started.
    bool LaunchExec(const QString& text) const;

private:
    QString ResolveProgram(const QString& file) const;

    QString workingDir_;
};
