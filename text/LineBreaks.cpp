#include "text/LineBreaks.h"

namespace LineBreaks {

std::size_t lengthAt(std::string_view text, std::size_t i, LfCr lfCr)
{
    if (i >= text.size())
        return 0;
    const char c = text[i];
    if (c != '\r' && c != '\n')
        return 0;
    const char pair = c == '\r' ? '\n' : '\r';
    const bool pairs = c == '\r' || lfCr == LfCr::OneBreak;
    return pairs && i + 1 < text.size() && text[i + 1] == pair ? 2 : 1;
}

std::string toCrLf(std::string_view text, bool endWithBreak, LfCr lfCr)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32 + 2);
    std::size_t runStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = lengthAt(text, i, lfCr);
        if (length == 0) {
            ++i;
            continue;
        }
        out.append(text.substr(runStart, i - runStart)).append("\r\n");
        i += length;
        runStart = i;
    }
    out.append(text.substr(runStart));
    if (endWithBreak && !out.empty() && out.back() != '\n')
        out += "\r\n";
    return out;
}

void makeCrLf(std::string &text, bool endWithBreak, LfCr lfCr)
{
    // Every CR followed by LF and every LF after a CR: toCrLf would write the same bytes.
    const std::size_t n = text.size();
    const char *p = text.data();
    bool crLfOnly = true;
    for (std::size_t i = 0; i < n && crLfOnly; ++i) {
        if (p[i] == '\r')
            crLfOnly = i + 1 < n && p[i + 1] == '\n';
        else if (p[i] == '\n')
            crLfOnly = i > 0 && p[i - 1] == '\r';
    }
    if (!crLfOnly)
        text = toCrLf(text, endWithBreak, lfCr);
    else if (endWithBreak && !text.empty() && text.back() != '\n')
        text += "\r\n";
}

} // namespace LineBreaks
