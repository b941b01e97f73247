// The message's fields and bodies as characters: the one place where the windows and the
// command line cross from QString into the message's bytes and back.
#include "mail/TMailMessage.h"

#include "mail/MailText.h"
#include "mail/StringHelpers.h"
#include "text/Ansi.h"
#include "text/StoredText.h"

#include <QString>

void TMailMessage::ReadAddressText(std::string_view fieldName, QString &name, QString &address) const
{
    std::string rawName, rawAddress;
    readAddressRaw(fieldName, rawName, rawAddress);
    name = MailText::headerText(rawName);
    address = StoredText::toQString(rawAddress);
}

void TMailMessage::SetFromText(const QString &name, const QString &address)
{
    setAddressFieldText("From", name, address);
}

void TMailMessage::SetReplyToText(const QString &name, const QString &address)
{
    setAddressFieldText("Reply-To", name, address);
}

QString TMailMessage::SubjectText() const
{
    return MailText::headerText(rawSubject());
}

QString TMailMessage::PlainBodyText(std::string *readAs) const
{
    const std::string charset = PlainPart ? PlainPart->HeaderParam("Content-Type", "charset") : std::string();
    return MailText::decode(PlainText(), charset, readAs);
}

QString TMailMessage::HtmlBodyText(std::string *readAs) const
{
    std::string charset = HtmlPart ? HtmlPart->HeaderParam("Content-Type", "charset") : std::string();
    const std::string html = HtmlText();
    // Without a charset parameter the document's own declaration comes before guessing.
    if (TrimBlanks(charset).empty())
        charset = MailText::htmlMetaCharset(html);
    return MailText::decode(html, charset, readAs);
}

void TMailMessage::setBodyCharacters(const QString &text, TMailPart *&part, std::vector<std::string> &lines,
                                     std::string_view contentType)
{
    const bool ansi = StoredText::windows1252(text).has_value();
    const std::string bytes = StoredText::fromQString(text);
    SetBodyText(bytes, part, contentType);
    lines = SplitLines(bytes);
    if (!ansi)
        part->SetHeaderParam("Content-Type", "charset", "\"utf-8\"");
}

void TMailMessage::SetPlainBody(const QString &text)
{
    setBodyCharacters(text, PlainPart, PlainLines, "text/plain");
}

void TMailMessage::SetHtmlBody(const QString &text)
{
    setBodyCharacters(text, HtmlPart, HtmlLines, "text/html");
}
