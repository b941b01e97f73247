// Finding the bodies, containers and attachments of a loaded tree (ScanParts) and the
// line lists of the text bodies. Parsing the text itself is MailTextReader's.
#include "mail/TMailMessage.h"

#include "text/LineBreaks.h"
#include "text/TextRules.h"

#include <algorithm>
#include <vector>

namespace {

// A text body keeps everything around a stray zero byte (a sensor's glitch, a damaged
// converter); only the zero bytes go, from the part too, so that writing the mail again
// neither cuts the text there nor sends a zero byte.
void dropZeroBytes(std::string &body)
{
    body.erase(std::remove(body.begin(), body.end(), '\0'), body.end());
}

} // namespace

bool TMailMessage::takeTextBody(TMailPart *part, const std::string &type)
{
    // Only the first non-empty plain and HTML parts are bodies.
    bool taken = false;
    if (!PlainPart && type == "text/plain") {
        part->Decode();
        if (!part->DecodedBody.empty()) {
            PlainPart = part;
            dropZeroBytes(part->DecodedBody);
            PlainLines = SplitLines(part->DecodedBody);
            taken = true;
        }
    }
    if (!HtmlPart && type == "text/html") {
        part->Decode();
        if (!part->DecodedBody.empty()) {
            HtmlPart = part;
            dropZeroBytes(part->DecodedBody);
            HtmlLines = SplitLines(part->DecodedBody);
            taken = true;
        }
    }
    return taken;
}

namespace {

// A part marked as an attachment, or one that carries a file name: a text file sent
// with a name is a file to save, not the letter, whatever its disposition says.
bool isAttachment(const TMailPart *part)
{
    const std::string disposition = TextRules::lowerAsciiCopy(part->HeaderValue("Content-Disposition"));
    return disposition == "attachment" || part->HasHeader("X-Mail-Attachment")
           || part->HasHeaderParam("Content-Disposition", "filename") || part->HasHeaderParam("Content-Type", "name");
}

// The part of a multipart/related container that is shown: the one named by its
// "start" parameter, else its first part.
const TMailPart *relatedRoot(const TMailPart *related)
{
    const std::string start = related->HeaderParam("Content-Type", "start");
    if (!start.empty())
        for (const TMailPart *p : related->SubParts)
            if (p->HeaderValue("Content-ID") == start)
                return p;
    return related->SubParts.IsEmpty() ? nullptr : related->SubParts.First();
}

} // namespace

void TMailMessage::ScanParts()
{
    if (!NeedScan)
        return;
    Attachments.Clear();
    PlainLines.clear();
    HtmlLines.clear();
    PlainPart = HtmlPart = MixedPart = RelatedPart = AlternativePart = nullptr;
    NeedScan = false;

    // Depth first, each part before its sub-parts, without recursion. A part may show as
    // a text body when every container above it shows its parts: any multipart does
    // (an unknown subtype reads as mixed, a signed or report container shows its text),
    // except that a related container shows only its root, and an attachment (marked as
    // one, or named) shows nothing of its own.
    struct Visit
    {
        TMailPart *part;
        bool shown;
    };
    std::vector<Visit> stack{{this, true}};
    while (!stack.empty()) {
        const auto [part, shown] = stack.back();
        stack.pop_back();
        const std::string type = part->EffectiveContentType();
        const bool attachment = isAttachment(part);
        const bool related = type == "multipart/related";
        const TMailPart *root = related ? relatedRoot(part) : nullptr;
        for (int i = part->SubParts.Count() - 1; i >= 0; --i) {
            TMailPart *child = part->SubParts[i];
            stack.push_back({child, shown && !attachment && (!related || child == root)});
        }

        const bool leaf = part->SubParts.IsEmpty();
        TMailPart *parent = part->ParentPart;
        const bool multipart = type.rfind("multipart/", 0) == 0;
        if (leaf && multipart && (part != this || attachment)) {
            // A multipart part without sub-parts (cut off by the nesting limit, or without
            // a single delimiter line) holds its text as its body: it is listed as an
            // attachment rather than taken as an empty container (and dropped with it).
            part->IsEmbedded = RelatedPart && parent == RelatedPart;
            Attachments.Add(part);
        } else if (leaf && multipart && shown && !attachment && takeTextBody(part, "text/plain")) {
            // The message's multipart text without a usable delimiter is shown as text.
        } else if (!MixedPart && type == "multipart/mixed") {
            MixedPart = part;
        } else if (!RelatedPart && related) {
            RelatedPart = part;
        } else if (!AlternativePart && type == "multipart/alternative") {
            AlternativePart = part;
        } else if (leaf && !multipart && shown && !attachment && takeTextBody(part, type)) {
        } else if (leaf && part != this && shown && part->Headers.empty() && type == "text/plain" && !PlainPart
                   && part->Decode() && part->DecodedBody.empty()) {
            // A part without fields and without text where the letter goes ("--b", an
            // empty line, "--b--"): an empty letter, no file to list.
        } else if (leaf) {
            part->IsEmbedded = RelatedPart && parent == RelatedPart;
            Attachments.Add(part);
        }
    }
}

std::string TMailMessage::PlainText() const
{
    return JoinLines(PlainLines);
}

std::string TMailMessage::HtmlText() const
{
    return JoinLines(HtmlLines);
}

std::vector<std::string> TMailMessage::SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = LineBreaks::lengthAt(text, i);
        if (length == 0) {
            ++i;
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        i += length;
        start = i;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string TMailMessage::JoinLines(const std::vector<std::string> &lines)
{
    std::size_t size = 0;
    for (const std::string &line : lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string &line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}
