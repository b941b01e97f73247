#include "MainWindowStandIn.h"

#include "AppError.h"
#include "AppInfo.h"
#include "ConfigFile.h"
#include "DataPaths.h"
#include "HelpLauncher.h"
#include "HelpPages.h"
#include "LinkConfig.h"
#include "UserDialogs.h"
#include "WindowOpener.h"
#include "WindowServices.h"

#include <QCloseEvent>
#include <QMenuBar>

MainWindowStandIn::MainWindowStandIn(ConfigSettings &settings, const ConfigForm &form, UserDialogs &dialogs,
                                     QString configPath)
    : m_settings(settings)
    , m_form(form)
    , m_dialogs(dialogs)
    , m_configPath(std::move(configPath))
{
    setWindowTitle(QString::fromLatin1(AppInfo::MainWindowCaption));
    m_loaded = LoadWindowLayout(m_settings, m_configPath);
    move(m_loaded.WND_X, m_loaded.WND_Y);
    resize(m_loaded.WND_W, m_loaded.WND_H);
    if (m_loaded.state == MainWindowLayout::State::Maximized)
        setWindowState(Qt::WindowMaximized);
}

MainWindowLayout MainWindowStandIn::currentLayout() const
{
    MainWindowLayout layout = m_loaded;
    if (showTipsAtStartup)
        layout.WND_ShowTips = showTipsAtStartup();
    if (isMinimized()) {
        layout.state = MainWindowLayout::State::Minimized;
    } else if (isMaximized()) {
        layout.state = MainWindowLayout::State::Maximized;
    } else {
        layout.state = MainWindowLayout::State::Normal;
        layout.WND_X = x();
        layout.WND_Y = y();
        layout.WND_W = width();
        layout.WND_H = height();
    }
    return layout;
}

void MainWindowStandIn::addToolsMenu(WindowServices &services)
{
    QMenu *tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->addAction(QStringLiteral("Add Address"), this, [&services] { services.opener.addAddress(); });
    tools->addAction(QStringLiteral("Address Book"), this, [&services] {
        services.opener.showAddressList(WindowOpener::AddressListUse::ManageKeepClose);
    });
    tools->addSeparator();
    tools->addAction(QStringLiteral("&Options..."), this, [&services] { services.opener.showConfiguration(); });
}

void MainWindowStandIn::addHelpMenu(WindowServices &services)
{
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&Help Contents"), QKeySequence(Qt::Key_F1), this, [this, &services] {
        services.help.HtmlHelp(this, HelpPages::target(services.paths, HelpPages::Contents));
    });
    help->addAction(QStringLiteral("&Tips Of The Day"), this, [&services] { services.opener.showTips(); });
    help->addSeparator();
    help->addAction(QStringLiteral("&Visite HomePage"), this, [&services] {
        LinkConfig::open(services.shell, LinkConfig::homePage(services.links));
    });
    help->addAction(QStringLiteral("&Report Bug ..."), this, [&services] {
        LinkConfig::open(services.shell, LinkConfig::bugReport(services.links, LinkConfig::BugReportFrom::MainWindow));
    });
    help->addSeparator();
    help->addAction(QStringLiteral("&About Vellorn Composer ..."), this, [&services] { services.opener.showAbout(); });
}

void MainWindowStandIn::closeEvent(QCloseEvent *event)
{
    try {
        SaveConfig(m_settings, m_form, currentLayout(), m_configPath);
    } catch (const AppError &e) {
        m_dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle),
                             QString::fromLocal8Bit(e.what()), UserDialogs::Buttons::Ok);
    }
    event->accept();
}
