// Mail text through everything `vellorn-cli dump` reads of it: the part tree, the address
// fields, the subject, both bodies in their charsets and every attachment decoded.
#include "fuzz/FuzzSupport.h"

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
    } catch (const AppError &) {
        // A clear error is a sound end for damaged text.
    }
    return 0;
}
