// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsWatcher.h"

#include "IniFile.h"

#include <QFileInfo>
#include <QThread>

namespace {

// The bytes, or why there are none: either way, what is compared.
QByteArray Snapshot(const QString& path) {
    const Result<QByteArray> bytes = IniFile::Read(path);
    return bytes ? *bytes : QByteArray(1, '\0') + QByteArray::number(bytes.Error().Error);
}

} // namespace

SettingsWatcher::SettingsWatcher(QString path) : path_(std::move(path)) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(QuietMs);
    connect(&quiet_, &QTimer::timeout, this, &SettingsWatcher::Quiet);
    const auto changed = [this] {
        if (!watcher_.files().contains(path_))
            watcher_.addPath(path_); // a file replaced is a new one to watch
        Check();
    };
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, changed);
}

void SettingsWatcher::Watch() {
    watcher_.addPaths({QFileInfo(path_).absolutePath(), path_});
}

void SettingsWatcher::Check() {
    read_.reset();
    quiet_.start();
}

void SettingsWatcher::SettleNow() const {
    for (int round = 0; round < 10; ++round) {
        const QByteArray before = Snapshot(path_);
        QThread::msleep(QuietMs);
        if (Snapshot(path_) == before)
            return;
    }
}

void SettingsWatcher::Quiet() {
    const QByteArray now = Snapshot(path_);
    if (read_ == now)
        return emit settled();
    read_ = now;
    quiet_.start();
}
