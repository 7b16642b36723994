// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include <QCommandLineParser>
#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

namespace {

const QString Version = QStringLiteral(VENDRIX_VERSION);

// Qt's own options: those that take a value, and plain switches.
const char* const QtValued[] = {"platform",    "platformpluginpath", "platformtheme",
                                "plugin",      "qmljsdebugger",      "qwindowgeometry",
                                "qwindowicon", "qwindowtitle",       "session",
                                "display",     "geometry",           "style",
                                "stylesheet"};
const char* const QtSwitches[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

void AddQtOptions(QCommandLineParser& parser) {
    for (const char* name : QtValued) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : QtSwitches) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

QString Help(const QCommandLineParser& parser) {
    return parser.helpText().replace(QStringLiteral("<executable_name>"),
                                     QStringLiteral("vendrix")) +
           QStringLiteral("\nThe options of every Qt program work too (-platform, -style, "
                          "-display...).\nSettings: ~/.config/vendrix/alerm.ini, or alerm.ini "
                          "beside a copy run from its own folder.\n");
}

QtMessageHandler defaultHandler = nullptr;

void DisplayGuard(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fputs("vendrix: cannot open a display to show the window on; start Vendrix in a "
                   "desktop session\n",
                   stderr);
        std::_Exit(1);
    }
    if (!QByteArray(context.category).startsWith("qt.qpa"))
        defaultHandler(type, context, message);
}

} // namespace

std::optional<int> CommandLine::Handle(int argc, char* argv[], Request& request) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Vendrix %1: a desktop alarm clock with twenty alarms.").arg(Version));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption autostart(
        QStringLiteral("autostart"),
        QStringLiteral("As started at login: wait in the notification area when an alarm is "
                       "armed, else end at once."));
    parser.addOption(autostart);
    const QCommandLineOption stop(
        QStringLiteral("stop"),
        QStringLiteral("Stop the alarm of the Vendrix that runs, as its Stop button does; exits "
                       "with 1 when none runs."));
    parser.addOption(stop);
    AddQtOptions(parser);
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        const QString error = parser.errorText().isEmpty()
                                  ? QStringLiteral("Unexpected argument '%1'.")
                                        .arg(parser.positionalArguments().value(0))
                                  : parser.errorText();
        QTextStream(stderr) << "vendrix: " << error << "\n\n" << Help(parser);
        return 2;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        QTextStream(stdout) << Help(parser);
        return 0;
    }
    if (parser.isSet(version)) {
        QTextStream(stdout) << "vendrix " << Version << "\n";
        return 0;
    }
    request = {parser.isSet(autostart), parser.isSet(stop)};
    return std::nullopt;
}

void CommandLine::GuardDisplay() {
    defaultHandler = qInstallMessageHandler(DisplayGuard);
}

void CommandLine::OpenedDisplay() {
    qInstallMessageHandler(defaultHandler);
}
