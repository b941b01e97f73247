// RFC 2047 encoded words in header text: one Q word for 8-bit text, and decoding of
// B, Q and U words (the charset name is not used; bytes are taken as they are).
#include "mail/Base64Decoder.h"
#include "mail/HeaderWords.h"
#include "mail/QuotedPrintable.h"
#include "mail/StringHelpers.h"
#include "mail/UUCode.h"
#include "text/TextRules.h"

#include <functional>

namespace {

constexpr std::size_t npos = std::string_view::npos;

std::string decodeWord(char method, std::string_view text)
{
    std::string bytes;
    switch (method) {
    case 'B':
        bytes = Base64DecodeLine(text);
        break;
    case 'U':
        bytes = UUDecodeLine(text);
        break;
    default: {
        std::string spaced(text);
        for (char &c : spaced)
            if (c == '_')
                c = ' ';
        bytes = QPDecode(spaced);
        break;
    }
    }
    const std::size_t zero = bytes.find('\0');
    if (zero != npos)
        bytes.resize(zero);
    return bytes;
}

} // namespace

std::string CharsetLabel(std::string_view bytes, std::string_view charset)
{
    if (!TextRules::equalsIgnoringAsciiCase(charset, "iso-8859-1"))
        return std::string(charset);
    for (const char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x80 && u < 0xA0)
            return "windows-1252";
    }
    return std::string(charset);
}

std::string EncodeHeaderWord(std::string_view text, std::string_view charset)
{
    bool plain = true;
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u > 127 || u < 32) {
            plain = false;
            break;
        }
    }
    // ASCII text that holds "=?" would read back as an encoded word and change; it is
    // encoded like 8-bit text so that it comes back as written.
    if (plain && text.find("=?") == std::string_view::npos)
        return std::string(text);
    std::string out = "=?";
    out.append(CharsetLabel(text, charset)).append("?Q?").append(QPEncode(text, true)).append("?=");
    return out;
}

void ScanHeaderWords(std::string_view text, const std::function<void(std::string_view)> &onText,
                     const std::function<void(std::string_view, std::string)> &onWord)
{
    const std::string trimmed = TrimBlanks(text);
    const std::string_view t(trimmed);
    std::size_t pos = 0; // everything before pos has been handed on
    bool afterWord = false; // `pos` is just behind an encoded word
    while (true) {
        const std::size_t start = t.find("=?", pos);
        if (start == npos)
            break;
        const std::size_t charsetEnd = t.find('?', start + 2);
        if (charsetEnd == npos)
            break;
        std::size_t end = t.find("?=", charsetEnd + 1);
        if (end == npos)
            break;
        // "?Q?=E9...?=": the "?=" found first may open the text; then the word ends at
        // the next "?" if it is followed by "=".
        const std::size_t further = t.find('?', end + 2);
        if (further != npos && further + 1 < t.size() && t[further + 1] == '=')
            end = further;

        std::string_view inner = t.substr(charsetEnd + 1, end - charsetEnd - 1);
        char method = 'Q';
        if (inner.size() >= 2 && inner[1] == '?') {
            const char x = static_cast<char>(inner[0] >= 'a' && inner[0] <= 'z' ? inner[0] - 32 : inner[0]);
            if (x == 'B' || x == 'Q' || x == 'U') {
                method = x;
                inner.remove_prefix(2);
            }
        }
        // Linear white space between two encoded words separates nothing.
        const std::string_view between = t.substr(pos, start - pos);
        if (!(afterWord && between.find_first_not_of(" \t\r\n") == npos) && !between.empty())
            onText(between);
        onWord(t.substr(start + 2, charsetEnd - start - 2), decodeWord(method, inner));
        // Go on after the replaced word: decoded text is never decoded again.
        pos = end + 2;
        afterWord = true;
    }
    if (pos < t.size())
        onText(t.substr(pos));
}

std::string DecodeHeaderWords(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    ScanHeaderWords(
        text, [&](std::string_view literal) { out.append(literal); },
        [&](std::string_view, const std::string &bytes) { out.append(bytes); });
    return out;
}
