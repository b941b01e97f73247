// Storing, sending and closing a composer's mail. The mail is built and stored by the
// composer core (MailStorer); the handlers here gather the window's fields, report to the
// main window and close.
#include "TFM_Cmps.h"

#include "AppError.h"
#include "AppInfo.h"
#include "ComposerEditor.h"
#include "ConfigSettings.h"
#include "DataPaths.h"
#include "MailBoxHost.h"
#include "MailStorer.h"
#include "UserDialogs.h"
#include "WindowOpener.h"
#include "WindowServices.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {


// The settings record's name of a box, and its item in the main window's box selector.
const char *boxName(char code)
{
    return code == 's' ? "SentBox" : code == 't' ? "TrashBox" : "UnsentBox";
}
int selectorItem(char code)
{
    return code == 's' ? 0 : code == 't' ? 2 : 1;
}

} // namespace

ComposedMail TFM_Cmps::composedMail() const
{
    ComposedMail mail;
    mail.letter = Editor->document();
    mail.to = Memo_To->toPlainText();
    mail.cc = Memo_CC->toPlainText();
    mail.bcc = Memo_BCC->toPlainText();
    mail.subject = Edt_Subject->text();
    mail.mode = FMode;
    mail.boxCode = FBoxCode;
    return mail;
}

MailStorer TFM_Cmps::storer() const
{
    return MailStorer(m_services.settings, m_services.clock, m_services.paths.mailBox, m_services.paths.config,
                      m_tempFolder);
}

void TFM_Cmps::showError(const QString &text)
{
    m_services.dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle), text);
}

bool TFM_Cmps::storeMail(std::int64_t &position)
{
    std::vector<AttachmentRow> rows = attachmentRows();
    bool stored = false;
    try {
        position = storer().storeReplacing(MSG, composedMail(), rows, FRecordPos);
        stored = true;
    } catch (const AppError &e) {
        showError(QString::fromUtf8(e.what()));
    }
    // Rows whose attachment went to a temporary file point at that file from now on,
    // also when a later step failed.
    for (int i = 0; i < LstV_Attach->count() && i < static_cast<int>(rows.size()); ++i) {
        QListWidgetItem *item = LstV_Attach->item(i);
        item->setData(Qt::UserRole, rows[std::size_t(i)].source);
        item->setData(Qt::UserRole + 1, rows[std::size_t(i)].kind);
    }
    return stored;
}

void TFM_Cmps::selectStoredRow()
{
    if (!m_host)
        return;
    const char code = MailStorer::storedBoxCode(composedMail());
    const int last = std::max(0, m_host->boxRowCount(code) - 1);
    ConfigSettings &s = m_services.settings;
    (code == 's' ? s.BOX_SIndex : code == 't' ? s.BOX_TIndex : s.BOX_UIndex) = last;
}

void TFM_Cmps::PIC_SaveClick()
{
    std::int64_t position = 0;
    if (!storeMail(position))
        return;
    setLetterChanged(false);
    hide();
    if (m_host) {
        m_host->ReloadBoxes();
        m_host->UpdateBoxCounts();
        selectStoredRow();
        m_host->RestoreSelection();
    }
    close();
}

bool TFM_Cmps::FormCloseQuery()
{
    bool mayClose = !letterChanged();
    if (!mayClose) {
        const QString text = QStringLiteral("Save changes to mail ") + Edt_Subject->text().trimmed() + QLatin1Char('?');
        switch (m_services.dialogs.messageBox(UserDialogs::Kind::Confirmation,
                                              QString::fromLatin1(AppInfo::ApplicationTitle), text,
                                              UserDialogs::Buttons::YesNoCancel)) {
        case UserDialogs::Answer::No:
            setLetterChanged(false);
            mayClose = true;
            break;
        case UserDialogs::Answer::Yes: {
            std::int64_t position = 0;
            if (!storeMail(position))
                break;
            setLetterChanged(false);
            mayClose = true;
            if (m_host) {
                // The main window shows the box the mail went to, with the mail selected.
                const char code = MailStorer::storedBoxCode(composedMail());
                m_services.settings.BOX_CurrentBox = boxName(code);
                m_host->setBoxSelectorItem(selectorItem(code));
                m_host->ReloadBoxes();
                m_host->UpdateBoxCounts();
                selectStoredRow();
                m_host->RestoreSelection();
            }
            break;
        }
        default:
            break;
        }
    }
    if (m_host)
        m_host->setComposerMayClose(mayClose);
    return mayClose;
}

void TFM_Cmps::FormClose()
{
    // The slot is given back once: the main window may hand it to a new composer at once.
    if (m_host && !m_released) {
        m_released = true;
        m_host->releaseComposerSlot(Tag);
    }
}

void TFM_Cmps::FileExitCmdExecute()
{
    close();
}

void TFM_Cmps::closeEvent(QCloseEvent *event)
{
    if (FormCloseQuery()) {
        event->accept();
        FormClose();
    } else {
        event->ignore();
    }
}

void TFM_Cmps::sendThrough(const QString &mode)
{
    std::int64_t position = 0;
    if (!storeMail(position))
        return;
    hide();
    m_services.opener.sendMails({QString::number(position)}, mode);
    if (m_host) {
        m_host->ReloadBoxes();
        m_host->RestoreSelection();
        m_host->UpdateBoxCounts();
    }
    setLetterChanged(false);
    close();
}

void TFM_Cmps::PIC_SendClick()
{
    if (m_services.opener.sendDialogShowing())
        return;
    if (MailStorer::letterEmpty(*Editor->document())) {
        showError(QStringLiteral("Do not send a empty mail!"));
        return;
    }
    if (m_services.settings.smtpAccountBlank()) {
        showError(QString::fromLatin1(ConfigSettings::AccountBlankMessage));
        return;
    }
    sendThrough(QStringLiteral("Self"));
}

void TFM_Cmps::PIC_IEClick()
{
    if (MailStorer::letterEmpty(*Editor->document())) {
        showError(QStringLiteral("Do not try to send a empty mail!"));
        return;
    }
    if (m_services.opener.sendDialogShowing())
        return;
    sendThrough(QStringLiteral("MSOE"));
}
