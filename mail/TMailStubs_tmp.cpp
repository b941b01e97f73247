// Temporary stubs so the published headers link; replaced by the implementations.
#include "TMailMessage.h"

#include <QDateTime>

TMailPart::TMailPart(TMailMessage *owner) : OwnerMessage(owner), m_owner(owner) {}
TMailPart::~TMailPart() = default;
std::string TMailPart::HeaderValue(std::string_view) const { return {}; }
std::string TMailPart::HeaderParam(std::string_view, std::string_view) const { return {}; }
void TMailPart::SetHeaderValue(std::string_view, std::string_view) {}
void TMailPart::SetHeaderParam(std::string_view, std::string_view, std::string_view) {}
bool TMailPart::HasHeader(std::string_view) const { return false; }
bool TMailPart::HasHeaderParam(std::string_view, std::string_view) const { return false; }
std::string TMailPart::ContentType() const { return {}; }
std::string TMailPart::Boundary() const { return {}; }
bool TMailPart::Decode() { return true; }
void TMailPart::Encode(TEncodingType) {}
std::string TMailPart::SourceText() const { return {}; }
void TMailPart::SaveToFile(const std::string &) const {}
std::string TMailPart::AttachmentFileName() const { return {}; }
void TMailPart::Detach() {}
void TMailPart::LoadFromText(std::string_view, bool) {}
void TMailPart::LoadFromString(std::string_view) {}
void TMailPart::destroySubParts() {}
int TMailPart::headerIndex(std::string_view) const { return -1; }

TMailRecipients::TMailRecipients(TMailMessage *owner, std::string label) : m_owner(owner), m_label(std::move(label)) {}
void TMailRecipients::Refresh() const {}
std::string TMailRecipients::NameAt(int) const { return {}; }
std::string TMailRecipients::AddressAt(int) const { return {}; }
int TMailRecipients::Count() const { return 0; }
std::string TMailRecipients::AddressList() const { return {}; }
void TMailRecipients::SetAll(std::string_view, std::string_view) {}
void TMailRecipients::Add(std::string_view, std::string_view) {}
void TMailRecipients::WriteBack() {}
std::vector<std::string> TMailRecipients::SplitCommaText(std::string_view) { return {}; }
std::string TMailRecipients::CommaText(const std::vector<std::string> &) { return {}; }
void TMailRecipients::parseLine(std::string_view) const {}

TMailMessage::TMailMessage()
    : TMailPart(nullptr), ToRecipients(this, "To"), CcRecipients(this, "Cc"), BccRecipients(this, "Bcc")
{
    OwnerMessage = this;
    Name = "MailMessage1";
}
TMailMessage::~TMailMessage() = default;
void TMailMessage::Clear() {}
void TMailMessage::SetPlainText(std::string_view) {}
void TMailMessage::SetHtmlText(std::string_view) {}
void TMailMessage::SetBodyText(std::string_view, TMailPart *&, std::string_view) {}
void TMailMessage::AttachFile(const std::string &, const std::string &, bool) {}
void TMailMessage::AttachStream(std::string_view, const std::string &, const std::string &, bool) {}
void TMailMessage::AddPicture(std::string_view, const std::string &, const std::string &, bool) {}
void TMailMessage::Rebuild() {}
void TMailMessage::ArrangeParts(int) {}
void TMailMessage::ScanParts() {}
std::string TMailMessage::PlainText() const { return {}; }
std::string TMailMessage::HtmlText() const { return {}; }
void TMailMessage::ReadAddress(std::string_view, std::string &, std::string &) const {}
std::string TMailMessage::FromAddress() const { return {}; }
void TMailMessage::SetFrom(std::string_view, std::string_view) {}
void TMailMessage::SetReplyTo(std::string_view, std::string_view) {}
std::string TMailMessage::DecodedSubject() const { return {}; }
void TMailMessage::SetSubject(std::string_view) {}
void TMailMessage::SetDate(const QDateTime &) {}
void TMailMessage::SetMessageId(std::string_view) {}
std::vector<std::string> TMailMessage::SplitLines(std::string_view) { return {}; }
std::string TMailMessage::JoinLines(const std::vector<std::string> &) { return {}; }
