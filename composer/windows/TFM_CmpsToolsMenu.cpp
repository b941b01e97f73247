// The Tools menu of the composer: attaching is in TFM_CmpsAttachments.cpp; here picking
// recipients, the address book, the settings and spell checking.
#include "composer/windows/TFM_Cmps.h"

#include "composer/PictureFile.h"
#include "composer/PictureSize.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/ComposerSpelling.h"
#include "composer/windows/PictureSizeDialog.h"
#include "os/DataPaths.h"
#include "os/Shell.h"
#include "product/LinkAddresses.h"
#include "shell/HelpPages.h"
#include "ui/HelpLauncher.h"
#include "ui/UserDialogs.h"
#include "ui/WindowOpener.h"
#include "ui/WindowServices.h"

#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
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

void TFM_Cmps::buildSpelling()
{
    m_spelling = new ComposerSpelling(Editor, m_services.settings, m_services.paths, this);
    if (auto *tools = MainMenu1->findChild<QMenu *>(QStringLiteral("Tools1")))
        m_spelling->addToMenu(tools);
    connect(Editor, &ComposerEditor::documentReplaced, m_spelling, &ComposerSpelling::documentReplaced);
}
