#include "Actions.h"
#include "Form1.h"
#include "QtTranslation.h"
#include "SingleInstance.h"
#include "UnixSignals.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vendrix"));
    QApplication::setDesktopFileName(QStringLiteral("vendrix"));
    InstallQtTranslation();

    const QString programDir = QCoreApplication::applicationDirPath();
    const QString userDir =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
            .filePath(QStringLiteral("vendrix"));
    const QString iniPath = SettingsFile::ChooseIniPath(programDir, userDir);

    SingleInstance instance(iniPath);
    if (!instance.IsPrimary())
        return 0;

    Actions actions(programDir);
    Form1 form(iniPath, actions);
    QObject::connect(&instance, &SingleInstance::activated, &form, &Form1::BringToFront);
    UnixSignals signals_;
    QObject::connect(&signals_, &UnixSignals::received, &form, [&form] {
        form.Form_QueryUnload();
        QCoreApplication::exit(0);
    });
    form.Form_Load();
    form.show();
    return QApplication::exec();
}
