#include "app/AppWindows.h"

#include "addressbook/windows/TFM_AddEdit.h"
#include "addressbook/windows/TFM_AddLst.h"
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
    m_about->tipsShowing = [this] { return m_tips && m_tips->isVisible(); };
    return *m_about;
}

TFM_AddEdit &AppWindows::createAddressEditor(WindowServices &services)
{
    m_addressEditor = std::make_unique<TFM_AddEdit>(services);
    return *m_addressEditor;
}

TFM_AddLst &AppWindows::createAddressList(WindowServices &services)
{
    m_addressList = std::make_unique<TFM_AddLst>(services, *m_addressEditor);
    return *m_addressList;
}

TFm_Set &AppWindows::createConfiguration(WindowServices &services, ConfigForm &form, SmtpPassword &password)
{
    m_configuration = std::make_unique<TFm_Set>(services, form, password);
    return *m_configuration;
}

TFM_Send &AppWindows::createSendDialog(WindowServices &services)
{
    m_send = std::make_unique<TFM_Send>(services);
    return *m_send;
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

void AppWindows::showConfiguration(int page)
{
    if (!m_configuration)
        return;
    m_configuration->setPage(page);
    m_configuration->centreOn(m_mainWindow);
    m_configuration->exec();
}

bool AppWindows::showAddressList(AddressListUse use, AddressPicks *picks)
{
    return m_addressList && m_addressList->showModal(use, picks);
}

void AppWindows::addAddress()
{
    if (m_addressEditor)
        m_addressEditor->AddAddress();
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
    if (!m_send)
        return false;
    m_send->show();
    return m_send->SendMails(positions, mode);
}

void AppWindows::setMainWindowEnabled(bool enabled)
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(enabled);
}
