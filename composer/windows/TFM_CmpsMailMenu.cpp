// The Flie menu of the composer: a new letter, importing, storing, sending, saving the
// letter as a file, the picture preview and printing, and closing. The mail is built and
// stored by the composer core (MailStorer); the handlers here gather the window's fields,
// report to the main window and close.
#include "composer/windows/TFM_Cmps.h"

#include "composer/ActiveAttributes.h"
#include "composer/AlignmentTag.h"
#include "composer/AttachSizeCheck.h"
#include "composer/CaretFormat.h"
#include "composer/ComposerTitle.h"
#include "composer/LetterContent.h"
#include "composer/LetterFile.h"
#include "composer/LetterStamp.h"
#include "composer/MailStorer.h"
#include "composer/ParagraphFormat.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/FontSizeBox.h"
#include "config/ConfigSettings.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "os/Clock.h"
#include "os/DataPaths.h"
#include "os/ProgramIcons.h"
#include "product/AppInfo.h"
#include "richtext/LetterDocument.h"
#include "text/StoredText.h"
#include "ui/AccessibleNames.h"
#include "ui/MailBoxHost.h"
#include "ui/UserDialogs.h"
#include "ui/WindowOpener.h"
#include "ui/WindowServices.h"
#include "ui/WorkerStep.h"

#include <QAction>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QToolBar>
#include <QToolButton>

namespace {

// A mail from this size on is stored off the window's thread, with a progress dialog.
constexpr std::int64_t kWorkerStepBytes = 8 * 1024 * 1024;

} // namespace

void TFM_Cmps::FileNewCmdExecute()
{
    // A letter with content is only emptied when the person says so; either way Undo
    // brings it back, and the mail counts as changed.
    if (LetterContent::hasContent(*Editor->document())
        && ask(UserDialogs::Kind::Warning, QStringLiteral("All current text will be clear!\r\nAre you sure to start a new letter?"),
               UserDialogs::Buttons::YesNo)
            != UserDialogs::Answer::Yes)
        return;
    QTextCursor cursor = Editor->textCursor();
    LetterContent::clear(cursor);
    Editor->setTextCursor(cursor);
    Editor->setFocus();
    SelectionChange();
}

void TFM_Cmps::PIC_OpenClick()
{
    // Only a letter with content has something to lose.
    if (LetterContent::hasContent(*Editor->document())
        && ask(UserDialogs::Kind::Warning,
               QStringLiteral("All current text will be clear!\r\nAre you sure continue import text?"),
               UserDialogs::Buttons::YesNo)
            != UserDialogs::Answer::Yes)
        return;
    const QString path = openFile(m_openFilter);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showError(QStringLiteral("Cannot open file \"%1\"").arg(QDir::toNativeSeparators(path)));
        return;
    }
    const QByteArray bytes = file.readAll();
    // RTF loads as rich text, anything else as plain text (UTF-8 when it is that, else
    // Windows-1252).
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    Editor->loadLetter(text, StoredText::toQString(text));
    Editor->setFocus();
    setLetterChanged(false);
    Editor->setReadOnly(false);
    SelectionChange();
}

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

UserDialogs::Answer TFM_Cmps::ask(UserDialogs::Kind kind, const QString &text, UserDialogs::Buttons buttons)
{
    const UserDialogs::Asker asker(m_services.dialogs, this);
    return m_services.dialogs.messageBox(kind, QString::fromLatin1(AppInfo::ApplicationTitle), text, buttons);
}

QString TFM_Cmps::openFile(const QString &filter)
{
    const UserDialogs::Asker asker(m_services.dialogs, this);
    return m_services.dialogs.openFileName(QStringLiteral("Open"), filter);
}

void TFM_Cmps::showError(const QString &text)
{
    ask(UserDialogs::Kind::Error, text);
}

bool TFM_Cmps::storeMail(std::int64_t &position)
{
    std::vector<AttachmentRow> rows = attachmentRows();
    bool stored = false;
    try {
        const ComposedMail mail = composedMail();
        const MailStorer mailStorer = storer();
        PreparedMail prepared = mailStorer.prepare(MSG, mail, rows);
        position = -1;
        if (prepared.length() < kWorkerStepBytes) {
            position = prepared.write();
        } else {
            // A large mail is written off the window's thread, with its progress shown;
            // Cancel leaves the store as it was.
            WorkerStep::run(this, QStringLiteral("Storing the mail..."),
                            [&](const WorkerStep::Progress &progress) { position = prepared.write(progress); });
        }
        prepared.release();
        if (position >= 0) {
            if (mail.mode == ComposeMode::Modify)
                MailStore(m_services.paths.mailBox).SetBoxCode(FRecordPos, BoxCode::Deleted);
            stored = true;
        }
    } catch (const AppError &e) {
        showError(QString::fromUtf8(e.what()));
    }
    // Rows whose attachment went to a temporary file point at that file from now on,
    // also when a later step failed.
    LstV_Attach->setSources(rows);
    return stored;
}

void TFM_Cmps::reportStored(std::int64_t position)
{
    if (m_host)
        m_host->mailStored(MailStorer::storedBoxCode(composedMail()), position);
}

