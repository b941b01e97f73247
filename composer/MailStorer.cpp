#include "composer/MailStorer.h"

#include "addressbook/AddressBook.h"
#include "composer/AttachmentTempFiles.h"
#include "config/ConfigSettings.h"
#include "mail/AddressList.h"
#include "mail/TMailMessage.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "os/Clock.h"
#include "richtext/LetterDocument.h"
#include "text/Ansi.h"
#include "text/StoredText.h"

#include <QDir>
#include <QFile>
#include <QTextDocument>

MailStorer::MailStorer(const ConfigSettings &settings, const Clock &clock, QString mailBoxPath, QString configPath,
                       QString tempFolder)
    : m_settings(settings)
    , m_clock(clock)
    , m_mailBoxPath(std::move(mailBoxPath))
    , m_configPath(std::move(configPath))
    , m_tempFolder(std::move(tempFolder))
{
}

namespace {

std::vector<AddressList::Entry> readList(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return AddressList::read(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

} // namespace

MailStorer::Recipients MailStorer::resolveRecipients(const QString &memoText, const TMailRecipients &known) const
{
    Recipients result;
    const AddressBook book(m_configPath);
    const int knownCount = known.Count();
    const QStringList lines = memoText.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const QString name = AddressBook::trimmedText(line);
        if (name.isEmpty())
            continue;
        // A name the opened mail gave an address, at the same place.
        const int at = static_cast<int>(i);
        if (at < knownCount && AddressBook::trimmedText(known.NameText(at)) == name) {
            result.names << line;
            result.addresses << known.AddressText(at);
            continue;
        }
        // A name of the address book, whose E-mail field is read like typed text.
        const QString booked = AddressBook::trimmedText(book.LookupAddressText(name));
        const std::vector<AddressList::Entry> entries = readList(booked.isEmpty() ? line : booked);
        for (const AddressList::Entry &e : entries) {
            if (!e.error.empty()) {
                const QString error = QString::fromUtf8(e.error);
                result.errors << (booked.isEmpty() ? error : name + QStringLiteral(" (address book): ") + error);
                continue;
            }
            result.names << (!booked.isEmpty() && entries.size() == 1 ? line : QString::fromUtf8(e.name));
            result.addresses << QString::fromUtf8(e.address);
        }
    }
    return result;
}

QString MailStorer::refusalText(const QStringList &errors, const QString &action)
{
    const bool one = errors.size() == 1;
    QString text = QLatin1String(one ? "This recipient is not a mail address:" : "These recipients are not mail addresses:")
        + QStringLiteral("\r\n\r\n") + errors.mid(0, kNamedErrors).join(QStringLiteral("\r\n"));
    if (errors.size() > kNamedErrors)
        text += QStringLiteral("\r\n... and %1 more").arg(errors.size() - kNamedErrors);
    text += QStringLiteral("\r\n\r\nPlease correct ") + QLatin1String(one ? "it" : "them") + QStringLiteral(" before ")
        + action + QLatin1Char('.');
    return text;
}

void MailStorer::writeStreams(TMailMessage &MSG, std::vector<AttachmentRow> &rows) const
{
    AttachmentTempFiles files(m_tempFolder);
    for (AttachmentRow &row : rows) {
        if (row.kind != AttachmentRow::Stream)
            continue;
        bool ok = false;
        const int index = row.source.trimmed().toInt(&ok);
        if (!ok || index < 0 || index >= MSG.Attachments.Count())
            throw AppError("The attachment \"" + row.caption.toStdString() + "\" is no longer in the mail");
        TMailPart *part = MSG.Attachments[index];
        if (!part->IsDecoded)
            part->Decode();
        row.source = files.write(row.caption, part->DecodedBody);
        row.kind = AttachmentRow::File;
    }
}

std::int64_t MailStorer::StoreMail(TMailMessage &MSG, const ComposedMail &mail, std::vector<AttachmentRow> &rows) const
{
    writeStreams(MSG, rows);

    const Recipients to = resolveRecipients(mail.to, MSG.ToRecipients);
    const Recipients cc = resolveRecipients(mail.cc, MSG.CcRecipients);
    const Recipients bcc = resolveRecipients(mail.bcc, MSG.BccRecipients);
    // Nothing is stored with a recipient that is no address.
    const QStringList errors = to.errors + cc.errors + bcc.errors;
    if (!errors.isEmpty() && !mail.keepUnreadable)
        throw AppError(refusalText(errors, QStringLiteral("saving")).toStdString());

    MSG.Clear();
    MSG.SetSubjectText(mail.subject);
    MSG.SetDate(m_clock.now());
    // The account's texts are Config.dat bytes; read them as that file keeps them.
    MSG.SetFromText(StoredText::toQString(m_settings.ACC_FromName), StoredText::toQString(m_settings.ACC_FromAdd));
    MSG.SetReplyToText(StoredText::toQString(m_settings.ACC_ReplyName), StoredText::toQString(m_settings.ACC_ReplyAdd));
    MSG.ToRecipients.SetAllText(to.names, to.addresses);
    MSG.CcRecipients.SetAllText(cc.names, cc.addresses);
    MSG.BccRecipients.SetAllText(bcc.names, bcc.addresses);
    MSG.SetPlainText(mail.letter ? LetterDocument::save(*mail.letter) : std::string());

    for (const AttachmentRow &row : rows) {
        // The attachment keeps the name the row shows, also when its bytes come from a
        // temporary file named otherwise.
        QFile file(row.source);
        if (!file.open(QIODevice::ReadOnly))
            throw AppError("Cannot open file \"" + QDir::toNativeSeparators(row.source).toStdString() + "\"");
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw AppError("Cannot read file \"" + QDir::toNativeSeparators(row.source).toStdString() + "\"");
        MSG.AttachStreamText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), row.caption);
        // The encoded body is what the mail text needs; the decoded copy is made again
        // from it whenever it is asked for.
        TMailPart *part = MSG.Attachments.Last();
        std::string().swap(part->DecodedBody);
        part->IsDecoded = false;
    }

    MSG.Rebuild();
    const char attachFlag = MSG.Attachments.IsEmpty() ? 'N' : 'Y';
    // The attachments' bodies are now part of the message's own body: releasing them
    // keeps a large attachment from being held a third time while the text is taken.
    for (TMailPart *part : MSG.Attachments)
        part->EncodedBody.clear();
    return MailStore(m_mailBoxPath).AppendMail(MSG.SourceText(), storedBoxCode(mail), attachFlag);
}

std::int64_t MailStorer::storeReplacing(TMailMessage &MSG, const ComposedMail &mail,
                                        std::vector<AttachmentRow> &rows, std::int64_t oldPosition) const
{
    const std::int64_t position = StoreMail(MSG, mail, rows);
    if (mail.mode == ComposeMode::Modify)
        MailStore(m_mailBoxPath).SetBoxCode(oldPosition, BoxCode::Deleted);
    return position;
}

BoxCode MailStorer::storedBoxCode(const ComposedMail &mail)
{
    return mail.mode == ComposeMode::New ? BoxCode::Unsent : mail.boxCode;
}

bool MailStorer::letterEmpty(const QTextDocument &letter)
{
    return AddressBook::trimmed(Ansi::fromQString(letter.toPlainText())).empty();
}

