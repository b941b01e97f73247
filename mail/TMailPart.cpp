// The part object: header access, transfer encoding and decoding, the text form and
// the attachment name. Reading text into a part lives in TMailPartReading.cpp.
#include "mail/TMailPart.h"

#include "mail/Base64Decoder.h"
#include "mail/HeaderLineBreaks.h"
#include "mail/MailText.h"
#include "mail/Base64.h"
#include "mail/ContentTypes.h"
#include "mail/HeaderFolding.h"
#include "mail/HeaderLines.h"
#include "mail/HeaderWords.h"
#include "mail/QuotedPrintable.h"
#include "mail/StringHelpers.h"
#include "mail/UUCode.h"
#include "mail/TMailMessage.h"
#include "os/AppError.h"
#include "text/Ansi.h"
#include "text/LineBreaks.h"
#include "text/TextRules.h"

#include <QFile>

#include <algorithm>

namespace {

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

// Trimmed, and one pair of enclosing quotes (double or single, in any mix) removed when
// the text is longer than two characters.
std::string trimAndUnquote(std::string_view text)
{
    std::string v = TrimBlanks(text);
    if (v.size() > 2 && isQuote(v.front()) && isQuote(v.back()))
        return v.substr(1, v.size() - 2);
    return v;
}

// The X-Mail-Attachment name without the quoted pairs written before a backslash or a
// double quote; any other backslash stays, as older records wrote it bare.
std::string withoutQuotedPairs(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"'))
            ++i;
        out.push_back(text[i]);
    }
    return out;
}

// Calls `fn` with every CR LF separated line of `text`, the line break included.
template<typename Fn>
void forEachLine(std::string_view text, Fn fn)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t cr = text.find("\r\n", pos);
        const std::size_t end = cr == std::string_view::npos ? text.size() : cr + 2;
        fn(text.substr(pos, end - pos));
        pos = end;
    }
}

} // namespace

TMailPart::TMailPart(TMailMessage *owner)
    : OwnerMessage(owner), m_owner(owner)
{
    if (m_owner)
        m_owner->m_ownedParts.insert(this);
}

TMailPart::~TMailPart()
{
    destroySubParts();
    if (ParentPart)
        ParentPart->SubParts.Remove(this);
    if (m_owner)
        m_owner->partDestroyed(this);
}

void TMailPart::destroySubParts()
{
    if (SubParts.IsEmpty())
        return;
    // Collect the whole subtree first (pre-order), then destroy it deepest first with the
    // child lists already emptied, so no destructor recurses however deep the tree is.
    std::vector<TMailPart *> all;
    std::vector<TMailPart *> stack(SubParts.begin(), SubParts.end());
    SubParts.Clear();
    while (!stack.empty()) {
        TMailPart *p = stack.back();
        stack.pop_back();
        all.push_back(p);
        for (TMailPart *child : p->SubParts)
            stack.push_back(child);
        p->SubParts.Clear();
    }
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        (*it)->ParentPart = nullptr;
        delete *it;
    }
}

int TMailPart::headerIndex(std::string_view name) const
{
    std::string prefix(name);
    prefix += ':';
    return FindHeaderLine(Headers, prefix, 0);
}

std::string TMailPart::HeaderValue(std::string_view name) const
{
    const int i = headerIndex(name);
    if (i < 0)
        return {};
    return trimAndUnquote(HeaderLineValue(Headers[static_cast<std::size_t>(i)]));
}

std::string TMailPart::HeaderParam(std::string_view name, std::string_view param) const
{
    return HeaderParam(name, param, nullptr);
}

std::string TMailPart::HeaderParam(std::string_view name, std::string_view param, std::string *charset) const
{
    if (charset)
        charset->clear();
    const int i = headerIndex(name);
    if (i < 0)
        return {};
    return trimAndUnquote(DecodedHeaderLineParam(Headers[static_cast<std::size_t>(i)], param, charset));
}

void TMailPart::SetHeaderValue(std::string_view name, std::string_view value)
{
    int i = headerIndex(name);
    if (value.empty()) {
        if (i >= 0)
            Headers.erase(Headers.begin() + i);
        return;
    }
    if (i < 0) {
        Headers.push_back(std::string(name) + ": ");
        i = static_cast<int>(Headers.size()) - 1;
    }
    std::string &line = Headers[static_cast<std::size_t>(i)];
    line = ReplaceHeaderLineValue(line, value);
}

