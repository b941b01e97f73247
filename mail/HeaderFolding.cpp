// Folding of the header block for output (RFC 5322 2.2.3): a line longer than 78
// characters is broken before a blank outside double quotes, the blank starting the
// next line, so that unfolding gives back the line as it was. A line with no such blank
// within 78 characters is broken at the next one; past 998 characters a blank inside
// quotes serves too (folding white space may stand in a quoted string).
#include "mail/HeaderFolding.h"

#include "text/LineBreaks.h"
#include "text/TextRules.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::size_t kMaxLine = 78;
constexpr std::size_t kHardLimit = 998;

using TextRules::isBlank;

// Folds one line. The quote state is computed once for the whole line, so that a very
// long line stays linear.
void foldLine(std::string_view line, std::string &out)
{
    if (line.size() <= kMaxLine) {
        out.append(line).append("\r\n");
        return;
    }
    std::vector<bool> quoted(line.size());
    bool inQuote = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        quoted[i] = inQuote;
        if (inQuote && c == '\\' && i + 1 < line.size()) {
            quoted[++i] = true;
            continue;
        }
        if (c == '"')
            inQuote = !inQuote;
    }
    // The first line breaks only inside its value, after at least one character of it.
    const std::size_t colon = line.find(": ");
    std::size_t pos = 0;
    while (line.size() - pos > kMaxLine) {
        const std::size_t text = line.find_first_not_of(" \t", pos);
        std::size_t low = pos == 0 && colon != npos ? colon + 3 : text + 1;
        if (text == npos || low >= line.size())
            break;
        auto search = [&](std::size_t from, std::size_t to, bool inQuotes) {
            // Downwards from `from` to `to` when from > to, else upwards.
            if (from >= to) {
                for (std::size_t i = from + 1; i-- > to;)
                    if (isBlank(line[i]) && (inQuotes || !quoted[i]))
                        return i;
            } else {
                for (std::size_t i = from; i < to; ++i)
                    if (isBlank(line[i]) && (inQuotes || !quoted[i]))
                        return i;
            }
            return npos;
        };
        std::size_t found = npos;
        if (low <= pos + kMaxLine) {
            // Between list entries where one ends within reach, else at any blank.
            for (std::size_t i = pos + kMaxLine + 1; i-- > std::max(low, std::size_t(1));)
                if (isBlank(line[i]) && !quoted[i] && line[i - 1] == ',') {
                    found = i;
                    break;
                }
            if (found == npos || found - pos < kMaxLine / 2)
                found = search(pos + kMaxLine, low, false);
        }
        if (found == npos)
            found = search(std::max(low, pos + kMaxLine + 1), line.size(), false);
        if ((found == npos || found - pos > kHardLimit) && line.size() - pos > kHardLimit) {
            std::size_t inside = low <= pos + kMaxLine ? search(pos + kMaxLine, low, true) : npos;
            if (inside == npos)
                inside = search(std::max(low, pos + kMaxLine + 1), line.size(), true);
            if (inside != npos && (found == npos || inside < found))
                found = inside;
        }
        if (found == npos)
            break;
        out.append(line.substr(pos, found - pos)).append("\r\n");
        pos = found;
    }
    out.append(line.substr(pos)).append("\r\n");
}

} // namespace

std::string FoldHeaders(std::string_view text)
{
    // CR, LF, LF CR and CR LF all become CR LF.
    std::string normal = LineBreaks::toCrLf(text, false, LineBreaks::LfCr::OneBreak);
    while (normal.size() >= 2 && normal.compare(normal.size() - 2, 2, "\r\n") == 0)
        normal.resize(normal.size() - 2);

    std::string out;
    if (normal.empty())
        return out;
    out.reserve(normal.size() + normal.size() / 24 + 2);
    const std::string_view all(normal);
    std::size_t start = 0;
    while (true) {
        const std::size_t cr = all.find("\r\n", start);
        if (cr == npos) {
            foldLine(all.substr(start), out);
            break;
        }
        foldLine(all.substr(start, cr - start), out);
        start = cr + 2;
    }
    return out;
}
