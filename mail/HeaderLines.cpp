// Reading and rewriting one header line "Name: value; param=value; ...".
// A double quote toggles a quoted state in which ":", ";" and "=" are ordinary.
#include "MimeHelpers.h"

namespace {

constexpr std::size_t npos = std::string_view::npos;

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

inline char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

inline char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

std::string_view trimBothBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// First `target` at or after `from` that is outside quotes; `quoted` carries the state
// in and out so that a caller can go on scanning from where it stopped.
std::size_t findUnquoted(std::string_view s, std::size_t from, char target, bool &quoted)
{
    for (std::size_t i = from; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"')
            quoted = !quoted;
        else if (c == target && !quoted)
            return i;
    }
    return npos;
}

std::string unquoteOnce(std::string v)
{
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        return v.substr(1, v.size() - 2);
    return v;
}

// Start and end of the main value: after the first unquoted ":" up to the next
// unquoted ";" or the end. False when the line has no unquoted ":".
bool valueSpan(std::string_view line, std::size_t &begin, std::size_t &end)
{
    bool quoted = false;
    const std::size_t colon = findUnquoted(line, 0, ':', quoted);
    if (colon == npos)
        return false;
    begin = colon + 1;
    end = findUnquoted(line, begin, ';', quoted);
    if (end == npos)
        end = line.size();
    return true;
}

// The parameter's "=" and the end of its value (next unquoted ";" or the end).
bool paramSpan(std::string_view line, std::string_view param, std::size_t &eq, std::size_t &end)
{
    const std::string_view wanted = trimBothBlanks(param);
    bool quoted = false;
    const std::size_t colon = findUnquoted(line, 0, ':', quoted);
    if (colon == npos)
        return false;
    std::size_t semi = findUnquoted(line, colon + 1, ';', quoted);
    while (semi != npos) {
        // Each parameter starts outside quotes, just after an unquoted ";".
        const std::size_t start = semi + 1;
        std::size_t equals = npos;
        std::size_t i = start;
        quoted = false;
        for (; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"')
                quoted = !quoted;
            else if (!quoted && c == ';')
                break;
            else if (!quoted && c == '=' && equals == npos)
                equals = i;
        }
        if (equals != npos && equalsNoCase(trimBothBlanks(line.substr(start, equals - start)), wanted)) {
            eq = equals;
            end = i;
            return true;
        }
        semi = i < line.size() ? i : npos;
    }
    return false;
}

} // namespace

int FindHeaderLine(const std::vector<std::string> *lines, std::string_view prefix, int n)
{
    if (!lines || n < 0)
        return -1;
    int seen = 0;
    for (std::size_t i = 0; i < lines->size(); ++i) {
        const std::string &line = (*lines)[i];
        if (line.size() >= prefix.size() && equalsNoCase(std::string_view(line).substr(0, prefix.size()), prefix)) {
            if (seen == n)
                return static_cast<int>(i);
            ++seen;
        }
    }
    return -1;
}

int FindHeaderLine(const std::vector<std::string> &lines, std::string_view prefix, int n)
{
    return FindHeaderLine(&lines, prefix, n);
}

std::string HeaderLineValue(std::string_view line)
{
    std::size_t begin = 0, end = 0;
    if (!valueSpan(line, begin, end))
        return {};
    return unquoteOnce(TrimBlanks(line.substr(begin, end - begin)));
}

std::string ReplaceHeaderLineValue(std::string_view line, std::string_view value)
{
    std::size_t begin = 0, end = 0;
    std::string out;
    if (!valueSpan(line, begin, end)) {
        // A bare name: give it its colon so that the value has a place.
        out.reserve(line.size() + value.size() + 2);
        out.append(line).append(": ").append(TrimBlanks(value));
        return out;
    }
    out.reserve(line.size() + value.size() + 1);
    out.append(line.substr(0, begin)).append(" ").append(TrimBlanks(value)).append(line.substr(end));
    return out;
}

std::string HeaderLineParam(std::string_view line, std::string_view param)
{
    std::size_t eq = 0, end = 0;
    if (!paramSpan(line, param, eq, end))
        return {};
    return unquoteOnce(TrimBlanks(line.substr(eq + 1, end - eq - 1)));
}

std::string ReplaceHeaderLineParam(std::string_view line, std::string_view param, std::string_view value)
{
    std::string base = TrimBlanks(line);
    if (!base.empty() && base.back() == ';')
        base.pop_back();
    const std::string v = TrimBlanks(value);
    std::size_t eq = 0, end = 0;
    if (paramSpan(base, param, eq, end))
        return base.substr(0, eq + 1) + v + base.substr(end);
    base.append("; ").append(TrimBlanks(param)).append("=").append(v);
    return base;
}

std::string NormalizeHeaderLine(std::string_view line)
{
    std::size_t colon = line.find(':');
    const std::size_t nameEnd = colon == npos ? line.size() : colon + 1;

    std::string name(line.substr(0, nameEnd));
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (i == 0 || name[i - 1] == '-')
            name[i] = upperAscii(c);
        else if ((c == 'd' || c == 'D') && i >= 2 && name[i - 2] == '-' && (name[i - 1] == 'I' || name[i - 1] == 'i')
                 && i + 1 < name.size() && name[i + 1] == ':')
            name[i] = 'D'; // "-ID:" keeps its capital D (Message-ID, Content-ID)
        else
            name[i] = lowerAscii(c);
    }

    std::string value;
    value.reserve(line.size() - nameEnd);
    bool quoted = false;
    for (std::size_t i = nameEnd; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted;
            value.push_back(c);
        } else if (c == ' ' && !quoted) {
            // A space collapses the blanks before it into this one space.
            while (!value.empty() && isBlank(value.back()))
                value.pop_back();
            value.push_back(' ');
        } else {
            value.push_back(c);
        }
    }

    std::string out = TrimBlanks(name);
    out.push_back(' ');
    out.append(TrimBlanks(value));
    return out;
}
