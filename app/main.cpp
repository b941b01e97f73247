#include "app/AppAssembly.h"
#include "app/StartupRecovery.h"
#include "composer/MailStorer.h"
#include "composer/RecoveryFolder.h"
#include "composer/windows/ComposerFactory.h"
#include "config/ConfigSettings.h"
#include "config/DataFiles.h"
#include "mailbox/windows/TFM_MailBox.h"
#include "os/AppError.h"
#include "os/AppPaths.h"
#include "os/DataPaths.h"
#include "os/DefaultFont.h"
#include "os/DesktopShell.h"
#include "os/PictureCache.h"
#include "os/ProgramIcons.h"
#include "os/QtKeychainKeyring.h"
#include "os/SystemClock.h"
#include "os/SystemRandom.h"
#include "product/AppInfo.h"
#include "shell/windows/HtmlHelpLauncher.h"
#include "shell/windows/TFm_About.h"
#include "ui/CachedIconStyle.h"
#include "ui/StripPaintStyle.h"
#include "ui/ReadablePalette.h"
#include "ui/WidgetDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
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
    // A start that makes Config.dat is the first: the account questions follow.
    const bool firstStart = !QFileInfo::exists(paths.config);
    try {
        DataFiles::ensureConfigFile(paths.config);
        DataFiles::ensureMailBoxFile(paths.mailBox);
    } catch (const AppError &e) {
        return startupFailed(dialogs, e);
    }

    QApplication::setApplicationName(QString::fromLatin1(AppInfo::ApplicationTitle));
    DefaultFont::installSubstitutions();
    ProgramIcons::installFallbackTheme();
    // The splash and the tool pictures, drawn once, come from the user's cache afterwards.
    const PictureCache pictures(PictureCache::defaultFolder());
    const QString look = QApplication::style()->name();
    QApplication::setStyle(new StripPaintStyle(new CachedIconStyle(QApplication::style(), pictures)));
    ProgramIcons::keepPicturesIn(&pictures, look);
    // A desktop whose selection colour is too light for its selected text reads better.
    QApplication::setPalette(ReadablePalette::adjusted(QApplication::palette()));
    QApplication::setWindowIcon(ProgramIcons::icon(ProgramIcons::Role::ProgramIcon));

    DesktopShell shell;
    SystemClock clock;
    SystemRandom random; // seeded once for the whole run, when first used
    HtmlHelpLauncher help(dialogs, shell, paths);
    QtKeychainKeyring keyring; // the SMTP password goes to the desktop's keyring when one answers
    AppAssembly parts({dialogs, shell, clock, random, help, &keyring}, ConfigSettings::instance(), paths);
    // The password the keyring keeps is read once the main window is on the screen.
    parts.loadConfigurationKeyringLater();

    // The splash is on the screen while the other windows are made.
    TFm_About &splash = parts.createSplash();

    // Unsaved letters are kept in the Recovery folder while this program runs; the lock
    // it holds there tells other copies of the program to leave its letters alone. A
    // data folder that may only be read keeps none: they go to the user's own folder.
    RecoveryFolder recovery(DataPaths::recoveryFolder(paths.folder, DataPaths::userDataFolder()));
    recovery.open();
    ComposerFactory composers(parts.services());
    composers.setRecoveryFolder(&recovery);
    // The store is read once the main window is on the screen.
    TFM_MailBox &mainWindow = parts.createMainWindow(composers, true);
    dialogs.setParent(&mainWindow);
    parts.setFirstStart(firstStart);
    // The tips window comes once the main window is on the screen.
    parts.createDialogs(true);

    // Once the splash has gone (and the password is known, since a recovered letter may be
    // sent; and the store has been read, since a recovered letter may be stored): the letters
    // a program that ended too early left behind.
    const MailStorer storer(ConfigSettings::instance(), clock, paths.mailBox, paths.config, QDir::tempPath());
    QObject::connect(
        splash.TM_close, &QTimer::timeout, &mainWindow,
        [&] {
            QTimer::singleShot(0, &mainWindow, [&] {
                parts.afterPassword([&] {
                    mainWindow.whenStoreRead([&] {
                        StartupRecovery::run(recovery, dialogs, storer, paths.mailBox, mainWindow, composers);
                        parts.askFirstStart();
                    });
                });
            });
        },
        Qt::SingleShotConnection);
    // The main window waits, under the busy cursor, until the splash has gone; the tips
    // window, when it shows, keeps it waiting until it closes.
    parts.start();
    return app.exec();
}
