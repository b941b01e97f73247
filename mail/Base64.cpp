// Base64 encoding in 76-character lines, and decoding of lines and of whole bodies.
// Both are table driven and write into output sized once, whole lines at a time.
#include "mail/MimeHelpers.h"
#include "text/LineBreaks.h"

#include <array>
#include <cstring>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr unsigned char kSkip = 0xFF; // not in the alphabet: skipped
constexpr unsigned char kPad = 0x40;  // "=": a group member that marks padding

struct Tables
{
    // 12 input bits -> two output characters, for two characters per lookup.
    std::array<char, 4096 * 2> pair{};
    std::array<unsigned char, 256> decode{};
    Tables()
    {
        for (int i = 0; i < 4096; ++i) {
            pair[static_cast<std::size_t>(i) * 2] = kAlphabet[i >> 6];
            pair[static_cast<std::size_t>(i) * 2 + 1] = kAlphabet[i & 63];
        }
        decode.fill(kSkip);
        for (int i = 0; i < 64; ++i)
            decode[static_cast<unsigned char>(kAlphabet[i])] = static_cast<unsigned char>(i);
        decode['='] = kPad;
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

} // namespace

std::size_t Base64EncodeStream(std::string_view source, std::string &dest)
{
    dest.clear();
    if (source.empty())
        return 0;
    constexpr std::size_t kLineBytes = 57;
    const std::size_t lines = source.size() / kLineBytes;
    const std::size_t rest = source.size() % kLineBytes;
    const std::size_t size = lines * 78 + (rest ? (rest + 2) / 3 * 4 + 2 : 0);
    dest.resize(size);

    const char *pair = tables().pair.data();
    const auto *s = reinterpret_cast<const unsigned char *>(source.data());
    char *d = dest.data();
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
    return dest.size();
}

namespace {

// Appends the bytes of `line`; with `stopAtPadding` the first group that carries padding
// is the last one decoded.
void decodeAppend(std::string_view line, std::string &dest, bool stopAtPadding)
{
    if (line.empty())
        return;
    const unsigned char *table = tables().decode.data();
    const std::size_t oldSize = dest.size();
    // Every group of four characters yields at most three bytes.
    dest.resize(oldSize + line.size() / 4 * 3 + 3);
    char *w = dest.data() + oldSize;
    const auto *p = reinterpret_cast<const unsigned char *>(line.data());
    const auto *const end = p + line.size();

    while (p < end) {
        // Fast path: four alphabet characters in a row.
        if (end - p >= 4) {
            const unsigned a = table[p[0]], b = table[p[1]], c = table[p[2]], d = table[p[3]];
            if ((a | b | c | d) < 64) {
                const unsigned v = (a << 18) | (b << 12) | (c << 6) | d;
                w[0] = static_cast<char>(v >> 16);
                w[1] = static_cast<char>(v >> 8);
                w[2] = static_cast<char>(v);
                w += 3;
                p += 4;
                continue;
            }
        }
        // General path: gather the next four group members, skipping other bytes.
        unsigned char g[4];
        int count = 0;
        while (p < end && count < 4) {
            const unsigned char v = table[*p++];
            if (v != kSkip)
                g[count++] = v;
        }
        if (count < 4) {
            // A last group that lacks its "=" padding ("SGk" for "SGk="): two or three
            // characters before any "=" give one or two bytes, as if padded. A single one
            // holds less than a byte.
            int data = 0;
            while (data < count && g[data] != kPad)
                ++data;
            if (data >= 2) {
                const unsigned bits = (unsigned(g[0]) << 18) | (unsigned(g[1]) << 12) | (data > 2 ? unsigned(g[2]) << 6 : 0u);
                w[0] = static_cast<char>(bits >> 16);
                if (data > 2)
                    w[1] = static_cast<char>(bits >> 8);
                w += data - 1;
            }
            break;
        }
        // A padding "=" reads as zero bits.
        const unsigned a = g[0] == kPad ? 0 : g[0];
        const unsigned b = g[1] == kPad ? 0 : g[1];
        const unsigned c = g[2] == kPad ? 0 : g[2];
        const unsigned d = g[3] == kPad ? 0 : g[3];
        const unsigned bits = (a << 18) | (b << 12) | (c << 6) | d;
        int bytes;
        if (g[0] == kPad && g[2] != kPad && g[3] != kPad)
            bytes = 0;
        else if (g[2] == kPad)
            bytes = 1;
        else if (g[3] == kPad)
            bytes = 2;
        else
            bytes = 3;
        if (bytes > 0)
            w[0] = static_cast<char>(bits >> 16);
        if (bytes > 1)
            w[1] = static_cast<char>(bits >> 8);
        if (bytes > 2)
            w[2] = static_cast<char>(bits);
        w += bytes;
        if (stopAtPadding && (g[0] == kPad || g[1] == kPad || g[2] == kPad || g[3] == kPad))
            break;
    }
    dest.resize(static_cast<std::size_t>(w - dest.data()));
}

} // namespace

void Base64DecodeLineAppend(std::string_view line, std::string &dest)
{
    decodeAppend(line, dest, false);
}

void Base64DecodeText(std::string_view text, std::string &dest)
{
    dest.clear();
    decodeAppend(text, dest, true);
}

std::string Base64DecodeLine(std::string_view line)
{
    std::string out;
    Base64DecodeLineAppend(line, out);
    return out;
}

std::string Base64EncodeString(std::string_view s)
{
    // Line breaks of any kind become CR LF before encoding.
    return encodeOneLine(LineBreaks::toCrLf(s, false, LineBreaks::LfCr::OneBreak));
}