void TMailPart::SetHeaderParam(std::string_view name, std::string_view param, std::string_view value)
{
    int i = headerIndex(name);
    if (i < 0) {
        Headers.push_back(std::string(name) + ": ");
        i = static_cast<int>(Headers.size()) - 1;
    }
    std::string &line = Headers[static_cast<std::size_t>(i)];
    line = ReplaceHeaderLineParam(line, param, value);
}

void TMailPart::SetFileNameParam(std::string_view name, std::string_view param, const QString &fileName)
{
    const std::vector<std::pair<std::string, std::string>> forms = MailText::fileNameParam(param, fileName);
    int i = headerIndex(name);
    if (i < 0) {
        Headers.push_back(std::string(name) + ": ");
        i = static_cast<int>(Headers.size()) - 1;
    }
    std::string &line = Headers[static_cast<std::size_t>(i)];
    if (HeaderLineParamForms(line, param) == forms)
        return;
    line = RemoveHeaderLineParam(line, param);
    for (const auto &[section, value] : forms)
        line = ReplaceHeaderLineParam(line, section, value);
}

bool TMailPart::HasHeader(std::string_view name) const
{
    return headerIndex(name) >= 0;
}

bool TMailPart::HasHeaderParam(std::string_view name, std::string_view param) const
{
    const int i = headerIndex(name);
    return i >= 0 && !TrimBlanks(DecodedHeaderLineParam(Headers[static_cast<std::size_t>(i)], param)).empty();
}

std::string TMailPart::ContentType() const
{
    return TextRules::lowerAsciiCopy(HeaderValue("Content-Type"));
}

std::string TMailPart::EffectiveContentType() const
{
    const std::string type = ContentType();
    const std::size_t slash = type.find('/');
    if (slash != std::string::npos && slash > 0 && slash + 1 < type.size() && type.find('/', slash + 1) == std::string::npos
        && type.find_first_of(" \t") == std::string::npos)
        return type;
    if (ParentPart && ParentPart->ContentType() == "multipart/digest")
        return "message/rfc822";
    return "text/plain";
}

std::string TMailPart::Boundary() const
{
    return HeaderParam("Content-Type", "boundary");
}

bool TMailPart::Decode()
{
    if (IsDecoded)
        return true;
    IsDecoded = true;
    if (EncodedBody.empty())
        return true;
    const std::string encoding = transferEncoding();
    DecodedBody.clear();
    // Only quoted-printable is decoded as such: "7bit" and "8bit" text is taken as it is.
    if (encoding == "quoted-printable") {
        // A zero byte is a byte like any other here: a text body drops it when it is
        // scanned, and a file keeps it.
        DecodedBody = QPDecode(EncodedBody);
    } else if (encoding == "base64") {
        // One stream: line breaks and other bytes outside the alphabet are skipped, so a
        // group of four may run over a line break.
        Base64DecodeText(EncodedBody, DecodedBody);
    } else if (encoding == "uucode" || encoding == "x-uuencode" || encoding == "uuencode" || encoding == "x-uue"
               || encoding == "uue") {
        forEachLine(EncodedBody, [this](std::string_view line) {
            if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n")
                line.remove_suffix(2);
            DecodedBody += UUDecodeLine(line);
        });
        Encode(etBase64);
    } else {
        DecodedBody = EncodedBody;
    }
    return true;
}

std::string TMailPart::transferEncoding() const
{
    return TextRules::lowerAsciiCopy(HeaderValue("Content-Transfer-Encoding"));
}

void TMailPart::WriteDecoded(const std::function<void(std::string_view)> &sink)
{
    if (IsDecoded || EncodedBody.empty() || transferEncoding() != "base64") {
        Decode();
        sink(DecodedBody);
        return;
    }
    // 64 KB of text at a time: its bytes stay in the cache while the sink reads them.
    constexpr std::size_t kPiece = 64 * 1024;
    const std::string_view text = EncodedBody;
    Base64Decoder decoder;
    std::string bytes;
    for (std::size_t at = 0; at < text.size() && !decoder.Ended(); at += kPiece) {
        bytes.clear();
        decoder.Feed(text.substr(at, kPiece), bytes);
        if (!bytes.empty())
            sink(bytes);
    }
    bytes.clear();
    decoder.Finish(bytes);
    if (!bytes.empty())
        sink(bytes);
}

