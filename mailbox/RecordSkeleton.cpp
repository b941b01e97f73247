#include "mailbox/RecordSkeleton.h"

#include "mail/TMailPart.h"
#include "mailbox/StoreFile.h"
#include "text/LineBreaks.h"
#include "text/TextRules.h"

#include <algorithm>
#include <string_view>

namespace {

bool startsWith(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// The line without its break (LF, CR LF or a lone CR at its end).
std::string_view withoutBreak(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

bool onlyBlanks(std::string_view s)
{
    return TextRules::trimBlanks(s).empty();
}

// Lines of a stretch of the file, read a block at a time. A line is handed out with its
// break; a line longer than a block comes in block-sized pieces (only bodies have such
// lines, and a piece of one is never taken for a header or a delimiter that matters).
class LineSource
{
public:
    LineSource(const StoreFile &file, std::int64_t start, std::int64_t end)
        : m_file(file), m_at(start), m_end(end)
    {
    }

    std::int64_t offset() const { return m_at - static_cast<std::int64_t>(m_buffer.size() - m_pos); }

    bool next(std::string_view &line)
    {
        if (m_pos == m_buffer.size() && !fill())
            return false;
        std::size_t lf = m_buffer.find('\n', m_pos);
        if (lf == std::string::npos && m_at < m_end) {
            // Keep what is left and read the rest of the line behind it.
            m_buffer.erase(0, m_pos);
            m_pos = 0;
            fill(true);
            lf = m_buffer.find('\n', m_pos);
        }
        const std::size_t end = lf == std::string::npos ? m_buffer.size() : lf + 1;
        line = std::string_view(m_buffer).substr(m_pos, end - m_pos);
        m_pos = end;
        return true;
    }

    // Goes on at `offset` of the file, without reading what lies before it.
    void seek(std::int64_t offset)
    {
        m_buffer.clear();
        m_pos = 0;
        m_at = offset;
    }

private:
    static constexpr std::int64_t kBlock = 256 * 1024;

    bool fill(bool append = false)
    {
        if (m_at >= m_end)
            return false;
        if (!append) {
            m_buffer.clear();
            m_pos = 0;
        }
        const std::int64_t count = std::min(kBlock, m_end - m_at);
        const std::size_t old = m_buffer.size();
        m_buffer.resize(old + static_cast<std::size_t>(count));
        const std::int64_t got = m_file.readAt(m_at, m_buffer.data() + old, count);
        m_buffer.resize(old + static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
        m_at += got > 0 ? got : count;
        return got > 0;
    }

    const StoreFile &m_file;
    std::int64_t m_at;
    std::int64_t m_end;
    std::string m_buffer;
    std::size_t m_pos = 0;
};

// What the header block of a part says about its body.
struct PartKind
{
    std::string boundary;   // a multipart part's
    std::int64_t length = -1; // "Content-Length" of a body that may be left out
};

PartKind kindOf(const std::vector<std::string> &lines)
{
    // The reader's own field access: unfolded lines, names without regard to case.
    TMailPart part(nullptr);
    for (const std::string &line : lines) {
        const std::size_t text = line.find_first_not_of(" \t");
        if (part.Headers.empty() || text == 0)
            part.Headers.push_back(line);
        else if (text != std::string::npos)
            part.Headers.back() += " " + line.substr(text);
    }
    PartKind kind;
    if (part.ContentType().rfind("multipart/", 0) == 0) {
        kind.boundary = part.Boundary();
        return kind;
    }
    // A part without a type reads as text: it may be the letter.
    const std::string type = part.EffectiveContentType();
    const std::string encoding = TextRules::lowerAsciiCopy(part.HeaderValue("Content-Transfer-Encoding"));
    if (encoding != "base64" || type.rfind("text/", 0) == 0 || type.rfind("message/", 0) == 0)
        return kind;
    const std::string length = part.HeaderValue("Content-Length");
    if (length.empty() || length.size() > 12 || !std::all_of(length.begin(), length.end(), [](char c) {
            return c >= '0' && c <= '9';
        }))
        return kind;
    kind.length = std::stoll(length);
    return kind;
}

} // namespace

std::string RecordSkeleton::read(const StoreFile &file, std::int64_t textStart, std::int64_t length,
                                 std::vector<Gap> &gaps)
{
    const std::int64_t textEnd = textStart + length;
    LineSource source(file, textStart, textEnd);
    std::string out;
    // Delimiters ("--" + boundary) of the open multipart parts, innermost last.
    std::vector<std::string> delimiters;
    bool inHeaders = true;
    std::vector<std::string> header;

    std::string_view line;
    while (source.next(line)) {
        out.append(line);
        const std::string_view bare = withoutBreak(line);
        if (inHeaders) {
            if (!bare.empty()) {
                header.emplace_back(bare);
                continue;
            }
            inHeaders = false;
            const PartKind kind = kindOf(header);
            header.clear();
            if (!kind.boundary.empty()) {
                delimiters.push_back("--" + kind.boundary);
                continue;
            }
            const std::int64_t bodyStart = source.offset();
            if (kind.length < MinGap || delimiters.empty() || kind.length > textEnd - bodyStart)
                continue;
            // The body ends where its delimiter line begins, behind a line break.
            const std::string &delimiter = delimiters.back();
            std::string after(2 + delimiter.size(), '\0');
            const std::int64_t at = bodyStart + kind.length;
            if (file.readAt(at, after.data(), static_cast<std::int64_t>(after.size()))
                    == static_cast<std::int64_t>(after.size())
                && after == "\r\n" + delimiter) {
                gaps.push_back({bodyStart - textStart, kind.length});
                source.seek(at);
            }
            continue;
        }
        if (!startsWith(bare, "--"))
            continue;
        // A delimiter of an open part, the innermost first.
        for (std::size_t i = delimiters.size(); i-- > 0;) {
            const std::string &delimiter = delimiters[i];
            if (!startsWith(bare, delimiter))
                continue;
            const std::string_view rest = bare.substr(delimiter.size());
            if (onlyBlanks(rest)) {
                delimiters.resize(i + 1);
                inHeaders = true;
                break;
            }
            if (startsWith(rest, "--") && onlyBlanks(rest.substr(2))) {
                delimiters.resize(i);
                break;
            }
        }
    }
    return out;
}
