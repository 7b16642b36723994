// SPDX-License-Identifier: GPL-3.0-or-later
#include "Actions.h"
#include "CommandLine.h"
#include "DBusNotifications.h"
#include "Form1.h"
#include "LogindInhibitor.h"
#include "PulseOutputVolume.h"
#include "QtTranslation.h"
#include "RtcWakeTimer.h"
#include "SingleInstance.h"
#include "SoundServer.h"
#include "SystemTrayIcon.h"
#include "UnixSignals.h"
#include "UserWords.h"
#include "WindowIcon.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <cstdio>

namespace {

// vendrix-wake: beside the program in a build or an unpacked copy, under
// libexec when installed.
QString WakeHelper(const QString& programDir) {
    const QDir dir(programDir);
    const QString beside = dir.filePath(QStringLiteral("vendrix-wake"));
    return QFileInfo::exists(beside)
               ? beside
               : dir.filePath(QStringLiteral("../libexec/vendrix/vendrix-wake"));
}

// vendrix --stop: what a key binding or the menu entry's action runs, with
// or without a display.
int StopRunning(int argc, char* argv[], const QString& iniPath) {
    QCoreApplication app(argc, argv);
    if (SingleInstance::StopRunning(iniPath))
        return 0;
    std::fputs("vendrix: no Vendrix runs on these settings; nothing to stop\n", stderr);
    return 1;
}

// A start that gives way to a copy it cannot reach says so where the user
// sees it: a dialog when started by hand, a notification at login.
void TellItRunsElsewhere(const SingleInstance& instance, bool atLogin) {
    const QString text = Words::AlreadyRuns(instance.Holder().Pid, instance.Holder().Host);
    if (atLogin)
        DBusNotifications().ShowNoticeNow(QStringLiteral("Vendrix"), text);
    else
        QMessageBox::warning(nullptr, QStringLiteral("Vendrix v0.3"), text);
}

} // namespace

int main(int argc, char* argv[]) {
    qSetMessagePattern(QStringLiteral("vendrix: %{message}"));
    CommandLine::Request request;
    if (const std::optional<int> exitCode = CommandLine::Handle(argc, argv, request))
        return *exitCode;
    // Found before the display is opened, so that a start at login for
    // nothing armed ends without a word.
    const QString programDir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString userDir =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
            .filePath(QStringLiteral("vendrix"));
    const SettingsFile::Choice settings = SettingsFile::ChooseIniPath(programDir, userDir);
    const QString& iniPath = settings.Path;
    if (request.Stop)
        return StopRunning(argc, argv, iniPath);
    if (request.AtLogin && !SettingsFile::NeededAtLogin(iniPath))
        return 0;
    CommandLine::GuardDisplay();
    QApplication app(argc, argv);
    CommandLine::OpenedDisplay();
    QApplication::setApplicationName(QStringLiteral("vendrix"));
    QApplication::setDesktopFileName(QStringLiteral("vendrix"));
    InstallQtTranslation();

    SingleInstance instance(iniPath);
    switch (instance.Take()) {
    case SingleInstance::Claim::Primary:
        break;
    case SingleInstance::Claim::Unreachable:
        TellItRunsElsewhere(instance, request.AtLogin);
        return 0;
    case SingleInstance::Claim::Raised:
        return 0;
    }

    SoundServer sound;
    Actions actions(sound, programDir);
    DBusNotifications notifications;
    SystemTrayIcon tray(WindowIcon::Make());
    RtcWakeTimer wake(WakeHelper(programDir));
    LogindInhibitor inhibitor;
    PulseOutputVolume volume(sound);
    Form1 form(iniPath, actions,
               {notifications, tray, wake, inhibitor, volume, sound,
                SingleInstance::PrivateFile(iniPath, QStringLiteral(".volume"))});
    QObject::connect(&instance, &SingleInstance::activated, &form, &Form1::BringToFront);
    QObject::connect(&instance, &SingleInstance::stopRequested, &form, &Form1::Stop);
    UnixSignals signals_;
    QObject::connect(&signals_, &UnixSignals::received, &form, [&form] {
        form.Form_QueryUnload();
        QCoreApplication::exit(0);
    });
    form.Form_Load();
    if (!settings.PassedOver.isEmpty())
        form.Tell(Words::NotBesideTheProgram(settings.PassedOver, iniPath));
    if (request.AtLogin)
        form.StartMinimised();
    else
        form.show();
    return QApplication::exec();
}
