// The message's address, subject, date and identity fields.
#include "mail/TMailMessage.h"

#include "mail/AddressList.h"
#include "mail/DisplayName.h"
#include "mail/MailText.h"
#include "mail/HeaderWords.h"
#include "mail/MailDates.h"
#include "mail/QuotedPrintable.h"
#include "mail/RandomSource.h"
#include "mail/StringHelpers.h"
#include "os/LocalTime.h"
#include "text/Ansi.h"
#include "text/StoredText.h"

#include <QDateTime>

#include <cstdio>

namespace {

// Index of the first line of field `name`, -1 if absent.
int fieldLine(const std::vector<std::string> &headers, std::string_view name)
{
    const std::string prefix = std::string(name) + ":";
    for (std::size_t i = 0; i < headers.size(); ++i)
        if (StartsWithNoCase(headers[i], prefix))
            return static_cast<int>(i);
    return -1;
}

// Writes the whole line "Name: value" in the place of the field's first line (or at the
// end); an empty value removes that line. Unlike SetHeaderValue this also replaces what
// follows a ";" in the old value, since these fields have no parameters.
void setWholeField(std::vector<std::string> &headers, std::string_view name, std::string_view value)
{
    const int i = fieldLine(headers, name);
    if (value.empty()) {
        if (i >= 0)
            headers.erase(headers.begin() + i);
        return;
    }
    std::string line = std::string(name) + ": " + TrimBlanks(value);
    if (i >= 0)
        headers[static_cast<std::size_t>(i)] = std::move(line);
    else
        headers.push_back(std::move(line));
}

// A host name that may stand after the "@" of a Message-ID: dot-separated labels of
// ASCII letters, digits and hyphens, and not an IP address.
bool isMessageIdDomain(std::string_view domain)
{
    if (domain.empty() || domain.size() > 253 || IsNumericAddress(domain))
        return false;
    std::size_t label = 0;
    for (const char c : domain) {
        if (c == '.') {
            if (label == 0)
                return false;
            label = 0;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-') {
            if (++label > 63)
                return false;
        } else {
            return false;
        }
    }
    return label > 0;
}

} // namespace

std::string encodeDisplayName(std::string_view name, std::string_view charset)
{
    if (name.find('"') != std::string_view::npos)
        return "=?" + CharsetLabel(name, charset) + "?Q?" + QPEncode(name, true) + "?=";
    return EncodeHeaderWord(name, charset);
}

void TMailMessage::ReadAddress(std::string_view fieldName, std::string &name, std::string &address) const
{
    readAddressRaw(fieldName, name, address);
    name = DecodeHeaderWords(name);
}

void TMailMessage::readAddressRaw(std::string_view fieldName, std::string &name, std::string &address) const
{
    const std::string value = TrimBlanks(HeaderValue(fieldName));
    // A mailbox as RFC 5322 writes it; anything else is read as the older forms were.
    if (const std::vector<AddressList::Entry> entries = AddressList::read(value);
        entries.size() == 1 && entries.front().error.empty()) {
        name = TrimBlanks(entries.front().name);
        address = entries.front().address;
        return;
    }
    enum State { Undecided, InName, InAddress };
    State state = Undecided;
    std::string gathered, nameText, addressText;
    char closing = 0; // inside a quoted stretch: the character that ends it
    auto target = [&]() -> std::string & {
        return state == InName ? nameText : state == InAddress ? addressText : gathered;
    };
    for (const char c : value) {
        if (closing) {
            if (c == closing) {
                closing = 0;
                state = InAddress;
            } else {
                target() += c;
            }
        } else if (c == '"' || c == '(') {
            if (state == Undecided)
                addressText = gathered;
            state = InName;
            closing = c == '"' ? '"' : ')';
        } else if (c == '<') {
            if (state == Undecided)
                nameText = gathered;
            state = InAddress;
        } else if (c == '>') {
            state = InName;
        } else {
            target() += c;
        }
    }
    if (state == Undecided)
        addressText = gathered;
    name = TrimBlanks(nameText);
    address = TrimBlanks(addressText);
}

