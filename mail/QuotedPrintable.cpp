// Quoted-printable encoding and decoding, table driven and in one pass over exact-size
// output, so that multi-megabyte bodies cost linear time.
#include "mail/QuotedPrintable.h"
#include "mail/StringHelpers.h"
#include "text/LineBreaks.h"

#include <algorithm>
#include <array>
#include <memory>
#include <cstring>

namespace {

const char kHexUpper[] = "0123456789ABCDEF";

// Which bytes are escaped, per mode.
struct EscapeTables
{
    std::array<bool, 256> body{};
    std::array<bool, 256> header{};
    std::array<bool, 256> bodyStop{}; // escaped, or CR (which restarts the column)
    EscapeTables()
    {
        for (int c = 0; c < 256; ++c) {
            const bool always = c > 127 || c == '=';
            body[c] = always;
            bodyStop[c] = always || c == '\r';
            // In header mode (encoded words) "?" is escaped too: an unescaped "?"
            // before an escape ("?=E9") would read as the end of the word. So are ","
            // and ";": header folding breaks lines after them, which would split the
            // word in two and leave neither half readable.
            header[c] = always || c <= 32 || c == '"' || c == '_' || c == '?' || c == ',' || c == ';';
        }
    }
};

const EscapeTables &escapeTables()
{
    static const EscapeTables tables;
    return tables;
}

// Encodes into `out`, which holds at least maxEncodedSize() bytes; returns the size.
std::size_t encodeInto(std::string_view text, bool headerMode, char *out)
{
    const std::array<bool, 256> &escape = headerMode ? escapeTables().header : escapeTables().body;
    const std::array<bool, 256> &stop = escapeTables().bodyStop;
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const auto *const end = p + text.size();
    char *w = out;
    int column = 0;
    while (p < end) {
        // A run of copied characters up to the soft-break column (CR handled below).
        if (!headerMode) {
            const auto *runEnd = p + std::min<std::ptrdiff_t>(end - p, 72 - column);
            const auto *q = p;
            // Copied inline: runs are short (words), a memcpy call per run costs more.
            while (q < runEnd && !stop[*q])
                *w++ = static_cast<char>(*q++);
            column += static_cast<int>(q - p);
            p = q;
            if (column >= 72) {
                std::memcpy(w, "=\r\n", 3);
                w += 3;
                column = 0;
                continue;
            }
            if (p == end)
                break;
        }
        const unsigned char c = *p++;
        if (escape[c]) {
            w[0] = '=';
            w[1] = kHexUpper[c >> 4];
            w[2] = kHexUpper[c & 15];
            w += 3;
            column += 3;
        } else {
            *w++ = static_cast<char>(c);
            column = c == '\r' ? 0 : column + 1;
        }
        if (!headerMode && column >= 72) {
            std::memcpy(w, "=\r\n", 3);
            w += 3;
            column = 0;
        }
    }
    return static_cast<std::size_t>(w - out);
}

// Every byte gives at most three, and a soft break follows at most every 24 bytes.
std::size_t maxEncodedSize(std::size_t n)
{
    return 3 * n + 3 * (n / 24 + 1);
}

} // namespace

std::string QPEncode(std::string_view text, bool headerMode)
{
    if (text.empty())
        return {};
    // Uninitialised scratch of the worst-case size: pages never written cost nothing.
    std::unique_ptr<char[]> buffer(new char[maxEncodedSize(text.size())]);
    const std::size_t size = encodeInto(text, headerMode, buffer.get());
    return std::string(buffer.get(), size);
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
            // Writers are asked for upper-case digits; lower case is read too, as
            // mailers write it.
            const int hi = HexDigitValue(eq[1]);
            const int lo = HexDigitValue(eq[2]);
            if (hi >= 0 && lo >= 0) {
                *w++ = static_cast<char>((hi << 4) | lo);
                p = eq + 3;
                continue;
            }
        }
        // A soft line break: "=" and the break after it are dropped.
        const std::size_t soft = LineBreaks::lengthAt(text, static_cast<std::size_t>(eq - text.data()) + 1,
                                                      LineBreaks::LfCr::OneBreak);
        if (soft > 0) {
            p = eq + 1 + soft;
        } else {
            *w++ = '=';
            p = eq + 1;
        }
    }
    out.resize(static_cast<std::size_t>(w - out.data()));
    return out;
}
