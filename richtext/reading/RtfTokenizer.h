#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Splits RTF bytes into tokens. It never reads past the end, never allocates and keeps
// no nesting: braces are tokens and the parser counts them.
class RtfTokenizer
{
public:
    enum class Type {
        End,
        GroupOpen,
        GroupClose,
        Word,       // control word: name, optional parameter
        Symbol,     // control symbol other than \' : the character in symbol
        Hex,        // \'hh : the byte in byte
        Text,       // literal bytes (no CR, LF or other control characters)
        Binary,     // \binN data
        ParagraphBreak, // backslash before CR or LF
    };

    struct Token
    {
        Type type = Type::End;
        std::string_view name;     // Word (empty when longer than kMaxWordLength)
        bool hasParameter = false;
        int parameter = 0;         // saturated to the int range
        char symbol = 0;
        uint8_t byte = 0;
        std::string_view text;     // Text and Binary
    };

    static constexpr size_t kMaxWordLength = 32;

    explicit RtfTokenizer(std::string_view bytes) : m_data(bytes) {}

    Token next();
    size_t position() const { return m_pos; }

private:
    std::string_view m_data;
    size_t m_pos = 0;
};
