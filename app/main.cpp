#include "AppError.h"
#include "AppInfo.h"
#include "AppPaths.h"
#include "AppWindows.h"
#include "ComposerFactory.h"
#include "ConfigFile.h"
#include "ConfigSettings.h"
#include "DataFiles.h"
#include "DataPaths.h"
#include "DefaultFont.h"
#include "DesktopShell.h"
#include "HtmlHelpLauncher.h"
#include "LinkConfig.h"
#include "MailStorer.h"
#include "ProgramIcons.h"
#include "RecoveryFolder.h"
#include "StartupRecovery.h"
#include "SystemClock.h"
#include "SystemRandom.h"
#include "TFM_MailBox.h"
#include "TFM_Tips.h"
#include "TFm_About.h"
#include "TFm_Set.h"
#include "WidgetDialogs.h"
#include "WindowServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QTimer>
#include <cstdio>

namespace {

// Start-up errors end the program: shown in a box (not on a display-less platform,
// where nobody could answer it) and always printed.
int startupFailed(WidgetDialogs &dialogs, const AppError &e)
{
    std::fprintf(stderr, "%s\n", e.what());
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle),
                           QString::fromUtf8(e.what()), UserDialogs::Buttons::Ok);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    WidgetDialogs dialogs;

    // The data files lie beside the executable, or in the user's data folder when the
    // program is installed where the user cannot write; their paths are computed once.
    const DataPaths paths = DataPaths::choose(AppPaths::executableFolder(), DataPaths::userDataFolder());
    try {
        DataFiles::ensureConfigFile(paths.config);
        DataFiles::ensureMailBoxFile(paths.mailBox);
    } catch (const AppError &e) {
        return startupFailed(dialogs, e);
    }

    QApplication::setApplicationName(QString::fromLatin1(AppInfo::ApplicationTitle));
    DefaultFont::installSubstitutions();
    ProgramIcons::installFallbackTheme();
    QApplication::setWindowIcon(ProgramIcons::icon(ProgramIcons::Role::ProgramIcon));

    DesktopShell shell;
    SystemClock clock;
    SystemRandom random; // seeded once for the whole run
    ConfigSettings &settings = ConfigSettings::instance();
    const LinkAddresses links = LinkConfig::read(paths.config);
    HtmlHelpLauncher help(dialogs, shell, paths);
    ConfigForm configForm; // the configuration dialog's values, written at exit too
    AppWindows windows;
    WindowServices services{dialogs, shell, clock, random, settings, paths, help, links, windows};

    // The splash is on the screen while the other windows are made.
    TFm_About &splash = windows.createAbout(services);
    splash.showSplash();
    QApplication::processEvents();

    // Unsaved letters are kept in the Recovery folder while this program runs; the lock
    // it holds there tells other copies of the program to leave its letters alone.
    RecoveryFolder recovery(paths.folder + QStringLiteral("Recovery"));
    recovery.open();
    ComposerFactory composers(services);
    composers.setRecoveryFolder(&recovery);
    TFM_MailBox mainWindow(services, composers, configForm);
    dialogs.setParent(&mainWindow);
    windows.setMainWindow(&mainWindow);
    windows.createAddressEditor(services);
    windows.createAddressList(services);
    TFm_Set &configuration = windows.createConfiguration(services, configForm);
    configuration.setWindowLayout([&mainWindow] { return mainWindow.currentLayout(); });
    windows.createSendDialog(services);
    TFM_Tips &tips = windows.createTips(services);
    mainWindow.showTipsAtStartup = [&tips] { return tips.CHK_Dsp->isChecked(); };
    tips.showAtStartup();

    // The main window waits, under the busy cursor, until the splash has gone; the tips
    // window, when it shows, keeps it waiting until it closes.
    mainWindow.show();
    windows.setMainWindowEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Once the splash has gone: the letters a program that ended too early left behind.
    const MailStorer storer(settings, clock, paths.mailBox, paths.config, QDir::tempPath());
    QObject::connect(
        splash.TM_close, &QTimer::timeout, &mainWindow,
        [&] {
            QTimer::singleShot(0, &mainWindow,
                               [&] { StartupRecovery::run(recovery, dialogs, storer, paths.mailBox, mainWindow, composers); });
        },
        Qt::SingleShotConnection);
    splash.startSplashTimer();
    splash.raise();
    return app.exec();
}
