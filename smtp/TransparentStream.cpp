#include "smtp/TransparentStream.h"

#include "os/AppError.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr std::string_view CrLf = "\r\n";
constexpr std::string_view DoubleDot = "..";
constexpr std::string_view EndAfterBreak = ".\r\n";
constexpr std::string_view EndWithBreak = "\r\n.\r\n";

} // namespace

TransparentStream::TransparentStream(std::vector<std::string_view> pieces)
    : m_pieces(std::move(pieces))
{
}

TransparentStream::TransparentStream(std::vector<std::string_view> pieces, std::vector<Source> sources)
    : m_pieces(std::move(pieces))
    , m_sources(std::move(sources))
{
    m_sources.resize(m_pieces.size());
}

std::string_view TransparentStream::current()
{
    if (m_piece >= m_sources.size() || !m_sources[m_piece].read)
        return m_pieces[m_piece];
    const Source &source = m_sources[m_piece];
    if (m_pos >= m_stretch.size()) {
        // The next stretch; an empty one once the source is read to its end.
        constexpr std::int64_t kStretch = 1 << 20;
        m_stretchAt += static_cast<std::int64_t>(m_stretch.size());
        const std::int64_t count = std::clamp<std::int64_t>(source.length - m_stretchAt, 0, kStretch);
        if (m_stretchAt == 0)
            m_sourceLast = '\n';
        m_stretch.resize(static_cast<std::size_t>(count));
        if (count > 0) {
            source.read(m_stretchAt, m_stretch.data(), m_stretch.size());
            checkLines(m_stretch, m_sourceLast, m_stretchAt + count == source.length);
            m_sourceLast = m_stretch.back();
        }
        m_pos = 0;
    }
    return m_stretch;
}

void TransparentStream::checkLines(std::string_view bytes, char before, bool last)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const char previous = i == 0 ? before : bytes[i - 1];
        if ((c == '\n' && previous != '\r') || (previous == '\r' && c != '\n') || (c == '.' && previous == '\n'))
            throw AppError("The mail text read from the store is not in the form it was stored in");
    }
    if (last && bytes.back() != '\n')
        throw AppError("The mail text read from the store is not in the form it was stored in");
}

std::size_t TransparentStream::size() const
{
    // A copy holds only views and the reading state: counting it through leaves this one
    // where it is.
    TransparentStream counter = *this;
    counter.m_buffer.clear();
    counter.m_buffer.shrink_to_fit();
    std::size_t total = 0;
    for (;;) {
        const std::size_t n = counter.produce(nullptr, std::numeric_limits<std::size_t>::max() / 2);
        if (n == 0)
            return total;
        total += n;
    }
}

std::string_view TransparentStream::next(std::size_t room)
{
    m_buffer.resize(room);
    const std::size_t n = produce(m_buffer.data(), room);
    return std::string_view(m_buffer.data(), n);
}

// Writes what fits of `bytes`; the rest is owed to the next call (`bytes` is always one of
// the constants above, so the view stays valid).
std::size_t TransparentStream::write(char *out, std::size_t room, std::string_view bytes)
{
    const std::size_t n = std::min(room, bytes.size());
    if (out)
        std::memcpy(out, bytes.data(), n);
    m_owed = bytes.substr(n);
    return n;
}

std::size_t TransparentStream::produce(char *out, std::size_t room)
{
    std::size_t written = 0;
    const auto put = [&](std::string_view bytes) {
        written += write(out ? out + written : nullptr, room - written, bytes);
    };
    if (!m_owed.empty())
        put(m_owed);
    while (written < room && m_owed.empty()) {
        if (m_piece >= m_pieces.size()) {
            if (m_ended)
                break;
            m_ended = true;
            put(m_endsWithBreak ? EndAfterBreak : EndWithBreak);
            continue;
        }
        if (!out && m_piece < m_sources.size() && m_sources[m_piece].read) {
            // Counted without reading: CR LF lines that need no change (checked while
            // they are read) leave the output as long as they are and end a line.
            if (m_sources[m_piece].length > 0) {
                written += static_cast<std::size_t>(m_sources[m_piece].length);
                m_lineStart = true;
                m_afterCr = false;
                m_endsWithBreak = true;
            }
            ++m_piece;
            m_pos = 0;
            continue;
        }
        const std::string_view piece = current();
        if (m_pos >= piece.size()) {
            ++m_piece;
            m_pos = 0;
            m_stretch.clear();
            m_stretchAt = 0;
            continue;
        }
        const char c = piece[m_pos];
        if (c == '\n' && m_afterCr) {
            // The LF of a CR LF whose CR was in the previous piece or call.
            m_afterCr = false;
            ++m_pos;
            continue;
        }
        m_afterCr = false;
        if (c == '\r' || c == '\n') {
            put(CrLf);
            m_afterCr = c == '\r';
            m_lineStart = true;
            m_endsWithBreak = true;
            ++m_pos;
            continue;
        }
        m_endsWithBreak = false;
        if (m_lineStart && c == '.') {
            put(DoubleDot);
            m_lineStart = false;
            ++m_pos;
            continue;
        }
        m_lineStart = false;
        // The run up to the next line break goes as it is.
        const std::size_t limit = std::min(piece.size(), m_pos + (room - written));
        std::size_t end = m_pos;
        while (end < limit && piece[end] != '\r' && piece[end] != '\n')
            ++end;
        if (out)
            std::memcpy(out + written, piece.data() + m_pos, end - m_pos);
        written += end - m_pos;
        m_pos = end;
    }
    return written;
}
