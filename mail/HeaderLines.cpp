// Reading and rewriting one header line "Name: value; param=value; ...".
// A double quote toggles a quoted state in which ":", ";" and "=" are ordinary; inside
// it a backslash takes the next character as it is (a quoted pair: "\"" does not end it).
#include "mail/HeaderLines.h"
#include "mail/StringHelpers.h"
#include "text/TextRules.h"

#include <algorithm>

namespace {

constexpr std::size_t npos = std::string_view::npos;

using TextRules::isBlank;
using TextRules::lowerAscii;
using TextRules::upperAscii;
using TextRules::equalsIgnoringAsciiCase;
using TextRules::trimBlanks;

// First `target` at or after `from` that is outside quotes; `quoted` carries the state
// in and out so that a caller can go on scanning from where it stopped.
std::size_t findUnquoted(std::string_view s, std::size_t from, char target, bool &quoted)
{
    for (std::size_t i = from; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"')
            quoted = !quoted;
        else if (c == '\\' && quoted)
            ++i;
        else if (c == target && !quoted)
            return i;
    }
    return npos;
}

// Whether a quote opened in `s` is left open at its end.
bool endsQuoted(std::string_view s)
{
    bool quoted = false;
    findUnquoted(s, 0, '\0', quoted);
    return quoted;
}

std::string unquoteOnce(std::string v)
{
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        return v.substr(1, v.size() - 2);
    return v;
}

// A parameter value, trimmed; a quoted string loses its quotes, and every quoted pair
// "\x" in it stands for x (RFC 2045 5.1, RFC 5322 3.2.4).
std::string unquoteParam(std::string_view raw)
{
    const std::string v = TrimBlanks(raw);
    if (v.size() < 2 || v.front() != '"' || v.back() != '"')
        return v;
    std::string out;
    out.reserve(v.size() - 2);
    for (std::size_t i = 1; i + 1 < v.size(); ++i) {
        if (v[i] == '\\' && i + 2 < v.size())
            ++i;
        out.push_back(v[i]);
    }
    return out;
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

// Calls fn(name, eq, end) for every parameter after the main value, in order: the name
// trimmed, the position of its "=" and the end of its value (the next unquoted ";" or
// the end of the line). Stops when fn returns false.
template<typename Fn>
void forEachParam(std::string_view line, Fn fn)
{
    bool quoted = false;
    const std::size_t colon = findUnquoted(line, 0, ':', quoted);
    if (colon == npos)
        return;
    std::size_t semi = findUnquoted(line, colon + 1, ';', quoted);
    while (semi != npos) {
        const std::size_t start = semi + 1;
        std::size_t equals = npos;
        std::size_t i = start;
        quoted = false;
        for (; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"')
                quoted = !quoted;
            else if (quoted && c == '\\')
                ++i;
            else if (!quoted && c == ';')
                break;
            else if (!quoted && c == '=' && equals == npos)
                equals = i;
        }
        if (equals != npos && !fn(trimBlanks(line.substr(start, equals - start)), equals, i))
            return;
        semi = i < line.size() ? i : npos;
    }
}

// The parameter's "=" and the end of its value (next unquoted ";" or the end).
bool paramSpan(std::string_view line, std::string_view param, std::size_t &eq, std::size_t &end)
{
    const std::string_view wanted = trimBlanks(param);
    bool found = false;
    forEachParam(line, [&](std::string_view name, std::size_t equals, std::size_t valueEnd) {
        if (!equalsIgnoringAsciiCase(name, wanted))
            return true;
        eq = equals;
        end = valueEnd;
        found = true;
        return false;
    });
    return found;
}

// "%XX" escapes of an extended parameter value as bytes; any other "%" stays.
std::string percentDecoded(std::string_view v)
{
    std::string out;
    out.reserve(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        const int hi = v[i] == '%' && i + 2 < v.size() ? HexDigitValue(v[i + 1]) : -1;
        const int lo = hi >= 0 ? HexDigitValue(v[i + 2]) : -1;
        if (lo >= 0) {
            out.push_back(static_cast<char>((hi << 4) | lo));
            i += 2;
        } else {
            out.push_back(v[i]);
        }
    }
    return out;
}

// The value of an extended parameter without its "charset'language'" prefix; the
// charset goes to *charset when asked for.
std::string_view withoutCharset(std::string_view v, std::string *charset)
{
    const std::size_t q1 = v.find('\'');
    const std::size_t q2 = q1 == npos ? npos : v.find('\'', q1 + 1);
    if (q2 == npos)
        return v;
    if (charset)
        charset->assign(v.substr(0, q1));
    return v.substr(q2 + 1);
}

// One section of a parameter split into pieces: "name*2*=..." is section 2, extended.
struct Section
{
    long index;
    bool extended;
    std::string_view value;
};

// Parses "param", "param*", "param*N" and "param*N*" (`name` trimmed): -2 when the name
// is another parameter's, -1 for the whole value, else the section number.
long sectionOf(std::string_view name, std::string_view param, bool &extended)
{
    if (name.size() < param.size() || !equalsIgnoringAsciiCase(name.substr(0, param.size()), param))
        return -2;
    std::string_view rest = name.substr(param.size());
    extended = false;
    if (rest.empty())
        return -1;
    if (rest.front() != '*')
        return -2;
    rest.remove_prefix(1);
    if (rest.empty()) {
        extended = true;
        return -1;
    }
    if (rest.back() == '*') {
        extended = true;
        rest.remove_suffix(1);
    }
    if (rest.empty() || rest.size() > 4)
        return -2;
    long n = 0;
    for (const char c : rest) {
        if (c < '0' || c > '9')
            return -2;
        n = n * 10 + (c - '0');
    }
    return n;
}

} // namespace

int FindHeaderLine(const std::vector<std::string> *lines, std::string_view prefix, int n)
{
    if (!lines || n < 0)
        return -1;
    int seen = 0;
    for (std::size_t i = 0; i < lines->size(); ++i) {
        const std::string &line = (*lines)[i];
        if (line.size() >= prefix.size() && equalsIgnoringAsciiCase(std::string_view(line).substr(0, prefix.size()), prefix)) {
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
    return unquoteParam(line.substr(eq + 1, end - eq - 1));
}

std::string DecodedHeaderLineParam(std::string_view line, std::string_view param)
{
    return DecodedHeaderLineParam(line, param, nullptr);
}

std::string DecodedHeaderLineParam(std::string_view line, std::string_view param, std::string *charset)
{
    if (charset)
        charset->clear();
    const std::string_view wanted = trimBlanks(param);
    // The form met first decides: the plain one, one extended value, or sections.
    std::vector<Section> sections;
    std::string result;
    bool done = false;
    forEachParam(line, [&](std::string_view name, std::size_t eq, std::size_t end) {
        const std::string_view raw = line.substr(eq + 1, end - eq - 1);
        bool extended = false;
        const long index = sectionOf(name, wanted, extended);
        if (index == -2)
            return true;
        const std::string value = extended ? unquoteOnce(TrimBlanks(raw)) : unquoteParam(raw);
        if (index == -1) {
            if (!sections.empty())
                return true; // sections came first: they count
            // charset'language'value: the bytes are kept as they are in that charset.
            result = extended ? percentDecoded(withoutCharset(value, charset)) : value;
            done = true;
            return false;
        }
        sections.push_back({index, extended, raw});
        return true;
    });
    if (done || sections.empty())
        return result;
    // Sections in the order of their numbers, each number once (the first one given).
    std::stable_sort(sections.begin(), sections.end(),
                     [](const Section &a, const Section &b) { return a.index < b.index; });
    long previous = -1;
    for (const Section &section : sections) {
        if (section.index == previous)
            continue;
        previous = section.index;
        std::string value = section.extended ? unquoteOnce(TrimBlanks(section.value)) : unquoteParam(section.value);
        if (!section.extended) {
            result += value;
            continue;
        }
        result += percentDecoded(section.index == 0 ? withoutCharset(value, charset) : std::string_view(value));
    }
    return result;
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
    // A quote left open by damaged text is closed first: inside it the new parameter
    // could not be found again, and would be added once more at every rewrite.
    if (endsQuoted(base)) {
        // A last backslash that pairs with nothing would take the closing quote for a
        // character of the value.
        const std::size_t backslashes = base.size() - 1 - base.find_last_not_of('\\');
        if (backslashes % 2 != 0)
            base.pop_back();
        base.push_back('"');
    }
    base.append("; ").append(TrimBlanks(param)).append("=").append(v);
    return base;
}

std::vector<std::pair<std::string, std::string>> HeaderLineParamForms(std::string_view line, std::string_view param)
{
    const std::string_view wanted = trimBlanks(param);
    std::vector<std::pair<std::string, std::string>> forms;
    forEachParam(line, [&](std::string_view name, std::size_t eq, std::size_t end) {
        bool extended = false;
        if (sectionOf(name, wanted, extended) != -2)
            forms.emplace_back(name, TrimBlanks(line.substr(eq + 1, end - eq - 1)));
        return true;
    });
    return forms;
}

std::string RemoveHeaderLineParam(std::string_view line, std::string_view param)
{
    const std::string_view wanted = trimBlanks(param);
    std::vector<std::pair<std::size_t, std::size_t>> spans; // from the ";" to the end of the value
    forEachParam(line, [&](std::string_view name, std::size_t, std::size_t end) {
        bool extended = false;
        if (sectionOf(name, wanted, extended) != -2)
            spans.emplace_back(line.rfind(';', static_cast<std::size_t>(name.data() - line.data())), end);
        return true;
    });
    std::string out;
    out.reserve(line.size());
    std::size_t at = 0;
    for (const auto &[from, to] : spans) {
        out.append(line.substr(at, from - at));
        at = to;
    }
    out.append(line.substr(at));
    return out;
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
        } else if (c == '\\' && quoted && i + 1 < line.size()) {
            value.push_back(c);
            value.push_back(line[++i]);
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
