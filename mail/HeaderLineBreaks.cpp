#include "mail/HeaderLineBreaks.h"

#include "text/LineBreaks.h"

namespace HeaderLineBreaks {

std::size_t at(std::string_view text, std::size_t i)
{
    if (i >= text.size())
        return 0;
    if (text[i] == '\n')
        return 1;
    return text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 0;
}

void blankInside(std::string &field)
{
    if (field.find_first_of("\r\n") == std::string::npos)
        return;
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const std::size_t length = at(field, i);
        if (length == 0 && field[i] != '\r') {
            out.push_back(field[i]);
            continue;
        }
        out.push_back(' ');
        if (length == 2)
            ++i;
    }
    field = std::move(out);
}

std::string_view blankInside(std::string_view field, std::string &store)
{
    if (field.find_first_of("\r\n") == std::string_view::npos)
        return field;
    store.assign(field);
    blankInside(store);
    return store;
}

void makeMailCrLf(std::string &text, bool endWithBreak)
{
    // A text without any LF has CR for its line break (as old Mac files do): there every
    // CR ends a line, the header block's included.
    if (text.find('\n') == std::string::npos) {
        LineBreaks::makeCrLf(text, endWithBreak);
        return;
    }
    // The header block ends at its first empty line, its lines ending as `at` reads them.
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = at(text, i);
        if (length == 0) {
            // A lone CR is a blank of the same length: nothing moves.
            if (text[i] == '\r')
                text[i] = ' ';
            ++i;
            continue;
        }
        const bool empty = i == lineStart;
        i += length;
        lineStart = i;
        if (empty)
            break;
    }
    LineBreaks::makeCrLf(text, endWithBreak);
}

} // namespace HeaderLineBreaks
