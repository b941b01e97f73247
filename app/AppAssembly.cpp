#include "app/AppAssembly.h"

#include "mailbox/windows/TFM_MailBox.h"
#include "os/DataPaths.h"
#include "shell/LinkConfig.h"
#include "shell/windows/TFm_About.h"
#include "shell/TipsOfTheDay.h"
#include "shell/windows/TFM_Tips.h"

#include <QApplication>
#include <QCheckBox>
#include <QTimer>

AppAssembly::AppAssembly(const Seams &seams, ConfigSettings &settings, const DataPaths &paths)
    : m_settings(settings)
    , m_paths(paths)
    , m_config(seams.keyring)
    , m_services{seams.dialogs, seams.shell, seams.clock, seams.random, settings, paths, seams.help, m_links, m_windows}
{
    m_windows.setServices(m_services);
}

AppAssembly::~AppAssembly()
{
    // The windows ask the main window for nothing once it has gone.
    m_windows.setMainWindow(nullptr);
    m_main.reset();
}

void AppAssembly::loadConfiguration()
{
    m_links = LinkConfig::read(m_paths.config);
    m_config.load(m_settings, m_paths.config);
}

void AppAssembly::loadConfigurationKeyringLater()
{
    m_links = LinkConfig::read(m_paths.config);
    m_config.loadKeyringLater(m_settings, m_paths.config);
}

void AppAssembly::afterPassword(std::function<void()> step)
{
    if (m_config.passwordPending())
        m_afterPassword.push_back(std::move(step));
    else
        step();
}

void AppAssembly::readPendingPassword()
{
    // The keyring's answer may take a while (a nested wait): the window stays held
    // meanwhile, whatever the splash and the tips window do.
    m_config.readPendingPassword(m_settings);
    m_windows.holdMainWindow(false);
    std::vector<std::function<void()>> steps;
    steps.swap(m_afterPassword);
    for (const std::function<void()> &step : steps)
        step();
}

TFm_About &AppAssembly::createSplash()
{
    TFm_About &splash = m_windows.createAbout(m_services);
    splash.showSplash();
    QApplication::processEvents();
    return splash;
}

TFM_MailBox &AppAssembly::createMainWindow(ComposerWindows &composers, bool readStoreAfterFirstPaint)
{
    m_main = std::make_unique<TFM_MailBox>(m_services, composers, m_config.form, m_config.layout, nullptr,
                                           readStoreAfterFirstPaint ? TFM_MailBox::StoreReading::AfterFirstPaint
                                                                    : TFM_MailBox::StoreReading::AtOnce);
    m_windows.setMainWindow(m_main.get());
    return *m_main;
}

void AppAssembly::createDialogs(bool tipsAfterFirstPaint)
{
    TFM_MailBox *main = m_main.get();
    // The configuration dialog's Save writes the main window's keys as the window stands.
    std::function<MainWindowLayout()> layout;
    if (main)
        layout = [main] { return main->currentLayout(); };
    m_windows.prepareDialogs(m_services, m_config.form, m_config.password, std::move(layout));
    if (main && tipsAfterFirstPaint) {
        m_windows.setTipsPending(!m_firstStart && TipsOfTheDay::readShowTips(m_paths.config));
        main->whenFirstPainted([this] { createTips(); });
    } else {
        createTips();
    }
}

void AppAssembly::createTips()
{
    if (m_windows.tips())
        return;
    TFM_Tips &tips = m_windows.createTips(m_services);
    if (TFM_MailBox *main = m_main.get())
        main->showTipsAtStartup = [&tips] { return tips.CHK_Dsp->isChecked(); };
    const bool shown = !m_firstStart && tips.showAtStartup();
    const bool wasPending = m_windows.tipsPending();
    m_windows.setTipsPending(false);
    if (!shown) {
        // The splash that went meanwhile left the main window disabled for it.
        TFm_About *splash = m_windows.about();
        if (wasPending && !(splash && splash->TM_close->isActive()))
            m_windows.setMainWindowEnabled(true);
        return;
    }
    // Made after the main window had shown: it takes the activation from the window, which
    // it keeps disabled until it closes.
    if (m_main && m_main->isVisible()) {
        tips.raise();
        tips.activateWindow();
    }
}

void AppAssembly::askFirstStart()
{
    if (!m_firstStart)
        return;
    // A main window not painted yet has not made the tips window: made here, hidden.
    createTips();
    m_firstStart = false;
    if (m_settings.smtpAccountBlank())
        m_windows.showFirstStart();
    TFM_Tips *tips = m_windows.tips();
    if (tips && tips->showAtStartup()) {
        tips->raise();
        tips->activateWindow();
    }
}

void AppAssembly::start()
{
    if (m_main)
        m_main->show();
    m_windows.setMainWindowEnabled(false);
    if (m_config.passwordPending()) {
        if (m_main) {
            m_windows.holdMainWindow(true);
            QTimer::singleShot(0, m_main.get(), [this] { readPendingPassword(); });
        } else {
            readPendingPassword();
        }
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (TFm_About *splash = m_windows.about()) {
        splash->startSplashTimer();
        splash->raise();
    }
    // The tips window is shown before the main window, which takes the activation with
    // it; the main window is disabled meanwhile, so the first keys would be lost.
    if (TFM_Tips *tips = m_windows.tips(); tips && tips->isVisible()) {
        tips->raise();
        tips->activateWindow();
    }
}
