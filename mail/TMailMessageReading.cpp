// Finding the bodies, containers and attachments of a loaded tree (ScanParts) and the
// line lists of the text bodies. Parsing the text itself is MailTextReader's.
#include "TMailMessage.h"

#include <vector>

namespace {

// The decoded text up to its first zero byte, as lines.
std::vector<std::string> bodyLines(const std::string &body)
{
    const std::size_t zero = body.find('\0');
    return TMailMessage::SplitLines(std::string_view(body).substr(0, zero));
}

} // namespace

bool TMailMessage::takeTextBody(TMailPart *part, const std::string &type)
{
    // Only the first non-empty plain and HTML parts are bodies.
    bool taken = false;
    if (!PlainPart && (type == "text/plain" || type == "text")) {
        part->Decode();
        if (!part->DecodedBody.empty()) {
            PlainPart = part;
            PlainLines = bodyLines(part->DecodedBody);
            taken = true;
        }
    }
    if (!HtmlPart && type == "text/html") {
        part->Decode();
        if (!part->DecodedBody.empty()) {
            HtmlPart = part;
            HtmlLines = bodyLines(part->DecodedBody);
            taken = true;
        }
    }
    return taken;
}

void TMailMessage::ScanParts()
{
    if (!NeedScan)
        return;
    Attachments.Clear();
    PlainLines.clear();
    HtmlLines.clear();
    PlainPart = HtmlPart = MixedPart = RelatedPart = AlternativePart = nullptr;
    NeedScan = false;

    // Depth first, each part before its sub-parts, without recursion.
    std::vector<TMailPart *> stack{this};
    while (!stack.empty()) {
        TMailPart *part = stack.back();
        stack.pop_back();
        for (int i = part->SubParts.Count() - 1; i >= 0; --i)
            stack.push_back(part->SubParts[i]);

        const std::string type = part->ContentType();
        const bool leaf = part->SubParts.IsEmpty();
        TMailPart *parent = part->ParentPart;
        // A multipart part below the message without sub-parts (cut off by the nesting
        // limit, or without a single delimiter line) holds its text as its body: it is
        // listed as an attachment rather than taken as an empty container.
        if (leaf && part != this && type.rfind("multipart/", 0) == 0) {
            part->IsEmbedded = RelatedPart && parent == RelatedPart;
            Attachments.Add(part);
        } else if (!MixedPart && type == "multipart/mixed") {
            MixedPart = part;
        } else if (!RelatedPart && type == "multipart/related") {
            RelatedPart = part;
        } else if (!AlternativePart && type == "multipart/alternative") {
            AlternativePart = part;
        } else if (part == this && leaf && (type.rfind("text/", 0) == 0 || type == "text")
                   && takeTextBody(part, type)) {
        } else if (part == this && leaf && !HasHeader("Content-Type") && takeTextBody(part, "text/plain")) {
        } else if (parent && parent == MixedPart && !AlternativePart && takeTextBody(part, type)) {
        } else if (parent && parent == RelatedPart && takeTextBody(part, type)) {
        } else if (parent && parent == AlternativePart && takeTextBody(part, type)) {
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
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = ++i;
        } else {
            ++i;
        }
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
