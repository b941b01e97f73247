#include "composer/MailStorer.h"

#include "addressbook/AddressBook.h"
#include "composer/AttachmentTempFiles.h"
#include "config/ConfigSettings.h"
#include "mail/AddressList.h"
#include "mail/Base64.h"
#include "mail/TMailMessage.h"
#include "mailbox/BoxTable.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "os/Clock.h"
#include "richtext/LetterDocument.h"
#include "text/Ansi.h"
#include "text/StoredText.h"

#include <QDir>
#include <QFile>
#include <QTextDocument>

#include <algorithm>

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

PreparedMail MailStorer::prepare(TMailMessage &MSG, const ComposedMail &mail, std::vector<AttachmentRow> &rows) const
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

    PreparedMail prepared;
    prepared.m_message = &MSG;
    prepared.m_mailBoxPath = m_mailBoxPath;
    prepared.m_boxCode = BoxTable::byte(storedBoxCode(mail));

    // Each file becomes an attachment whose body, for now, is a line of its own that
    // stands for the file's base64 text; the text is read from the file while the record
    // is written. The part names the length that text will have.
    std::vector<std::int64_t> sizes;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const AttachmentRow &row = rows[i];
        // The attachment keeps the name the row shows, also when its bytes come from a
        // temporary file named otherwise.
        QFile file(row.source);
        if (!file.open(QIODevice::ReadOnly))
            throw AppError("Cannot open file \"" + QDir::toNativeSeparators(row.source).toStdString() + "\"");
        const std::int64_t size = file.size();
        sizes.push_back(size);
        MSG.AttachStreamText(std::string_view(), row.caption);
        TMailPart *part = MSG.Attachments.Last();
        part->EncodedBody = "\x01stands for the base64 text of attachment " + std::to_string(i) + "\r\n";
        part->IsDecoded = false;
        part->SetHeaderValue("Content-Length", std::to_string(Base64StreamSize(static_cast<std::size_t>(size))));
    }
    prepared.m_attachFlag = MSG.Attachments.IsEmpty() ? 'N' : 'Y';

    std::vector<std::string_view> pieces = MSG.RebuiltPieces(prepared.m_made);
    std::int64_t grown = 0;
    for (int i = 0; i < MSG.Attachments.Count(); ++i) {
        const std::string_view stand = MSG.Attachments[i]->EncodedBody;
        const auto at = std::find_if(pieces.begin(), pieces.end(), [&](std::string_view piece) {
            return piece.data() == stand.data() && piece.size() == stand.size();
        });
        if (at == pieces.end())
            throw AppError("The attachment \"" + rows[std::size_t(i)].caption.toStdString()
                           + "\" has no place of its own in the mail");
        const auto size = static_cast<std::int64_t>(Base64StreamSize(static_cast<std::size_t>(sizes[std::size_t(i)])));
        prepared.m_files.push_back({std::size_t(at - pieces.begin()), rows[std::size_t(i)].source, sizes[std::size_t(i)]});
        grown += size - static_cast<std::int64_t>(stand.size());
    }
    std::sort(prepared.m_files.begin(), prepared.m_files.end(),
              [](const PreparedMail::File &a, const PreparedMail::File &b) { return a.piece < b.piece; });
    if (grown != 0) {
        // The message's length names its body with the files' text in it.
        MSG.SetHeaderValue("Content-Length", std::to_string(std::stoll(MSG.HeaderValue("Content-Length")) + grown));
        prepared.m_made.push_back(MSG.SourceHead());
        pieces.front() = prepared.m_made.back();
    }
    std::int64_t length = 0;
    for (const std::string_view piece : pieces)
        length += static_cast<std::int64_t>(piece.size());
    prepared.m_length = length + grown;
    prepared.m_pieces = std::move(pieces);
    return prepared;
}

std::int64_t MailStorer::StoreMail(TMailMessage &MSG, const ComposedMail &mail, std::vector<AttachmentRow> &rows) const
{
    PreparedMail prepared = prepare(MSG, mail, rows);
    const std::int64_t position = prepared.write();
    prepared.release();
    return position;
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

