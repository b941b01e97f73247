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
    const size_t n = data_.size();
    for (;;) {
        if (pos_ >= n)
            return t;
        const unsigned char c = static_cast<unsigned char>(data_[pos_]);
        if (c == '{') {
            ++pos_;
            t.type = Type::GroupOpen;
            return t;
        }
        if (c == '}') {
            ++pos_;
            t.type = Type::GroupClose;
            return t;
        }
        if (c != '\\') {
            if (isSpecial(c)) { // CR, LF, NUL and other control bytes carry no text
                ++pos_;
                continue;
            }
            const size_t start = pos_;
            while (pos_ < n && !isSpecial(static_cast<unsigned char>(data_[pos_])))
                ++pos_;
            t.type = Type::Text;
            t.text = data_.substr(start, pos_ - start);
            return t;
        }
        // A backslash.
        ++pos_;
        if (pos_ >= n)
            return t;
        const unsigned char d = static_cast<unsigned char>(data_[pos_]);
        if (isLetter(d)) {
            const size_t start = pos_;
            while (pos_ < n && isLetter(static_cast<unsigned char>(data_[pos_])))
                ++pos_;
            const size_t length = pos_ - start;
            t.type = Type::Word;
            if (length <= kMaxWordLength)
                t.name = data_.substr(start, length);
            bool negative = false;
            if (pos_ + 1 < n && data_[pos_] == '-' && isDigit(static_cast<unsigned char>(data_[pos_ + 1]))) {
                negative = true;
                ++pos_;
            }
            if (pos_ < n && isDigit(static_cast<unsigned char>(data_[pos_]))) {
                long long value = 0;
                while (pos_ < n && isDigit(static_cast<unsigned char>(data_[pos_]))) {
                    if (value <= INT_MAX)
                        value = value * 10 + (data_[pos_] - '0');
                    ++pos_;
                }
                if (value > INT_MAX)
                    value = INT_MAX;
                t.hasParameter = true;
                t.parameter = static_cast<int>(negative ? -value : value);
            }
            if (pos_ < n && data_[pos_] == ' ')
                ++pos_; // the delimiter belongs to the word
            if (t.name == "bin") {
                // \binN: N raw bytes, never more than remain.
                const size_t count = t.parameter > 0 ? static_cast<size_t>(t.parameter) : 0;
                const size_t take = count < n - pos_ ? count : n - pos_;
                t.type = Type::Binary;
                t.text = data_.substr(pos_, take);
                pos_ += take;
            }
            return t;
        }
        ++pos_;
        if (d == '\'') {
            int value = 0;
            int digits = 0;
            while (digits < 2 && pos_ < n) {
                const int h = hexValue(static_cast<unsigned char>(data_[pos_]));
                if (h < 0)
                    break;
                value = value * 16 + h;
                ++digits;
                ++pos_;
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
