#pragma once

#include "app/AppWindows.h"
#include "config/ConfigState.h"
#include "product/LinkAddresses.h"
#include "ui/WindowServices.h"

#include <functional>
#include <memory>
#include <vector>

class Clock;
class ComposerWindows;
class HelpLauncher;
class PasswordKeyring;
class RandomSource;
class Shell;
class TFM_MailBox;
class UserDialogs;
struct ConfigSettings;
struct DataPaths;

// The program put together: the services every window gets, the configuration loaded from
// Config.dat, the long-lived windows and the main window, made in the start-up order.
// The program, its tests, vellorn-shots and the window benchmark build it alike; what
// differs between them (real or fake dialogs, shell, clock, random source and help, a
// keyring or none, which composers the main window opens) comes in from outside.
class AppAssembly
{
public:
    // The services that differ between the program and its tests and tools.
    struct Seams
    {
        UserDialogs &dialogs;
        Shell &shell;
        Clock &clock;
        RandomSource &random;
        HelpLauncher &help;
        // Where the SMTP password may be kept; null: in Config.dat only.
        PasswordKeyring *keyring = nullptr;
    };

    AppAssembly(const Seams &seams, ConfigSettings &settings, const DataPaths &paths);
    ~AppAssembly();

    // Reads Config.dat, once, before any window is made: the settings record, the
    // configuration dialog's values, the main window's layout, the links, and the SMTP
    // password from the keyring where the file says it lives.
    void loadConfiguration();
    // The same, except that the password kept in the keyring (which may be slow to answer,
    // or ask to be unlocked) is read once the main window has been shown: start() asks for
    // it at the first turn of the message loop. Until it has been read the main window stays
    // disabled and the steps given to afterPassword wait, so nothing can send without it.
    void loadConfigurationKeyringLater();
    // Runs `step` once the password is known: at once unless loadConfigurationKeyringLater
    // left it to be read.
    void afterPassword(std::function<void()> step);

    WindowServices &services() { return m_services; }
    AppWindows &windows() { return m_windows; }
    ConfigState &config() { return m_config; }
    // Null until createMainWindow.
    TFM_MailBox *mainWindow() const { return m_main.get(); }

    // The start-up windows, in their order: the splash (shown at once, so that it is on the
    // screen while the others are made), the main window, then the tips window (shown when
    // the file says so; on a first start after the account questions). createDialogs also readies the address editor and list, the
    // configuration dialog and the send dialog, which are made when first opened.
    TFm_About &createSplash();
    // readStoreAfterFirstPaint: the window shows before its store is read (see TFM_MailBox).
    TFM_MailBox &createMainWindow(ComposerWindows &composers, bool readStoreAfterFirstPaint = false);
    // tipsAfterFirstPaint: the tips window is made and shown once the main window's first
    // paint is on the screen (see TFM_MailBox::whenFirstPainted), not before it.
    void createDialogs(bool tipsAfterFirstPaint = false);
    // A start that made Config.dat (before createDialogs): the tips window waits for the
    // account questions, which it would otherwise cover.
    void setFirstStart(bool firstStart) { m_firstStart = firstStart; }
    // Once the splash has gone and the password is known: on a first start with no
    // account set up, the account questions (FirstStartDialog), then the tips window they
    // held back. In this order, from one call: the tips window does not open the account
    // questions as it closes.
    void askFirstStart();

    // Shows the main window, kept disabled under the busy cursor until the splash has gone
    // (and, when the tips window shows, until it closes), and starts the splash's timer.
    void start();

private:
    void readPendingPassword();
    void createTips();

    ConfigSettings &m_settings;
    const DataPaths &m_paths;
    LinkAddresses m_links;
    ConfigState m_config;
    AppWindows m_windows;
    WindowServices m_services;
    std::unique_ptr<TFM_MailBox> m_main;
    std::vector<std::function<void()>> m_afterPassword;
    bool m_firstStart = false;
};
