#include "MainWindowStandIn.h"

#include "AppError.h"
#include "AppInfo.h"
#include "ConfigFile.h"
#include "UserDialogs.h"

#include <QCloseEvent>

MainWindowStandIn::MainWindowStandIn(ConfigSettings &settings, UserDialogs &dialogs, QString configPath)
    : m_settings(settings)
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

void MainWindowStandIn::closeEvent(QCloseEvent *event)
{
    try {
        SaveConfig(m_settings, currentLayout(), m_configPath);
    } catch (const AppError &e) {
        m_dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle),
                             QString::fromLocal8Bit(e.what()), UserDialogs::Buttons::Ok);
    }
    event->accept();
}
