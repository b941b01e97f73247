// Quoted-printable encoding and decoding, table driven and in one pass over exact-size
// output, so that multi-megabyte bodies cost linear time.
#include "MimeHelpers.h"

#include <array>
#include <cstring>

namespace {

const char kHexUpper[] = "0123456789ABCDEF";

// Which bytes are escaped, per mode.
struct EscapeTables
{
    std::array<bool, 256> body{};
    std::array<bool, 256> header{};
    EscapeTables()
    {
        for (int c = 0; c < 256; ++c) {
            const bool always = c > 127 || c == '=';
            body[c] = always;
            // In header mode (encoded words) "?" is escaped too: an unescaped "?"
            // before an escape ("?=E9") would read as the end of the word.
            header[c] = always || c <= 32 || c == '"' || c == '_' || c == '?';
        }
    }
};

const EscapeTables &escapeTables()
{
    static const EscapeTables tables;
    return tables;
}

// One encoding pass; with Write=false it only counts the output size.
template <bool Write>
std::size_t encodePass(std::string_view text, bool headerMode, char *out)
{
    const std::array<bool, 256> &escape = headerMode ? escapeTables().header : escapeTables().body;
    std::size_t n = 0;
    int column = 0;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (escape[c]) {
            if constexpr (Write) {
                out[n] = '=';
                out[n + 1] = kHexUpper[c >> 4];
                out[n + 2] = kHexUpper[c & 15];
            }
            n += 3;
            column += 3;
        } else {
            if constexpr (Write)
                out[n] = ch;
            ++n;
            column = ch == '\r' ? 0 : column + 1;
        }
        if (!headerMode && column >= 72) {
            if constexpr (Write) {
                out[n] = '=';
                out[n + 1] = '\r';
                out[n + 2] = '\n';
            }
            n += 3;
            column = 0;
        }
    }
    return n;
}

// Value of an upper-case hexadecimal digit, -1 for anything else ("e" included).
inline int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string QPEncode(std::string_view text, bool headerMode)
{
    std::string out;
    const std::size_t size = encodePass<false>(text, headerMode, nullptr);
    out.resize(size);
    encodePass<true>(text, headerMode, out.data());
    return out;
}

std::string QPDecode(std::string_view text)
{
    std::string out;
    out.resize(text.size());
    char *w = out.data();
    const char *p = text.data();
    const char *const end = p + text.size();
    while (p < end) {
        const void *hit = std::memchr(p, '=', static_cast<std::size_t>(end - p));
        const char *eq = hit ? static_cast<const char *>(hit) : end;
        const std::size_t run = static_cast<std::size_t>(eq - p);
        std::memcpy(w, p, run);
        w += run;
        if (eq == end)
            break;
        const std::size_t left = static_cast<std::size_t>(end - eq) - 1; // bytes after "="
        if (left == 0) {
            p = end; // a lone "=" at the very end is a soft break without its CR LF
            break;
        }
        if (left >= 2) {
            const int hi = hexValue(eq[1]);
            const int lo = hexValue(eq[2]);
            if (hi >= 0 && lo >= 0) {
                *w++ = static_cast<char>((hi << 4) | lo);
                p = eq + 3;
                continue;
            }
        }
        const char a = eq[1];
        const char b = left >= 2 ? eq[2] : '\0';
        if ((a == '\r' && left >= 2 && b == '\n') || (a == '\n' && left >= 2 && b == '\r')) {
            p = eq + 3;
        } else if (a == '\r' || a == '\n') {
            p = eq + 2;
        } else {
            *w++ = '=';
            p = eq + 1;
        }
    }
    out.resize(static_cast<std::size_t>(w - out.data()));
    return out;
}