std::string TMailMessage::FromAddress() const
{
    std::string name, address;
    ReadAddress("From", name, address);
    return address;
}

void TMailMessage::setAddressField(std::string_view field, std::string_view name, std::string_view address)
{
    const std::string addr = TrimBlanks(WithoutLineBreaks(address));
    if (addr.empty()) {
        setWholeField(Headers, field, "");
        return;
    }
    setWholeField(Headers, field, AddressList::mailbox(Ansi::toQString(name), addr, Charset));
}

void TMailMessage::setAddressFieldText(std::string_view field, const QString &name, const QString &address)
{
    const std::string addr = TrimBlanks(WithoutLineBreaks(StoredText::fromQString(address)));
    setWholeField(Headers, field, addr.empty() ? std::string() : AddressList::mailbox(name, addr, Charset));
}

void TMailMessage::SetFrom(std::string_view name, std::string_view address)
{
    setAddressField("From", name, address);
}

void TMailMessage::SetReplyTo(std::string_view name, std::string_view address)
{
    setAddressField("Reply-To", name, address);
}

std::string TMailMessage::rawSubject() const
{
    // The whole text after the colon: a subject is free text, so a ";" or quotes in it
    // belong to it.
    const int i = fieldLine(Headers, "Subject");
    if (i < 0)
        return {};
    const std::string &line = Headers[static_cast<std::size_t>(i)];
    return TrimBlanks(std::string_view(line).substr(line.find(':') + 1));
}

std::string TMailMessage::DecodedSubject() const
{
    return DecodeHeaderWords(rawSubject());
}

void TMailMessage::SetSubject(std::string_view text)
{
    SetSubjectText(Ansi::toQString(text));
}

void TMailMessage::SetSubjectText(const QString &text)
{
    setWholeField(Headers, "Subject", MailText::headerWord(text, Charset));
}

void TMailMessage::RewriteFields()
{
    for (TMailRecipients *list : {&ToRecipients, &CcRecipients, &BccRecipients})
        if (list->Count() > 0 && list->Error().empty())
            list->WriteBack();
    for (const char *field : {"From", "Reply-To"}) {
        const std::vector<AddressList::Entry> entries = AddressList::read(TrimBlanks(HeaderValue(field)));
        if (entries.size() != 1 || !entries.front().error.empty())
            continue;
        QString name, address;
        ReadAddressText(field, name, address);
        setAddressFieldText(field, name, address);
    }
    if (fieldLine(Headers, "Subject") >= 0)
        SetSubjectText(SubjectText());
}

void TMailMessage::SetDate(const QDateTime &dateTime)
{
    SetHeaderValue("Date", Rfc822Date(dateTime));
}

std::string TMailMessage::MessageIdDomain(std::string_view fallbackHost) const
{
    const std::string from = FromAddress();
    const std::size_t at = from.rfind('@');
    if (at != std::string::npos && isMessageIdDomain(std::string_view(from).substr(at + 1)))
        return from.substr(at + 1);
    const std::string host = TrimBlanks(fallbackHost);
    if (isMessageIdDomain(host))
        return host;
    return "localhost";
}

void TMailMessage::SetMessageId(std::string_view domain)
{
    char r1[16], r2[16];
    std::snprintf(r1, sizeof r1, "%X", static_cast<unsigned>(MailRandom32()));
    std::snprintf(r2, sizeof r2, "%X", static_cast<unsigned>(MailRandom32()));
    const std::string stamp = LocalTime::now().toString(QStringLiteral("yyyyMMddHHmmss")).toStdString();
    setWholeField(Headers, "Message-ID",
                  "<" + stamp + "." + r1 + "." + r2 + "@" + WithoutLineBreaks(domain) + ">");
}
