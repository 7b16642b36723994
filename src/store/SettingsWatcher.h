// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <optional>

// Tells when alerm.ini, once changed, has been quiet for a moment and reads
// the same twice: an edit written in place (emptied, then written in
// pieces, with pauses) is judged whole, never half-way. The file and its
// folder are watched, so that a file replaced by another (a rename, an
// editor's save) is followed too.
class SettingsWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int QuietMs = 300;

    explicit SettingsWatcher(QString path);

    // Watching starts once the file's folder exists.
    void Watch();
    // Looks again, as after a change: settled() follows.
    void Check();
    // A change is on its way and not yet settled.
    bool Settling() const { return quiet_.isActive(); }
    // At the end of a run, with no event loop to wait in: returns once the
    // file reads the same a quiet moment apart (or after a few seconds).
    void SettleNow() const;

signals:
    void settled();

private:
    void Quiet();

    QString path_;
    QFileSystemWatcher watcher_;
    QTimer quiet_;
    std::optional<QByteArray> read_; // at the last quiet moment
};