void TMailPart::setBase64Body(std::string encoded)
{
    EncodedBody = std::move(encoded);
    SetHeaderValue("Content-Transfer-Encoding", "base64");
}

void TMailPart::Encode(TEncodingType encodingType)
{
    switch (encodingType) {
    case etBase64: {
        std::string encoded;
        Base64EncodeStream(DecodedBody, encoded);
        setBase64Body(std::move(encoded));
        break;
    }
    case etQuotedPrintable:
        EncodedBody.clear();
        SetHeaderValue("Content-Transfer-Encoding", "quoted-printable");
        if (!DecodedBody.empty())
            EncodedBody = QPEncode(DecodedBody, false);
        break;
    case etNoEncoding:
        EncodedBody = DecodedBody;
        SetHeaderValue("Content-Transfer-Encoding", "");
        break;
    case et7Bit:
        EncodedBody = DecodedBody;
        SetHeaderValue("Content-Transfer-Encoding", "7bit");
        break;
    }
}

std::string TMailPart::SourceText() const
{
    std::string text = SourceHead();
    text.reserve(text.size() + EncodedBody.size());
    text += EncodedBody;
    return text;
}

std::string TMailPart::SourceHead() const
{
    std::string headerText;
    std::string store;
    for (const std::string &line : Headers) {
        // A line break inside a field would start a line of its own, read again as
        // another field or as the body: it is written as the blank that unfolding leaves.
        headerText += HeaderLineBreaks::blankInside(line, store);
        headerText += "\r\n";
    }
    std::string text = FoldHeaders(headerText);
    text += "\r\n";
    return text;
}

void TMailPart::SaveToFile(const std::string &fileName) const
{
    // Every line break, a lone CR or LF included, becomes CR LF, and the last line ends
    // with one too.
    const std::string out = LineBreaks::toCrLf(SourceText(), true);
    const QString path = Ansi::fileNameToPath(fileName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(out.data(), static_cast<qint64>(out.size())) != static_cast<qint64>(out.size())
        || !file.flush())
        throw AppError("Cannot create file \"" + path.toStdString() + "\"");
}

std::string TMailPart::rawAttachmentName(std::string &charset) const
{
    charset.clear();
    std::string name;
    if (HasHeader("X-Mail-Attachment"))
        return withoutQuotedPairs(HeaderValue("X-Mail-Attachment"));
    // The disposition's file name is the one meant for saving; the type's "name" is the
    // older way of giving one.
    if (!(name = HeaderParam("Content-Disposition", "filename", &charset)).empty())
        return name;
    if (!(name = HeaderParam("Content-Type", "name", &charset)).empty())
        return name;
    if (HasHeader("Content-ID"))
        return HeaderValue("Content-ID");
    if (HasHeader("Content-Location"))
        return HeaderValue("Content-Location");
    // The type as written, or the one a reader gives a part without a usable type
    // ("text/plain", "message/rfc822" in a digest).
    const std::string effective = EffectiveContentType();
    const std::string type = ContentType() == effective ? HeaderValue("Content-Type") : effective;
    return type + ExtensionOfContentType(type);
}

std::string TMailPart::AttachmentFileName() const
{
    std::string charset;
    std::string name = DecodeHeaderWords(rawAttachmentName(charset));
    if (name.find('.') == std::string::npos && HasHeader("Content-Type"))
        name += ExtensionOfContentType(ContentType());
    return SafeFileName(name);
}

QString TMailPart::AttachmentFileNameText() const
{
    std::string charset;
    const std::string raw = rawAttachmentName(charset);
    QString name = MailText::paramText(raw, charset);
    if (!name.contains(u'.') && HasHeader("Content-Type"))
        name += QString::fromStdString(ExtensionOfContentType(ContentType()));
    return MailText::safeFileName(name);
}

void TMailPart::Detach()
{
    if (this == OwnerMessage || !ParentPart)
        return;
    ParentPart->SubParts.Remove(this);
    ParentPart = nullptr;
}

void TMailPart::LoadFromString(std::string_view text)
{
    LoadFromText(text, true);
}

void TMailPart::LoadFromString(std::string &&text)
{
    LoadFromText(std::move(text), true);
}
