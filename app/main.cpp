#include "AppError.h"
#include "AppInfo.h"
#include "AppPaths.h"
#include "ConfigFile.h"
#include "ConfigSettings.h"
#include "DataFiles.h"
#include "DefaultFont.h"
#include "MainWindowStandIn.h"
#include "ProgramIcons.h"
#include "WidgetDialogs.h"

#include <QApplication>
#include <cstdio>

namespace {

// Start-up errors end the program: shown in a box (not on a display-less platform,
// where nobody could answer it) and always printed.
int startupFailed(WidgetDialogs &dialogs, const AppError &e)
{
    std::fprintf(stderr, "%s\n", e.what());
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle),
                           QString::fromLocal8Bit(e.what()), UserDialogs::Buttons::Ok);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    WidgetDialogs dialogs;

    // The data files lie beside the executable; their paths are computed once.
    const QString configPath = AppPaths::configPath();
    const QString mailBoxPath = AppPaths::mailBoxPath();
    try {
        DataFiles::ensureConfigFile(configPath);
        DataFiles::ensureMailBoxFile(mailBoxPath);
    } catch (const AppError &e) {
        return startupFailed(dialogs, e);
    }

    QApplication::setApplicationName(QString::fromLatin1(AppInfo::ApplicationTitle));
    DefaultFont::installSubstitutions();
    ProgramIcons::installFallbackTheme();

    ConfigSettings &settings = ConfigSettings::instance();
    MainWindowStandIn mainWindow(settings, dialogs, configPath);
    dialogs.setParent(&mainWindow);
    LoadConfig(settings, configPath);

    mainWindow.show();
    return app.exec();
}