void TFM_Cmps::PIC_SaveClick()
{
    std::int64_t position = 0;
    if (!storeMail(position))
        return;
    setLetterChanged(false);
    discardRecoveryCopy();
    hide();
    reportStored(position);
    close();
}

void TFM_Cmps::SaveLetterAs1Click()
{
    QString path;
    {
        const UserDialogs::Asker asker(m_services.dialogs, this);
        path = m_services.dialogs.saveFileName(QStringLiteral("Save Letter As"),
                                               QStringLiteral("Rich Text Files (*.rtf)|*.rtf"),
                                               LetterFile::suggestedName(Edt_Subject->text()), QStringLiteral("rtf"));
    }
    if (path.isEmpty())
        return;
    // The mail is not stored by this: the letter stays changed until it is.
    const QString error = LetterFile::save(path, LetterDocument::save(*Editor->document()));
    if (!error.isEmpty())
        showError(error);
}

bool TFM_Cmps::FormCloseQuery()
{
    bool mayClose = !letterChanged();
    if (!mayClose) {
        const QString text = QStringLiteral("Save changes to mail ") + Edt_Subject->text().trimmed() + QLatin1Char('?');
        switch (ask(UserDialogs::Kind::Confirmation, text, UserDialogs::Buttons::YesNoCancel)) {
        case UserDialogs::Answer::No:
            setLetterChanged(false);
            discardRecoveryCopy();
            mayClose = true;
            break;
        case UserDialogs::Answer::Yes: {
            std::int64_t position = 0;
            if (!storeMail(position))
                break;
            setLetterChanged(false);
            discardRecoveryCopy();
            mayClose = true;
            reportStored(position);
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

void TFM_Cmps::sendThrough(SendMode mode)
{
    std::int64_t position = 0;
    if (!storeMail(position))
        return;
    // Stored: the mail is safe in the store whatever the sending does.
    discardRecoveryCopy();
    hide();
    m_services.opener.sendMails({position}, mode);
    // The send moved the mail (or left it unsent): the main window follows the store.
    if (m_host)
        m_host->boxesChanged();
    setLetterChanged(false);
    close();
}

void TFM_Cmps::sendChecked(SendCheck::Mode mode)
{
    const SendCheck::Verdict verdict = SendCheck(storer(), m_services.settings)
                                           .check(mode, m_services.opener.sendDialogShowing(), composedMail(), MSG);
    using Step = SendCheck::Verdict::Step;
    using Tone = SendCheck::Tone;
    const UserDialogs::Kind kind = verdict.kind == Tone::Warning    ? UserDialogs::Kind::Warning
                                   : verdict.kind == Tone::Question ? UserDialogs::Kind::Confirmation
                                                                    : UserDialogs::Kind::Error;
    switch (verdict.step) {
    case Step::Ignore:
        return;
    case Step::Refuse:
        ask(kind, verdict.text);
        focusField(verdict.field);
        return;
    case Step::AskSubject:
        if (ask(kind, verdict.text, UserDialogs::Buttons::YesNo) != UserDialogs::Answer::Yes) {
            focusField(verdict.field);
            return;
        }
        break;
    case Step::Send:
        break;
    }
    sendThrough(mode);
}

void TFM_Cmps::focusField(SendCheck::Field field)
{
    QWidget *target = nullptr;
    switch (field) {
    case SendCheck::Field::None: return;
    case SendCheck::Field::Letter: target = Editor; break;
    case SendCheck::Field::To: target = Memo_To; break;
    case SendCheck::Field::Cc: target = Memo_CC; break;
    case SendCheck::Field::Bcc: target = Memo_BCC; break;
    case SendCheck::Field::Subject: target = Edt_Subject; break;
    }
    target->setFocus(Qt::OtherFocusReason);
}

void TFM_Cmps::PIC_SendClick()
{
    sendChecked(SendCheck::Mode::Smtp);
}

void TFM_Cmps::PIC_IEClick()
{
    sendChecked(SendCheck::Mode::Desktop);
}

void TFM_Cmps::openPreview(bool print)
{
    QPointer<TFM_Cmps> self(this);
    m_services.opener.showPreview([self] {
        PicturePreview::Input input;
        if (!self)
            return input;
        input.letter = LetterDocument::save(*self->Editor->document());
        input.subject = self->Edt_Subject->text();
        input.to = self->Memo_To->toPlainText();
        for (const AttachmentRow &row : self->attachmentRows()) {
            qint64 size = 0;
            if (row.kind == AttachmentRow::File) {
                size = QFileInfo(row.source).size();
            } else if (const int index = row.source.toInt(); index >= 0 && index < self->MSG.Attachments.Count()) {
                TMailPart *part = self->MSG.Attachments[index];
                size = qint64(part->IsDecoded ? part->DecodedBody.size() : part->EncodedBody.size() * 3 / 4);
            }
            input.attachmentSizes.push_back(size);
            input.attachmentNames << row.caption;
        }
        return input;
    }, this, print);
}

void TFM_Cmps::PreviewPictures1Click()
{
    openPreview(false);
}

void TFM_Cmps::Print1Click()
{
    openPreview(true);
}
