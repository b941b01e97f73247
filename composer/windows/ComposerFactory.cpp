#include "composer/windows/ComposerFactory.h"

#include "addressbook/AddressBook.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/TFM_Cmps.h"
#include "mailbox/ComposerCascade.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>

ComposerFactory::ComposerFactory(WindowServices &services)
    : m_services(services)
{
}

TFM_Cmps *ComposerFactory::create(int slot, MailBoxHost &host)
{
    auto *composer = new TFM_Cmps(m_services);
    composer->setAttribute(Qt::WA_DeleteOnClose);
    composer->setMailBoxHost(&host);
    composer->Tag = slot;
    if (m_recovery)
        composer->setRecoveryFolder(*m_recovery);
    return composer;
}

void ComposerFactory::showCascaded(TFM_Cmps &composer)
{
    QList<QPoint> open;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window != &composer && window->isVisible() && qobject_cast<TFM_Cmps *>(window))
            open.append(window->pos());
    // The composer takes its own place (the centre of the screen) as it first shows; the
    // cascade starts there.
    composer.show();
    const QScreen *screen = composer.screen();
    if (!screen)
        return;
    const QPoint place = ComposerCascade::place(screen->availableGeometry(), composer.frameGeometry().size(),
                                                composer.pos(), open);
    if (place != composer.pos())
        composer.move(place);
}

QWidget *ComposerFactory::openNewMail(int slot, MailBoxHost &host)
{
    TFM_Cmps *composer = create(slot, host);
    composer->FMode = ComposeMode::New;
    composer->FBoxCode = BoxCode::Unsent;
    showCascaded(*composer);
    return composer;
}

QWidget *ComposerFactory::openStoredMail(int slot, MailBoxHost &host, TMailMessage &message, std::int64_t recordPos,
                                         BoxCode boxCode, const QStringList &attachmentFiles)
{
    TFM_Cmps *composer = create(slot, host);
    // Filled before it shows: the letter is laid out once.
    fill(*composer, message, recordPos, boxCode, attachmentFiles);
    showCascaded(*composer);
    return composer;
}

void ComposerFactory::fill(TFM_Cmps &composer, TMailMessage &message, std::int64_t recordPos, BoxCode boxCode,
                           const QStringList &attachmentFiles)
{
    const std::string letter = message.PlainText();
    if (!AddressBook::trimmed(letter).empty())
        composer.Editor->loadLetter(letter, message.PlainBodyText());
    composer.Edt_Subject->setText(message.SubjectText());

    const struct
    {
        const TMailRecipients &stored;
        TMailRecipients &own;
        QPlainTextEdit *memo;
    } kinds[] = {{message.ToRecipients, composer.MSG.ToRecipients, composer.Memo_To},
                 {message.CcRecipients, composer.MSG.CcRecipients, composer.Memo_CC},
                 {message.BccRecipients, composer.MSG.BccRecipients, composer.Memo_BCC}};
    for (const auto &kind : kinds) {
        QStringList lines;
        for (int i = 0, count = kind.stored.Count(); i < count; ++i) {
            const QString name = kind.stored.NameText(i);
            const QString address = kind.stored.AddressText(i);
            // A recipient without a name shows its address: an empty line would be dropped
            // when the mail is stored again.
            lines.append(AddressBook::trimmedText(name).isEmpty() ? address : name);
            kind.own.AddText(name, address);
        }
        kind.memo->setPlainText(lines.join(QLatin1Char('\n')));
    }

    for (int i = 0; i < message.Attachments.Count(); ++i) {
        TMailPart *part = message.Attachments[i];
        const QString name = part->AttachmentFileNameText();
        const QString copy = attachmentFiles.value(i);
        if (!copy.isEmpty()) {
            // A large body stays on the disk: the mail is stored again from the copy.
            composer.addAttachmentRow({name, copy, AttachmentRow::File});
            continue;
        }
        if (part->DecodedBody.empty())
            part->Decode();
        // A "Stream" row names its attachment's place in the composer's message.
        composer.addAttachmentRow({name, QString::number(composer.MSG.Attachments.Count()), AttachmentRow::Stream});
        composer.MSG.AttachStreamText(part->DecodedBody, name);
    }

    composer.FRecordPos = recordPos;
    composer.FJustOpened = true;
    composer.FBoxCode = boxCode;
    composer.FMode = ComposeMode::Modify;
    composer.setLetterChanged(false);
}
