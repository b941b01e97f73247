// Mail text through everything `vellorn-cli dump` reads of it: the part tree, the address
// fields, the subject, both bodies in their charsets and every attachment decoded; then
// written, read back with the same fields, and what was written written again the same.
#include "fuzz/FuzzSupport.h"

#include "mail/HeaderLineBreaks.h"
#include "mail/HeaderLines.h"
#include "mail/RandomSource.h"
#include "mail/StringHelpers.h"
#include "mail/TMailMessage.h"
#include "os/AppError.h"

#include <vector>

namespace {

void readRecipients(const TMailRecipients &list)
{
    (void)list.Texts();
    (void)list.Addresses();
    (void)list.AddressList();
}

void readTree(const TMailPart *root)
{
    std::vector<const TMailPart *> pending{root};
    while (!pending.empty()) {
        const TMailPart *part = pending.back();
        pending.pop_back();
        (void)part->ContentType();
        (void)part->Boundary();
        for (int i = 0; i < part->SubParts.Count(); ++i)
            pending.push_back(part->SubParts[i]);
    }
}

// The mail text as reading compares it: a whole text ends with a line break, and
// "Content-Length" follows the body.
std::string asRead(std::string text)
{
    if (text.ends_with("\r\n"))
        text.resize(text.size() - 2);
    const std::string field = "Content-Length: ";
    for (std::size_t at = text.find(field); at != std::string::npos; at = text.find(field, at + field.size())) {
        std::size_t end = at + field.size();
        while (end < text.size() && text[end] >= '0' && text[end] <= '9')
            ++end;
        text.erase(at + field.size(), end - at - field.size());
    }
    return text;
}

// The message's fields as a reader compares them: a line break inside one is a blank (as
// the writer writes it), a run of blanks is one blank (as folding and unfolding leave),
// and none counts after "," or ";".
std::vector<std::string> fields(const TMailPart &part)
{
    std::vector<std::string> out;
    for (std::string line : part.Headers) {
        HeaderLineBreaks::blankInside(line);
        line = NormalizeHeaderLine(line);
        std::string collapsed;
        for (const char c : line) {
            // Folding after "," or ";" leaves a blank there when unfolded.
            const bool blank = c == ' ' || c == '\t';
            if (!blank || (!collapsed.empty() && collapsed.back() != ' ' && collapsed.back() != ','
                           && collapsed.back() != ';'))
                collapsed.push_back(blank ? ' ' : c);
        }
        if (!TrimBlanks(collapsed).empty())
            out.push_back(TrimBlanks(collapsed));
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::ensureApplication();
    try {
        TMailMessage message;
        message.Clear();
        message.LoadFromString(std::string(FuzzSupport::bytes(data, size)));
        message.ScanParts();
        QString name, address;
        (void)message.SubjectText();
        (void)message.DecodedSubject();
        message.ReadAddressText("From", name, address);
        message.ReadAddressText("Reply-To", name, address);
        (void)message.FromAddress();
        readRecipients(message.ToRecipients);
        readRecipients(message.CcRecipients);
        readRecipients(message.BccRecipients);
        (void)message.HeaderValue("Date");
        (void)message.HeaderValue("Message-ID");
        (void)message.PlainBodyText();
        (void)message.HtmlBodyText();
        for (TMailPart *part : message.Attachments) {
            part->Decode();
            (void)part->AttachmentFileNameText();
            (void)part->ContentType();
        }
        readTree(&message);

        // Arranged and written, then read, arranged and written again: the same text. The
        // boundaries are fixed so that the two can be compared.
        SetMailRandomSource([] { return 0x5EED0000u; });
        message.ArrangeParts(0);
        message.Rebuild();
        const std::string written = message.SourceText();
        TMailMessage again;
        again.LoadFromString(written);
        // Read again, the mail has the fields it was written with, with their values, and
        // no other (a line break inside a field must not make a field of its own).
        FuzzSupport::require(written.find('\0') != std::string::npos || fields(again) == fields(message),
                             "a mail written and read again has the same fields");
        again.ScanParts();
        again.ArrangeParts(0);
        again.Rebuild();
        SetMailRandomSource({});
        // Not where a zero byte was written: a text read ends at its first one.
        FuzzSupport::require(written.find('\0') != std::string::npos || asRead(again.SourceText()) == asRead(written),
                             "a mail written, read back and written again is the same text");
    } catch (const AppError &) {
        // A clear error is a sound end for damaged text.
    }
    return 0;
}
