// Small string helpers of the mail model: blank trimming, line stepping, file names.
#include "mail/StringHelpers.h"
#include "text/TextRules.h"

using TextRules::isBlank;

std::string TrimBlanks(std::string_view s)
{
    return std::string(TextRules::trimLeadingBlanksTrailingSpaces(s));
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    return TextRules::startsWithIgnoringAsciiCase(s, prefix);
}

std::string WithoutLineBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

std::string TrimBlanksLeft(std::string_view s)
{
    std::size_t b = 0;
    while (b < s.size() && isBlank(s[b]))
        ++b;
    return std::string(s.substr(b));
}

std::string TrimBlanksRight(std::string_view s)
{
    std::size_t e = s.size();
    while (e > 0 && isBlank(s[e - 1]))
        --e;
    return std::string(s.substr(0, e));
}

std::string_view NextLineView(std::string_view text, int &position)
{
    if (position < 1 || static_cast<std::size_t>(position) > text.size()) {
        position = -1;
        return {};
    }
    const std::size_t start = static_cast<std::size_t>(position) - 1;
    const std::size_t cr = text.find("\r\n", start);
    if (cr == std::string_view::npos) {
        position = -1;
        return text.substr(start);
    }
    const std::size_t next = cr + 2;
    // The last line of the text ends the loop even when it carries its CR LF.
    position = next >= text.size() ? -1 : static_cast<int>(next + 1);
    return text.substr(start, next - start);
}

std::string NextLine(const std::string &text, int &position)
{
    return std::string(NextLineView(text, position));
}

std::string SafeFileName(std::string_view s)
{
    std::string name = TrimBlanks(s);
    if (name.size() > 254)
        name.resize(254);
    for (char &c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 32 || c == ':' || c == '\\' || c == '/' || c == '*' || c == '?' || c == '"' || c == '<'
            || c == '>' || c == '|' || c == '\'')
            c = '_';
    }
    return name;
}

bool IsNumericAddress(std::string_view host)
{
    if (host.empty())
        return false;
    bool pieceHasDigit = false;
    for (char c : host) {
        if (c == '.') {
            if (!pieceHasDigit)
                return false;
            pieceHasDigit = false;
        } else if (c >= '0' && c <= '9') {
            pieceHasDigit = true;
        } else {
            return false;
        }
    }
    return pieceHasDigit;
}
