#pragma once

#include "config/ConfigSettings.h"
#include "os/DataPaths.h"
#include "product/LinkAddresses.h"
#include "ui/WindowServices.h"

#include <QTemporaryDir>
#include <memory>

class Clock;
class HelpLauncher;
class RandomSource;
class Shell;
class UserDialogs;
class WindowOpener;

// The services and demonstration data the windows are photographed with: a data folder
// holding a configured account, an address book and a store with mails in every box.
// Dialogs, links and help do nothing here.
class ShotContext
{
public:
    ShotContext();
    ~ShotContext();

    WindowServices &services() { return *m_services; }
    const DataPaths &paths() const { return m_paths; }
    ConfigSettings &settings() { return m_settings; }

private:
    void writeDemoData();

    QTemporaryDir m_dir;
    DataPaths m_paths;
    ConfigSettings m_settings;
    LinkAddresses m_links;
    std::unique_ptr<UserDialogs> m_dialogs;
    std::unique_ptr<Shell> m_shell;
    std::unique_ptr<Clock> m_clock;
    std::unique_ptr<RandomSource> m_random;
    std::unique_ptr<HelpLauncher> m_help;
    std::unique_ptr<WindowOpener> m_opener;
    std::unique_ptr<WindowServices> m_services;
};
