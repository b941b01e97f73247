// The mail operations of TFM_Cmps that open another window or a link. Storing, sending and
// closing are in TFM_CmpsStore.cpp; import, attachments and the recipients' fields in
// TFM_CmpsAttach.cpp.
#include "composer/windows/TFM_Cmps.h"

#include "os/DataPaths.h"
#include "os/Shell.h"
#include "product/LinkAddresses.h"
#include "shell/HelpPages.h"
#include "ui/HelpLauncher.h"
#include "ui/WindowOpener.h"
#include "ui/WindowServices.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>

void TFM_Cmps::pickRecipients()
{
    WindowOpener::AddressPicks picks;
    if (!m_services.opener.showAddressList(WindowOpener::AddressListUse::Pick, &picks))
        return;
    const auto append = [](QPlainTextEdit *memo, const QStringList &names) {
        for (const QString &name : names)
            memo->appendPlainText(name);
    };
    append(Memo_To, picks.to);
    append(Memo_CC, picks.cc);
    append(Memo_BCC, picks.bcc);
}

void TFM_Cmps::SpeedButton1Click() { pickRecipients(); }
void TFM_Cmps::Sbt_CCClick() { pickRecipients(); }

void TFM_Cmps::PIC_AdBookClick()
{
    m_services.opener.showAddressList(WindowOpener::AddressListUse::Manage);
}

void TFM_Cmps::AddressBool1Click()
{
    m_services.opener.showAddressList(WindowOpener::AddressListUse::ManageKeepClose);
}

void TFM_Cmps::AddAddress1Click()
{
    m_services.opener.addAddress();
}

void TFM_Cmps::PIC_SetClick()
{
    m_services.opener.showConfiguration(-1);
}

void TFM_Cmps::PIC_HelpClick()
{
    m_services.help.HtmlHelp(this, HelpPages::target(m_services.paths, HelpPages::Compose));
}

void TFM_Cmps::HelpContents1Click()
{
    m_services.help.HtmlHelp(this, HelpPages::target(m_services.paths, HelpPages::Contents));
}

void TFM_Cmps::TipsOfTheDay1Click()
{
    m_services.opener.showTips();
}

void TFM_Cmps::About1Click()
{
    m_services.opener.showAbout();
}

void TFM_Cmps::ReportBug1Click()
{
    m_services.shell.openUrl(QUrl(m_services.links.supportMail));
}

void TFM_Cmps::VisiteHomePage1Click()
{
    m_services.shell.openUrl(QUrl(m_services.links.homePage));
}

bool TFM_Cmps::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image2 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        VisiteHomePage1Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
