// The Help menu of the composer and its help picture: the compose page, tips, the bug
// report, the home page and About.
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

void TFM_Cmps::ReportBug1Click()
{
    m_services.shell.openUrl(QUrl(m_services.links.supportMail));
}

void TFM_Cmps::VisiteHomePage1Click()
{
    m_services.shell.openUrl(QUrl(m_services.links.homePage));
}

void TFM_Cmps::About1Click()
{
    m_services.opener.showAbout();
}
