#include "ComposerFactory.h"

#include "AddressBook.h"
#include "Ansi.h"
#include "ComposerEditor.h"
#include "TFM_Cmps.h"

#include <QLineEdit>
#include <QPlainTextEdit>

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
    return composer;
}

QWidget *ComposerFactory::openNewMail(int slot, MailBoxHost &host)
{
    TFM_Cmps *composer = create(slot, host);
    composer->FMode = QStringLiteral("New");
    composer->FBoxCode = 'u';
    composer->show();
    return composer;
}

QWidget *ComposerFactory::openStoredMail(int slot, MailBoxHost &host, TMailMessage &message, std::int64_t recordPos,
                                         char boxCode)
{
    TFM_Cmps *composer = create(slot, host);
    // Filled before it shows: the letter is laid out once.
    fill(*composer, message, recordPos, boxCode);
    composer->show();
    return composer;
}

void ComposerFactory::fill(TFM_Cmps &composer, TMailMessage &message, std::int64_t recordPos, char boxCode)
{
    const std::string letter = message.PlainText();
    if (!AddressBook::trimmed(letter).empty())
        composer.Editor->loadLetter(letter);
    composer.Edt_Subject->setText(Ansi::toQString(message.DecodedSubject()));

    const struct
    {
        const TMailRecipients &stored;
        TMailRecipients &own;
        QPlainTextEdit *memo;
    } kinds[] = {{message.ToRecipients, composer.MSG.ToRecipients, composer.Memo_To},
                 {message.CcRecipients, composer.MSG.CcRecipients, composer.Memo_CC},
                 {message.BccRecipients, composer.MSG.BccRecipients, composer.Memo_BCC}};
    for (const auto &kind : kinds) {
        const std::vector<std::string> names = kind.stored.Names();
        const std::vector<std::string> addresses = kind.stored.Addresses();
        QStringList lines;
        for (std::size_t i = 0; i < names.size(); ++i) {
            // A recipient without a name shows its address: an empty line would be dropped
            // when the mail is stored again.
            const std::string &shown = AddressBook::trimmed(names[i]).empty() ? addresses[i] : names[i];
            lines.append(Ansi::toQString(shown));
            kind.own.Add(names[i], addresses[i]);
        }
        kind.memo->setPlainText(lines.join(QLatin1Char('\n')));
    }

    for (int i = 0; i < message.Attachments.Count(); ++i) {
        TMailPart *part = message.Attachments[i];
        if (part->DecodedBody.empty())
            part->Decode();
        const std::string name = part->AttachmentFileName();
        composer.addAttachmentRow({Ansi::toQString(name), QString::number(i), AttachmentRow::Stream});
        composer.MSG.AttachStream(part->DecodedBody, name);
    }

    composer.FRecordPos = recordPos;
    composer.FJustOpened = true;
    composer.FBoxCode = boxCode;
    composer.FMode = QStringLiteral("Modify");
    composer.setLetterChanged(false);
}
