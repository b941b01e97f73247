#include "app/AppWindows.h"

#include "addressbook/windows/TFM_AddEdit.h"
#include "addressbook/windows/TFM_AddLst.h"
#include "config/windows/FirstStartDialog.h"
#include "config/windows/TFm_Set.h"
#include "picture/windows/TFM_Preview.h"
#include "send/windows/TFM_Send.h"
#include "shell/windows/TFm_About.h"
#include "shell/windows/TFM_Tips.h"

AppWindows::AppWindows() = default;

AppWindows::~AppWindows()
{
    // The tips window enables the main window as it goes; nothing is left to enable.
    m_mainWindow = nullptr;
    m_tips.reset();
    m_send.reset();
    m_configuration.reset();
    m_addressList.reset(); // uses the editor
    m_addressEditor.reset();
    m_about.reset();
}

TFm_About &AppWindows::createAbout(WindowServices &services)
{
    m_about = std::make_unique<TFm_About>(services);
    m_about->tipsShowing = [this] { return m_tipsPending || (m_tips && m_tips->isVisible()); };
    return *m_about;
}

void AppWindows::prepareDialogs(WindowServices &services, ConfigForm &form, SmtpPassword &password,
                                std::function<MainWindowLayout()> windowLayout)
{
    m_dialogServices = &services;
    m_form = &form;
    m_password = &password;
    m_windowLayout = std::move(windowLayout);
}

TFM_AddEdit *AppWindows::addressEditor()
{
    if (!m_addressEditor && m_dialogServices)
        m_addressEditor = std::make_unique<TFM_AddEdit>(*m_dialogServices);
    return m_addressEditor.get();
}

TFM_AddLst *AppWindows::addressList()
{
    if (!m_addressList && m_dialogServices)
        m_addressList = std::make_unique<TFM_AddLst>(*m_dialogServices, *addressEditor());
    return m_addressList.get();
}

TFm_Set *AppWindows::configuration()
{
    if (!m_configuration && m_dialogServices) {
        m_configuration = std::make_unique<TFm_Set>(*m_dialogServices, *m_form, *m_password);
        if (m_windowLayout)
            m_configuration->setWindowLayout(m_windowLayout);
    }
    return m_configuration.get();
}

TFM_Send *AppWindows::sendDialog()
{
    if (!m_send && m_dialogServices)
        m_send = std::make_unique<TFM_Send>(*m_dialogServices);
    return m_send.get();
}

void AppWindows::showPreview(std::function<PicturePreview::Input()> source, QWidget *owner, bool print)
{
    if (m_services)
        TFM_Preview::showBeside(*m_services, std::move(source), owner, print);
}

TFM_Tips &AppWindows::createTips(WindowServices &services)
{
    m_tips = std::make_unique<TFM_Tips>(services);
    return *m_tips;
}

void AppWindows::showFirstStart()
{
    if (!m_dialogServices || !m_form || !m_password)
        return;
    FirstStartDialog dialog(*m_dialogServices, *m_form, *m_password, m_mainWindow);
    dialog.windowLayout = m_windowLayout;
    dialog.exec();
    if (!dialog.wantsSmtpPage())
        return;
    // What was typed and not saved opens in the page, to be completed there.
    TFm_Set *configuration = this->configuration();
    if (configuration && dialog.result() == QDialog::Rejected)
        configuration->fillInAdvance(dialog.typedForm());
    showConfiguration(1);
    // A sign-in the page did not save either leaves no token behind.
    dialog.forgetUnsavedSignIns();
}

void AppWindows::showConfiguration(int page)
{
    TFm_Set *configuration = this->configuration();
    if (!configuration)
        return;
    configuration->setPage(page);
    configuration->centreOn(m_mainWindow);
    configuration->exec();
}

bool AppWindows::showAddressList(AddressListUse use, AddressPicks *picks)
{
    TFM_AddLst *list = addressList();
    return list && list->showModal(use, picks);
}

void AppWindows::addAddress()
{
    if (TFM_AddEdit *editor = addressEditor())
        editor->AddAddress();
}

void AppWindows::showTips()
{
    if (!m_tips)
        return;
    if (m_tips->isVisible()) {
        m_tips->raise();
        m_tips->activateWindow();
        return;
    }
    m_tips->exec();
}

void AppWindows::showAbout()
{
    // While it is the splash, it closes by itself.
    if (m_about && !m_about->isVisible())
        m_about->exec();
}

bool AppWindows::sendDialogShowing() const
{
    return m_send && m_send->isVisible();
}

bool AppWindows::sendMails(const std::vector<std::int64_t> &positions, SendMode mode)
{
    TFM_Send *send = sendDialog();
    if (!send)
        return false;
    send->show();
    return send->SendMails(positions, mode);
}

void AppWindows::setMainWindowEnabled(bool enabled)
{
    if (m_held) {
        m_enabledWhenReleased = enabled;
        enabled = false;
    }
    if (m_mainWindow)
        m_mainWindow->setEnabled(enabled);
}

void AppWindows::holdMainWindow(bool hold)
{
    if (hold == m_held)
        return;
    if (hold)
        m_enabledWhenReleased = m_mainWindow && m_mainWindow->isEnabled();
    m_held = hold;
    setMainWindowEnabled(hold ? false : m_enabledWhenReleased);
}
