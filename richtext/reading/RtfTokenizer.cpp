#include "richtext/reading/RtfTokenizer.h"

#include <climits>

namespace {

inline bool isLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

inline int hexValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Bytes that end a run of literal text.
inline bool isSpecial(unsigned char c)
{
    return c == '\\' || c == '{' || c == '}' || (c < 0x20 && c != '\t');
}

} // namespace

RtfTokenizer::Token RtfTokenizer::next()
{
    Token t;
    const size_t n = m_data.size();
    for (;;) {
        if (m_pos >= n)
            return t;
        const unsigned char c = static_cast<unsigned char>(m_data[m_pos]);
        if (c == '{') {
            ++m_pos;
            t.type = Type::GroupOpen;
            return t;
        }
        if (c == '}') {
            ++m_pos;
            t.type = Type::GroupClose;
            return t;
        }
        if (c != '\\') {
            if (isSpecial(c)) { // CR, LF, NUL and other control bytes carry no text
                ++m_pos;
                continue;
            }
            const size_t start = m_pos;
            while (m_pos < n && !isSpecial(static_cast<unsigned char>(m_data[m_pos])))
                ++m_pos;
            t.type = Type::Text;
            t.text = m_data.substr(start, m_pos - start);
            return t;
        }
        // A backslash.
        ++m_pos;
        if (m_pos >= n)
            return t;
        const unsigned char d = static_cast<unsigned char>(m_data[m_pos]);
        if (isLetter(d)) {
            const size_t start = m_pos;
            while (m_pos < n && isLetter(static_cast<unsigned char>(m_data[m_pos])))
                ++m_pos;
            const size_t length = m_pos - start;
            t.type = Type::Word;
            if (length <= kMaxWordLength)
                t.name = m_data.substr(start, length);
            bool negative = false;
            if (m_pos + 1 < n && m_data[m_pos] == '-' && isDigit(static_cast<unsigned char>(m_data[m_pos + 1]))) {
                negative = true;
                ++m_pos;
            }
            if (m_pos < n && isDigit(static_cast<unsigned char>(m_data[m_pos]))) {
                long long value = 0;
                while (m_pos < n && isDigit(static_cast<unsigned char>(m_data[m_pos]))) {
                    if (value <= INT_MAX)
                        value = value * 10 + (m_data[m_pos] - '0');
                    ++m_pos;
                }
                if (value > INT_MAX)
                    value = INT_MAX;
                t.hasParameter = true;
                t.parameter = static_cast<int>(negative ? -value : value);
            }
            if (m_pos < n && m_data[m_pos] == ' ')
                ++m_pos; // the delimiter belongs to the word
            if (t.name == "bin") {
                // \binN: N raw bytes, never more than remain.
                const size_t count = t.parameter > 0 ? static_cast<size_t>(t.parameter) : 0;
                const size_t take = count < n - m_pos ? count : n - m_pos;
                t.type = Type::Binary;
                t.text = m_data.substr(m_pos, take);
                m_pos += take;
            }
            return t;
        }
        ++m_pos;
        if (d == '\'') {
            int value = 0;
            int digits = 0;
            while (digits < 2 && m_pos < n) {
                const int h = hexValue(static_cast<unsigned char>(m_data[m_pos]));
                if (h < 0)
                    break;
                value = value * 16 + h;
                ++digits;
                ++m_pos;
            }
            if (digits == 0)
                continue; // "\'" without hex digits: nothing
            t.type = Type::Hex;
            t.byte = static_cast<uint8_t>(value);
            return t;
        }
        if (d == '\r' || d == '\n') {
            t.type = Type::ParagraphBreak;
            return t;
        }
        t.type = Type::Symbol;
        t.symbol = static_cast<char>(d);
        return t;
    }
}
