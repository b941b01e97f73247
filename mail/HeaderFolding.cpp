// Folding of the header block for output: lines longer than 72 characters are broken
// at a space, "," or ";" outside quotes and continued with CR LF TAB.
#include "mail/MimeHelpers.h"

#include "text/LineBreaks.h"

#include <vector>

namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::size_t kMaxLine = 72;

// Folds one line. The quote state is computed once for the whole line; a rest that
// is folded again starts outside quotes (breaks are only taken outside), so its
// state is the same slice of that array. This keeps a very long line linear.
void foldLine(std::string_view line, std::string &out)
{
    if (line.size() <= kMaxLine) {
        out.append(line).append("\r\n");
        return;
    }
    std::vector<bool> quoted(line.size());
    bool inDouble = false, inSingle = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && !inSingle)
            inDouble = !inDouble;
        else if (c == '\'' && !inDouble)
            inSingle = !inSingle;
        quoted[i] = inDouble || inSingle || c == '"' || c == '\'';
    }

    std::size_t pos = 0;                 // start of the current (rest of the) line
    std::size_t colonSpace = line.find(": "); // first ": " at or after pos, cached
    while (line.size() - pos > kMaxLine) {
        std::size_t valueStart;
        if (line[pos] == '\t') {
            valueStart = 35;
        } else {
            if (colonSpace != npos && colonSpace < pos)
                colonSpace = line.find(": ", pos);
            valueStart = colonSpace == npos ? 1 : colonSpace - pos + 2;
        }
        std::size_t found = npos;
        for (std::size_t k = kMaxLine + 1; k >= 1 && k - 1 >= valueStart; --k) {
            const std::size_t i = pos + k - 1;
            const char c = line[i];
            // One past the limit, only a blank after "," or ";": that is where a fold after
            // the "," or ";" left it when the line was read back (unfolding puts a blank
            // there), so the line is folded as it was the first time.
            if (k > kMaxLine && !(c == ' ' && (line[i - 1] == ',' || line[i - 1] == ';')))
                continue;
            if ((c == ' ' || c == ',' || c == ';') && !quoted[i]) {
                found = i;
                break;
            }
        }
        if (found == npos)
            break;
        if (line[found] == ' ') {
            out.append(line.substr(pos, found - pos)).append("\r\n\t");
        } else {
            out.append(line.substr(pos, found + 1 - pos)).append("\r\n\t");
        }
        pos = found + 1;
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
