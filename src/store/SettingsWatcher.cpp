// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsWatcher.h"

#include "IniFile.h"
#include "RegularFile.h"

#include <QFileInfo>
#include <QThread>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr int AtExitMs = 3'000; // what the end of a run waits for an edit, at most

// The bytes, or why there are none (a NUL, then the error number): either
// way, what is compared.
QByteArray Snapshot(const QString& path) {
    const Result<QByteArray> bytes = IniFile::Read(path);
    return bytes ? *bytes : QByteArray(1, '\0') + QByteArray::number(bytes.Error().Error);
}

} // namespace

SettingsWatcher::SettingsWatcher(QString path, Whole looksWhole)
    : SettingsWatcher(std::move(path), std::move(looksWhole), Timing{}) {}

SettingsWatcher::SettingsWatcher(QString path, Whole looksWhole, Timing timing)
    : path_(std::move(path)), looksWhole_(std::move(looksWhole)), timing_(timing) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(timing_.QuietMs);
    connect(&quiet_, &QTimer::timeout, this, &SettingsWatcher::Quiet);
    same_.start();
}

SettingsWatcher::~SettingsWatcher() {
    notifier_.reset();
    if (inotify_ >= 0)
        ::close(inotify_);
}

void SettingsWatcher::Watch() {
    if (inotify_ < 0) {
        inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (inotify_ < 0)
            return;
        notifier_ = std::make_unique<QSocketNotifier>(inotify_, QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
            ReadEvents();
            Check();
        });
    }
    const uint32_t events = IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM |
                            IN_DELETE | IN_ATTRIB;
    for (const QString& file : {path_, FinalTarget(path_)})
        ::inotify_add_watch(inotify_, QFile::encodeName(QFileInfo(file).absolutePath()).constData(),
                            events); // the same folder twice is watched once
}

// What happened to the file: written (its writer has it open), closed by
// its writer, or replaced whole; events of other files of the folder count
// as nothing but a look.
void SettingsWatcher::ReadEvents() {
    const QStringList names{QFileInfo(path_).fileName(), QFileInfo(FinalTarget(path_)).fileName()};
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = ::read(inotify_, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->len == 0 || !names.contains(QFile::decodeName(event->name)))
                continue;
            if (event->mask & (IN_MODIFY | IN_CREATE))
                writing_ = true;
            if (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE))
                writing_ = false;
        }
    }
}

void SettingsWatcher::Check() {
    read_.reset();
    quiet_.start();
}

// Something that is not a file there (a FIFO, a folder), or nothing, has
// no writer to wait for.
bool SettingsWatcher::Complete(const QByteArray& now) {
    return !writing_ || now.startsWith('\0') || looksWhole_(now) ||
           same_.elapsed() >= timing_.LongQuietMs;
}

void SettingsWatcher::Quiet() {
    const QByteArray now = Snapshot(path_);
    if (read_ != now) {
        read_ = now;
        same_.start();
        quiet_.start();
        return;
    }
    if (Complete(now))
        return emit settled();
    quiet_.start(); // its writer is still at it
}

bool SettingsWatcher::SettleNow() {
    QElapsedTimer waited;
    waited.start();
    QByteArray before = Snapshot(path_);
    while (waited.elapsed() < AtExitMs) {
        QThread::msleep(ulong(timing_.QuietMs));
        if (inotify_ >= 0)
            ReadEvents();
        const QByteArray now = Snapshot(path_);
        if (now == before && Complete(now))
            return true;
        before = now;
    }
    return false;
}
