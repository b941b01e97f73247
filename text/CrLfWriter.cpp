#include "text/CrLfWriter.h"

CrLfWriter::CrLfWriter(Sink sink)
    : m_sink(std::move(sink))
{
}

void CrLfWriter::write(std::string_view piece)
{
    if (piece.empty())
        return;
    m_out.clear();
    m_out.reserve(piece.size() + piece.size() / 32 + 2);
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < piece.size(); ++i) {
        const char c = piece[i];
        if (c == '\n' && m_afterCr) {
            // The LF of a CR LF whose CR was already written as a break.
            m_out.append(piece.substr(runStart, i - runStart));
            runStart = i + 1;
            m_afterCr = false;
            continue;
        }
        m_afterCr = c == '\r';
        if (c == '\r' || c == '\n') {
            m_out.append(piece.substr(runStart, i - runStart)).append("\r\n");
            runStart = i + 1;
        }
    }
    m_out.append(piece.substr(runStart));
    const char last = piece.back();
    m_endsWithBreak = last == '\r' || last == '\n';
    m_any = true;
    m_sink(m_out);
}

void CrLfWriter::finish(bool endWithBreak)
{
    if (endWithBreak && m_any && !m_endsWithBreak)
        m_sink("\r\n");
    m_afterCr = false;
}
