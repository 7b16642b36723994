// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Starts what a slot names: the text before the first "?" is the target, the
// rest its parameters. A program starts directly with the parameters split
// like a command line (quotes group words), never through a shell, in the
// program's folder. A document, folder or URL opens with the desktop's
// default application through xdg-open, whose exit status tells whether it
// could.
class Launcher {
public:
    struct Target {
        QString File;
        QString Parameters;
    };

    // onFailure runs, later, with the slot's text when xdg-open fails.
    Launcher(QString workingDir, std::function<void(const QString& text)> onFailure)
        : workingDir_(std::move(workingDir)), onFailure_(std::move(onFailure)) {}

    static Target Split(const QString& text);
    // False when nothing could be started.
    bool LaunchExec(const QString& text) const;

private:
    QString ResolveProgram(const QString& file) const;
    void Open(const QString& target, const QString& text) const;

    QString workingDir_;
    std::function<void(const QString& text)> onFailure_;
};
