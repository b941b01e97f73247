#pragma once

#include "MainWindowLayout.h"

#include <QMainWindow>
#include <functional>

struct ConfigForm;
struct ConfigSettings;
class UserDialogs;
struct WindowServices;

// The main window until the mailbox window exists: it applies the layout keys when
// created and writes the whole configuration when it closes.
class MainWindowStandIn : public QMainWindow
{
    Q_OBJECT

public:
    // form: the configuration dialog's values, which the save at closing writes.
    MainWindowStandIn(ConfigSettings &settings, const ConfigForm &form, UserDialogs &dialogs, QString configPath);

    // The window's current layout as the configuration file keeps it.
    MainWindowLayout currentLayout() const;

    // The state of "Always show tips at startup", kept with the layout when set.
    std::function<bool()> showTipsAtStartup;

    // The Tools menu: Add Address, Address Book and the configuration.
    void addToolsMenu(WindowServices &services);

    // The Help menu: contents, tips, home page, bug report and About.
    void addHelpMenu(WindowServices &services);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    ConfigSettings &m_settings;
    const ConfigForm &m_form;
    UserDialogs &m_dialogs;
    QString m_configPath;
    MainWindowLayout m_loaded;
};
