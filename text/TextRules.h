#pragma once

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

// The small rules on text that many places share: what a blank is, trimming, and ASCII
// case. Each name says its variant, since the variants differ on purpose:
//
// - a blank is a space or a TAB;
// - "blank or control" is any byte (or character) up to and including the space, so a
//   CR, a LF and a NUL count too;
// - ASCII case folds only A-Z and a-z; bytes above 127 compare as they are, whatever
//   charset they belong to.
//
// Functions on std::string_view work on 8-bit bytes and return views into their argument.
namespace TextRules {

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

constexpr bool isBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

constexpr bool isBlankOrControl(QChar c)
{
    return c.unicode() <= u' ';
}

constexpr char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

constexpr char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}

// The text with A-Z made a-z.
inline std::string lowerAsciiCopy(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = lowerAscii(c);
    return out;
}

// Without blanks at either end.
constexpr std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Without leading blanks and without trailing spaces: a trailing TAB stays. This is how
// the mail model has always trimmed header values and names (TrimBlanks); a TAB at the
// end may be part of what a person wrote.
constexpr std::string_view trimLeadingBlanksTrailingSpaces(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// The same on characters.
inline QString trimLeadingBlanksTrailingSpaces(const QString &text)
{
    qsizetype first = 0;
    while (first < text.size() && (text[first] == u' ' || text[first] == u'\t'))
        ++first;
    qsizetype last = text.size();
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.mid(first, last - first);
}

// Without blanks and control characters (everything up to the space) at either end.
constexpr std::string_view trimBlanksOrControls(std::string_view s)
{
    while (!s.empty() && isBlankOrControl(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlankOrControl(s.back()))
        s.remove_suffix(1);
    return s;
}

// The same on characters (only U+0000..U+0020 go; other white space stays).
inline QString trimBlanksOrControls(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlankOrControl(text[first]))
        ++first;
    while (last > first && isBlankOrControl(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

// True when the text is empty or only blanks and control characters.
constexpr bool isBlankOrControlOnly(std::string_view s)
{
    return trimBlanksOrControls(s).empty();
}

// Whether `s` begins with `prefix`, ASCII letters compared without regard to case.
constexpr bool startsWithIgnoringAsciiCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lowerAscii(s[i]) != lowerAscii(prefix[i]))
            return false;
    return true;
}

constexpr bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && startsWithIgnoringAsciiCase(a, b);
}

// <0, 0 or >0 as `a` sorts before, with or after `b` with A-Z read as a-z; bytes compare
// unsigned, and a text sorts before any longer text it begins.
constexpr int compareIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(lowerAscii(a[i]));
        const unsigned char y = static_cast<unsigned char>(lowerAscii(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace TextRules
