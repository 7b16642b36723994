// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// Starts what a slot names (see SplitExec for its target and parameters). A program starts directly
// with the parameters split like a command line (quotes group words), never through a shell, in the
// program's folder. A document, folder or URL opens with the desktop's
// default application through xdg-open, whose exit status tells whether it
// could.
class Launcher : public QObject {
    Q_OBJECT
public:
    explicit Launcher(QString workingDir) : workingDir_(std::move(workingDir)) {}

    void LaunchExec(const QString& text);

signals:
    // Nothing could be started, or the opener failed: told at once or a
    // little later.
    void failed(const QString& text, const QString& why);

private:
    QString ResolveProgram(const QString& file) const;
    void Open(const QString& target, const QString& text);

    QString workingDir_;
};
