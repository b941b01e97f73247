// Base64 encoding in 76-character lines, table driven, into output sized once and
// written whole lines at a time. Decoding is Base64Decoder's.
#include "mail/Base64.h"
#include "text/LineBreaks.h"

#include <array>
#include <cstring>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

struct Tables
{
    // 12 input bits -> two output characters, for two characters per lookup.
    std::array<char, 4096 * 2> pair{};
    Tables()
    {
        for (int i = 0; i < 4096; ++i) {
            pair[static_cast<std::size_t>(i) * 2] = kAlphabet[i >> 6];
            pair[static_cast<std::size_t>(i) * 2 + 1] = kAlphabet[i & 63];
        }
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

// Encodes `n` bytes (a multiple of 3) to 4n/3 characters.
inline char *encodeTriples(const unsigned char *s, std::size_t n, char *d, const char *pair)
{
    for (std::size_t i = 0; i < n; i += 3) {
        const unsigned v = (unsigned(s[i]) << 16) | (unsigned(s[i + 1]) << 8) | unsigned(s[i + 2]);
        std::memcpy(d, pair + ((v >> 12) * 2), 2);
        std::memcpy(d + 2, pair + ((v & 0xFFF) * 2), 2);
        d += 4;
    }
    return d;
}

// Encodes the final 1 or 2 bytes with padding.
inline char *encodeTail(const unsigned char *s, std::size_t n, char *d)
{
    const unsigned v = (unsigned(s[0]) << 16) | (n > 1 ? unsigned(s[1]) << 8 : 0u);
    d[0] = kAlphabet[(v >> 18) & 63];
    d[1] = kAlphabet[(v >> 12) & 63];
    d[2] = n > 1 ? kAlphabet[(v >> 6) & 63] : '=';
    d[3] = '=';
    return d + 4;
}

// Encodes all of `source` without line breaks.
std::string encodeOneLine(std::string_view source)
{
    std::string out;
    if (source.empty())
        return out;
    out.resize((source.size() + 2) / 3 * 4);
    const auto *s = reinterpret_cast<const unsigned char *>(source.data());
    const std::size_t whole = source.size() / 3 * 3;
    char *d = encodeTriples(s, whole, out.data(), tables().pair.data());
    if (whole < source.size())
        encodeTail(s + whole, source.size() - whole, d);
    return out;
}

constexpr std::size_t kLineBytes = 57; // one 76-character line

} // namespace

std::size_t Base64StreamSize(std::size_t bytes)
{
    const std::size_t rest = bytes % kLineBytes;
    return bytes / kLineBytes * 78 + (rest ? (rest + 2) / 3 * 4 + 2 : 0);
}

std::size_t Base64EncodeStream(std::string_view source, std::string &dest)
{
    dest.clear();
    Base64EncodeStreamAppend(source, dest);
    return dest.size();
}

void Base64EncodeStreamAppend(std::string_view source, std::string &dest)
{
    if (source.empty())
        return;
    const std::size_t lines = source.size() / kLineBytes;
    const std::size_t rest = source.size() % kLineBytes;
    const std::size_t oldSize = dest.size();
    dest.resize(oldSize + Base64StreamSize(source.size()));

    const char *pair = tables().pair.data();
    const auto *s = reinterpret_cast<const unsigned char *>(source.data());
    char *d = dest.data() + oldSize;
    for (std::size_t l = 0; l < lines; ++l) {
        d = encodeTriples(s, kLineBytes, d, pair);
        d[0] = '\r';
        d[1] = '\n';
        d += 2;
        s += kLineBytes;
    }
    if (rest) {
        const std::size_t whole = rest / 3 * 3;
        d = encodeTriples(s, whole, d, pair);
        if (whole < rest)
            d = encodeTail(s + whole, rest - whole, d);
        d[0] = '\r';
        d[1] = '\n';
    }
}

std::string Base64EncodeString(std::string_view s)
{
    // Line breaks of any kind become CR LF before encoding.
    return encodeOneLine(LineBreaks::toCrLf(s, false, LineBreaks::LfCr::OneBreak));
}
