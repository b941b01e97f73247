#pragma once

#include "app/AppAssembly.h"
#include "config/ConfigSettings.h"
#include "os/DataPaths.h"

#include <QTemporaryDir>
#include <memory>

class Clock;
class HelpLauncher;
class RandomSource;
class Shell;
class UserDialogs;

// The services and demonstration data the windows are photographed with: a data folder
// holding a configured account, an address book and a store with mails in every box, and
// the program's parts over it, its configuration loaded. Dialogs, links and help do
// nothing here; the windows are made by each shot, not by the parts.
class ShotContext
{
public:
    ShotContext();
    ~ShotContext();

    WindowServices &services() { return m_parts->services(); }
    const DataPaths &paths() const { return m_paths; }
    ConfigSettings &settings() { return m_settings; }
    // The configuration as start-up loaded it: the dialog's values, the main window's layout.
    ConfigState &config() { return m_parts->config(); }

private:
    void writeDemoData();

    QTemporaryDir m_dir;
    DataPaths m_paths;
    ConfigSettings m_settings;
    std::unique_ptr<UserDialogs> m_dialogs;
    std::unique_ptr<Shell> m_shell;
    std::unique_ptr<Clock> m_clock;
    std::unique_ptr<RandomSource> m_random;
    std::unique_ptr<HelpLauncher> m_help;
    std::unique_ptr<AppAssembly> m_parts;
};
