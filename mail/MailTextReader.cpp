#include "mail/MailTextReader.h"

#include "mail/HeaderLineBreaks.h"
#include "mail/MailText.h"
#include "mail/ContentTypes.h"
#include "mail/HeaderLines.h"
#include "mail/QuotedPrintable.h"
#include "mail/RandomSource.h"
#include "mail/StringHelpers.h"
#include "mail/UUCode.h"
#include "mail/TMailMessage.h"
#include "os/AppError.h"
#include "os/MessagePump.h"
#include "text/StoredText.h"
#include "text/TextRules.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool startsWith(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool onlyBlanks(std::string_view s)
{
    for (const char c : s)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

// The end of the header line that starts at `pos` (HeaderLineBreaks: CR LF or a lone LF),
// and in `next` where the line after it starts.
std::size_t headerLineEnd(std::string_view text, std::size_t pos, std::size_t &next)
{
    const std::size_t lf = text.find('\n', pos);
    if (lf == npos) {
        next = text.size();
        return text.size();
    }
    const std::size_t end = lf > pos && text[lf - 1] == '\r' ? lf - 1 : lf;
    next = end + HeaderLineBreaks::at(text, end);
    return end;
}

// The header line at `pos` without its break, its lone CRs blanks (kept in `store` when
// there are any), moving `pos` behind it (a look ahead: no progress report).
std::string_view headerLineAt(std::string_view text, std::size_t &pos, std::string &store)
{
    const std::size_t start = pos;
    const std::size_t end = headerLineEnd(text, start, pos);
    return HeaderLineBreaks::blankInside(text.substr(start, end - start), store);
}

using TextRules::isBlank;

// A field name: printable characters other than the blank and ":" (RFC 5322 3.6.8).
bool isFieldName(std::string_view name)
{
    for (const char c : name)
        if (c < 33 || c > 126 || c == ':')
            return false;
    return true;
}

// A name of letters, digits and "-" that starts with a letter, such as "Content-Type".
bool isWordName(std::string_view name)
{
    if (name.empty() || !((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
        return false;
    for (const char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'))
            return false;
    return true;
}

// A field name written directly before its ":", as fields are written today.
bool isStrictFieldLine(std::string_view line)
{
    const std::size_t colon = line.find(':');
    return colon != npos && colon > 0 && isFieldName(line.substr(0, colon));
}

// The length of the field name when blanks stand between it and the ":" ("Subject :",
// the obsolete syntax of RFC 5322 4.5.3); 0 for any other line.
std::size_t nameBeforeBlanks(std::string_view line)
{
    const std::size_t colon = line.find(':');
    if (colon == npos || colon == 0)
        return 0;
    const std::size_t last = line.find_last_not_of(" \t", colon - 1);
    if (last == npos || last + 1 == colon || !isFieldName(line.substr(0, last + 1)))
        return 0;
    return last + 1;
}

// A line that belongs to the header block as a field of its own: a field name and ":";
// an mbox "From " line that some stores keep above the fields; or, read leniently, one
// stray word before a field name ("junk Content-Type: x"), kept as an unknown field so
// that the fields after it are still read.
bool isFieldLine(std::string_view line)
{
    if (startsWith(line, "From "))
        return true;
    const std::size_t colon = line.find(':');
    if (colon == npos)
        return false;
    const std::string_view name = line.substr(0, colon);
    if (isFieldName(name))
        return true;
    const std::size_t blank = name.find_first_of(" \t");
    const std::size_t field = name.find_first_not_of(" \t", blank);
    return blank > 0 && isFieldName(name.substr(0, blank)) && field != npos && isWordName(name.substr(field));
}

// A token character of a MIME parameter name (RFC 2045 5.1; "*" of RFC 2231 included).
bool isTokenChar(char c)
{
    return c > 32 && c < 127 && std::string_view("()<>@,;:\\\"/[]?=").find(c) == npos;
}

// "name=..." on a line of its own after a field that ends with ";": a parameter that a
// mailer forgot to indent, read as part of that field.
bool continuesParameters(std::string_view field, std::string_view line)
{
    std::size_t last = field.find_last_not_of(" \t");
    if (last == npos || field[last] != ';')
        return false;
    std::size_t i = 0;
    while (i < line.size() && isTokenChar(line[i]))
        ++i;
    if (i == 0)
        return false;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    return i < line.size() && line[i] == '=';
}

// A delimiter line is "--boundary", optionally followed by "--" (the closing one), then
// nothing but blanks. An inner boundary that merely begins with the outer one's text is
// not the outer delimiter.
enum class Delimiter { None, Open, Closing };

Delimiter delimiterKind(std::string_view line, std::string_view delimiter)
{
    if (!startsWith(line, delimiter))
        return Delimiter::None;
    std::string_view rest = line.substr(delimiter.size());
    if (onlyBlanks(rest))
        return Delimiter::Open;
    if (startsWith(rest, "--") && onlyBlanks(rest.substr(2)))
        return Delimiter::Closing;
    return Delimiter::None;
}

bool endsWithCrLf(std::string_view s)
{
    return s.size() >= 2 && s.substr(s.size() - 2) == "\r\n";
}

// A slice of mail text as the body takes it: every line followed by CR LF (so a last
// line without a break gets one).
void appendLines(std::string &dest, std::string_view slice)
{
    if (slice.empty())
        return;
    dest.append(slice);
    if (!endsWithCrLf(slice))
        dest += "\r\n";
}

int depthOf(const TMailPart *part)
{
    int depth = 0;
    for (const TMailPart *p = part->ParentPart; p; p = p->ParentPart)
        ++depth;
    return depth;
}

// Parts below the message (the message itself not counted).
int partsBelow(const TMailPart *root)
{
    int count = 0;
    std::vector<const TMailPart *> stack{root};
    while (!stack.empty()) {
        const TMailPart *p = stack.back();
        stack.pop_back();
        for (const TMailPart *child : p->SubParts) {
            ++count;
            stack.push_back(child);
        }
    }
    return count;
}

// A multipart part whose sub-parts are being cut out of its text; `pos` is the start of
// the next delimiter line.
struct Frame
{
    TMailPart *part;
    std::string_view text;
    std::size_t pos;
    std::string delimiter;
    int depth;
};

class Reader
{
public:
    Reader(TMailMessage *message, TMailPart *reporting, std::shared_ptr<const std::string> text)
        : m_message(message), m_reporting(reporting), m_total(static_cast<std::int64_t>(text->size())),
          m_text(std::move(text))
    {
    }

    void run(TMailPart *part, std::string_view text, bool withHeaders, int depth, int budget);

private:
    // Reads the header line at `pos` as headerLineAt does, with the progress report.
    std::string_view nextHeaderLine(std::string_view text, std::size_t &pos, TMailPart *part, std::string &store) const
    {
        const std::size_t start = pos;
        const std::string_view line = headerLineAt(text, pos, store);
        if (part == m_reporting)
            report(static_cast<std::int64_t>(start) + 1);
        return line;
    }

    // Reads the line at `pos` (without its break) and moves `pos` behind it.
    std::string_view nextLine(std::string_view text, std::size_t &pos, TMailPart *part) const
    {
        const std::size_t start = pos;
        const std::size_t cr = text.find("\r\n", pos);
        std::size_t end;
        if (cr == npos) {
            end = text.size();
            pos = text.size();
        } else {
            end = cr;
            pos = cr + 2;
        }
        if (part == m_reporting)
            report(static_cast<std::int64_t>(start) + 1);
        return text.substr(start, end - start);
    }

    void report(std::int64_t current) const
    {
        if (m_message->OnProgress)
            m_message->OnProgress(m_message, m_total, current);
        MessagePump::serve();
    }

    // `subPart`: the text is a slice cut out between delimiters, whose body is kept byte
    // for byte; a whole text gets a line break after its last line.
    void parsePart(TMailPart *part, std::string_view text, bool withHeaders, int depth, bool subPart = false);
    void readHeaders(TMailPart *part, std::string_view text, std::size_t &pos);
    void convertUuencoded(TMailPart *part, std::string_view text, std::size_t bodyStart, std::size_t beginLine);
    void stepFrame();
    TMailPart *newChild(TMailPart *parent, const std::string &boundary);
    // A body that is a slice of the text: a stretch of it, not a copy.
    BodyBytes stretch(std::string_view slice) const { return BodyBytes(m_text, slice); }
    // The slice as a body whose every line ends with CR LF: a stretch of the text when
    // it does, an own copy with the break added when its last line has none.
    void appendBodyLines(TMailPart *part, std::string_view slice) const;

    TMailMessage *m_message;
    TMailPart *m_reporting;
    std::int64_t m_total;
    std::shared_ptr<const std::string> m_text; // the text read; every stretch is kept in it
    int m_budget = 0;
    std::vector<Frame> m_frames;
};

void Reader::appendBodyLines(TMailPart *part, std::string_view slice) const
{
    if (part->EncodedBody.empty() && (slice.empty() || endsWithCrLf(slice))) {
        part->EncodedBody = stretch(slice);
        return;
    }
    std::string body = part->EncodedBody.str();
    appendLines(body, slice);
    part->EncodedBody = std::move(body);
}

void Reader::run(TMailPart *part, std::string_view text, bool withHeaders, int depth, int budget)
{
    m_budget = budget;
    parsePart(part, text, withHeaders, depth);
    while (!m_frames.empty()) {
        stepFrame();
        MessagePump::serve();
    }
}

TMailPart *Reader::newChild(TMailPart *parent, const std::string &boundary)
{
    --m_budget;
    TMailPart *child = new TMailPart(m_message);
    child->OwnerMessage = m_message;
    child->ParentPart = parent;
    child->ParentBoundary = boundary;
    parent->SubParts.Add(child);
    return child;
}

void Reader::readHeaders(TMailPart *part, std::string_view text, std::size_t &pos)
{
    std::vector<std::string> raw;
    std::string store, aheadStore;
    while (pos < text.size()) {
        const std::size_t lineStart = pos;
        const std::string_view line = nextHeaderLine(text, pos, part, store);
        if (line.empty())
            break;
        if (onlyBlanks(line)) {
            // Lines of blanks followed by a continuation or by a field written as
            // "name:" are folding inside the block (RFC 5322 4.2); followed by anything
            // else, such a line stands for the empty line that ends the block.
            if (raw.empty())
                break;
            std::size_t ahead = pos;
            std::size_t continuation = npos;
            while (ahead < text.size()) {
                const std::size_t start = ahead;
                const std::string_view next = headerLineAt(text, ahead, aheadStore);
                if (next.empty() || !onlyBlanks(next)) {
                    if (!next.empty() && (isBlank(next[0]) || isStrictFieldLine(next)))
                        continuation = start;
                    break;
                }
            }
            if (continuation == npos)
                break;
            pos = continuation;
            continue;
        }
        if (isBlank(line[0]) && !raw.empty()) {
            // A folded line: only the line break goes (RFC 5322 unfolding), the blanks
            // after it stay, so that a line folded inside quotes or before a run of
            // blanks reads back as it was written. A tab that starts the line reads as
            // a space, as mailers that fold with a tab mean it.
            std::string &prev = raw.back();
            prev += ' ';
            prev.append(line.substr(1));
        } else if (!raw.empty() && continuesParameters(raw.back(), line)) {
            raw.back() += ' ';
            raw.back() += line;
        } else if (const std::size_t name = nameBeforeBlanks(line); name > 0) {
            // "Subject : x" is the field "Subject: x".
            raw.emplace_back(line.substr(0, name));
            raw.back().append(line.substr(line.find(':')));
        } else if (isFieldLine(line)) {
            raw.emplace_back(line);
        } else {
            // Neither a field nor a continuation (an indented first line continues
            // nothing): the empty line is missing, and the body begins with this line
            // (RFC 5322 3.5). Taken as a field, it would be written back into the header.
            pos = lineStart;
            break;
        }
    }
    part->Headers.reserve(raw.size());
    for (const std::string &line : raw)
        part->Headers.push_back(NormalizeHeaderLine(line));
}

void Reader::parsePart(TMailPart *part, std::string_view text, bool withHeaders, int depth, bool subPart)
{
    const auto takeBody = [&](std::string_view body) {
        if (subPart)
            part->EncodedBody = stretch(body);
        else
            appendBodyLines(part, body);
    };
    std::size_t pos = 0;
    if (withHeaders)
        readHeaders(part, text, pos);
    const std::size_t bodyStart = pos;

    const bool hasType = part->HasHeader("Content-Type");
    const std::string typeStart = TextRules::lowerAsciiCopy(part->HeaderValue("Content-Type").substr(0, 10));
    const std::string boundary = typeStart == "multipart/" ? part->Boundary() : std::string();
    // Without a boundary there is no delimiter to look for: the text stays the body.
    const bool multipart = !boundary.empty() && depth < MailTextReader::MaxMultipartDepth;

    if (multipart) {
        Frame frame{part, text, 0, "--" + boundary, depth};
        while (pos < text.size()) {
            const std::size_t lineStart = pos;
            const std::string_view line = nextLine(text, pos, part);
            if (delimiterKind(line, frame.delimiter) != Delimiter::None) {
                part->EncodedBody = stretch(text.substr(bodyStart, lineStart - bodyStart));
                frame.pos = lineStart;
                m_frames.push_back(std::move(frame));
                return;
            }
        }
        // No delimiter at all: the whole text is the preamble.
        takeBody(text.substr(bodyStart));
        return;
    }

    if (!hasType) {
        // A plain text that may carry uuencoded files.
        while (pos < text.size()) {
            const std::size_t lineStart = pos;
            const std::string_view line = nextLine(text, pos, part);
            if (startsWith(line, "begin 6")) {
                convertUuencoded(part, text, bodyStart, lineStart);
                return;
            }
        }
        takeBody(text.substr(bodyStart));
        return;
    }

    // A single part: all remaining lines (reported line by line for the message).
    if (part == m_reporting)
        while (pos < text.size())
            nextLine(text, pos, part);
    takeBody(text.substr(bodyStart));
}

void Reader::stepFrame()
{
    Frame &frame = m_frames.back();
    TMailPart *part = frame.part;
    const std::string_view text = frame.text;
    const std::size_t delimiterStart = frame.pos;
    std::size_t pos = frame.pos;

    const std::string_view delimiterLine = nextLine(text, pos, part);
    if (delimiterKind(delimiterLine, frame.delimiter) == Delimiter::Closing) {
        // A closing delimiter ends the part; what follows it is not used.
        m_frames.pop_back();
        return;
    }

    const std::size_t start = pos;
    std::size_t end = npos;
    // Two opening delimiter lines in a row enclose nothing; anything else after a
    // delimiter, even no more than a line break, is a part.
    bool nothing = false;
    while (pos < text.size()) {
        const std::size_t lineStart = pos;
        const std::string_view line = nextLine(text, pos, part);
        const Delimiter kind = delimiterKind(line, frame.delimiter);
        if (kind != Delimiter::None) {
            // The line break before a delimiter line belongs to the delimiter.
            end = lineStart >= start + 2 ? lineStart - 2 : start;
            frame.pos = lineStart;
            nothing = lineStart == start && kind == Delimiter::Open;
            break;
        }
    }
    if (end == npos) {
        // Cut off before the closing delimiter: the rest is the last sub-part, without
        // the blank lines at the very end, as if the closing delimiter followed it.
        end = text.size();
        while (end >= start + 2 && text.substr(end - 2, 2) == "\r\n")
            end -= 2;
        frame.pos = text.size();
    }
    const std::string_view subText = text.substr(start, end - start);
    const bool lastOne = frame.pos >= text.size();
    const int depth = frame.depth;
    const std::string boundary = part->Boundary();
    if (lastOne)
        m_frames.pop_back(); // `frame` is gone from here on

    // A part whose header block is empty (its first line is empty, or it holds nothing
    // at all) is a part without fields: plain text.
    if (nothing)
        return;
    if (m_budget <= 0) {
        // Too many parts: the rest of this part's text stays in its body.
        appendBodyLines(part, text.substr(delimiterStart));
        if (!lastOne)
            m_frames.pop_back();
        return;
    }
    TMailPart *child = newChild(part, boundary);
    parsePart(child, subText, true, depth + 1, true);
}

void Reader::convertUuencoded(TMailPart *part, std::string_view text, std::size_t bodyStart,
                              std::size_t beginLine)
{
    if (m_budget <= 0) {
        appendBodyLines(part, text.substr(bodyStart));
        return;
    }
    const std::string charsetParam = "\"" + m_message->Charset + "\"";
    std::string plainText(text.substr(bodyStart, beginLine - bodyStart));
    part->EncodedBody = plainText;

    const std::string boundary = NewBoundary();
    TMailPart *textPart = newChild(part, boundary);
    part->SetHeaderValue("Content-Type", "");
    part->SetHeaderValue("Content-Type", "multipart/mixed");
    part->SetHeaderParam("Content-Type", "boundary", "\"" + boundary + "\"");

    std::size_t pos = beginLine;
    while (pos < text.size()) {
        // `pos` is at a "begin" line.
        const std::size_t lineStart = pos;
        const std::string_view beginText = nextLine(text, pos, part);
        if (m_budget <= 0) {
            // Too many parts: the remaining files stay in the text.
            appendLines(plainText, text.substr(lineStart));
            break;
        }
        const std::string name = beginText.size() > 10 ? TrimBlanks(beginText.substr(10)) : std::string();
        std::string bytes;
        bool ended = false;
        while (pos < text.size()) {
            const std::string_view line = nextLine(text, pos, part);
            if (startsWith(line, "end")) {
                ended = true;
                break;
            }
            bytes += UUDecodeLine(line);
        }
        // A file whose "end" line is missing keeps the data lines up to the end.
        TMailPart *file = newChild(part, boundary);
        file->DecodedBody = std::move(bytes);
        // The name comes without a charset: read as stored text (UTF-8 when it is that).
        const QString nameText = StoredText::toQString(name);
        file->SetHeaderValue("Content-Type", ContentTypeOfFile(name));
        file->SetHeaderValue("Content-Transfer-Encoding", "base64");
        file->SetHeaderValue("Content-Disposition", "attachment");
        file->SetFileNameParam("Content-Type", "name", nameText);
        file->SetFileNameParam("Content-Disposition", "filename", nameText);
        file->SetHeaderValue("X-Mail-Attachment", MailText::quotedName(nameText, m_message->Charset));
        file->SetHeaderParam("X-Mail-Attachment", "embedded", "no");
        file->Encode(etBase64);
        file->IsDecoded = true;
        if (!ended)
            break;
        // Text between an "end" line and the next "begin" line is dropped.
        bool found = false;
        while (pos < text.size()) {
            const std::size_t next = pos;
            const std::string_view line = nextLine(text, pos, part);
            if (startsWith(line, "begin 6")) {
                pos = next;
                found = true;
                break;
            }
        }
        if (!found)
            break;
    }

    appendBodyLines(textPart, QPEncode(plainText, false));
    textPart->SetHeaderValue("Content-Type", "text/plain");
    textPart->SetHeaderParam("Content-Type", "charset", charsetParam);
    textPart->SetHeaderValue("Content-Transfer-Encoding", "quoted-printable");
}

} // namespace

void MailTextReader::load(TMailPart *part, std::shared_ptr<const std::string> text, bool withHeaders)
{
    TMailMessage *message = part->OwnerMessage;
    if (!message)
        throw AppError(part->Name + ": TMailPart must be owned by a TMailMessage");

    part->destroySubParts();
    part->Headers.clear();
    part->EncodedBody.clear();
    part->DecodedBody.clear();
    part->IsDecoded = false;
    part->IsEmbedded = false;
    message->NeedRebuild = true;
    message->NeedArrange = true;
    message->NeedScan = true;

    const auto total = static_cast<std::int64_t>(text->size());
    const std::string_view whole = *text;
    TMailPart *reporting = part == message ? part : nullptr;
    Reader reader(message, reporting, std::move(text));
    if (reporting) {
        if (message->OnProgress)
            message->OnProgress(message, total, 0);
        MessagePump::serve();
    }
    const int budget = MaxParts - partsBelow(message);
    reader.run(part, whole, withHeaders, depthOf(part), budget);
    if (reporting) {
        if (message->OnProgress)
            message->OnProgress(message, total, total);
        MessagePump::serve();
    }
}

void TMailPart::LoadFromText(std::string_view text, bool withHeaders)
{
    // Copied before anything is cleared: the text may be a stretch of this very part.
    MailTextReader::load(this, std::make_shared<const std::string>(text), withHeaders);
}

void TMailPart::LoadFromText(std::string &&text, bool withHeaders)
{
    MailTextReader::load(this, std::make_shared<const std::string>(std::move(text)), withHeaders);
}
