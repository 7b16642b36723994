// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

// Tells when an edit of alerm.ini is complete: the file has been quiet for a
// moment and reads the same twice, and either its writer has closed it (or
// replaced it whole, by a rename) or what it holds looks whole. A file that
// looks cut (shorter than before, a section gone, a last line without its
// end) while its writer still has it open waits for the writer, up to a
// long quiet: an edit written in place with pauses is judged whole, never
// half-way. The folders of the file and of the file its links end at are
// watched (inotify), so that a file replaced by another is followed too.
class SettingsWatcher : public QObject {
    Q_OBJECT
public:
    struct Timing {
        int QuietMs = 300;           // no change for this long: a moment of quiet
        qint64 LongQuietMs = 10'000; // a writer that keeps the file open this long has done
    };
    using Whole = std::function<bool(const QByteArray& bytes)>;

    SettingsWatcher(QString path, Whole looksWhole);
    SettingsWatcher(QString path, Whole looksWhole, Timing timing);
    ~SettingsWatcher() override;

    // Watching starts once the file's folder exists.
    void Watch();
    // Looks again, as after a change: settled() follows.
    void Check();
    // A change is on its way and not yet settled.
    bool Settling() const { return quiet_.isActive(); }
    // At the end of a run, with no event loop to wait in: true once the
    // edit is complete, false when it is still being written after a few
    // seconds.
    bool SettleNow();

signals:
    void settled();

private:
    void ReadEvents();
    void Quiet();
    bool Complete(const QByteArray& now);

    const QString path_;
    const Whole looksWhole_;
    const Timing timing_;
    int inotify_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer quiet_;
    std::optional<QByteArray> read_; // at the last quiet moment
    QElapsedTimer same_;             // since it first read the same
    bool writing_ = false;           // a writer has it open, and has written
};
