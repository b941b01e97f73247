// Base64 decoding, table driven: four alphabet characters in a row take a fast path, and
// anything else gathers the next four group members one byte at a time.
#include "mail/Base64Decoder.h"


#include <array>
#include <cstring>

namespace {

constexpr unsigned char kSkip = 0xFF; // not in the alphabet: skipped
constexpr unsigned char kPad = 0x40;  // "=": a group member that marks padding

const unsigned char *decodeTable()
{
    static const std::array<unsigned char, 256> table = [] {
        const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::array<unsigned char, 256> t{};
        t.fill(kSkip);
        for (int i = 0; i < 64; ++i)
            t[static_cast<unsigned char>(alphabet[i])] = static_cast<unsigned char>(i);
        t['='] = kPad;
        return t;
    }();
    return table.data();
}

bool hasPadding(const unsigned char *g)
{
    return g[0] == kPad || g[1] == kPad || g[2] == kPad || g[3] == kPad;
}

// Writes the bytes of a whole group of four members, padding included; returns the end.
// Inlined in both places: it runs at every line break of a body, where a call shows.
[[gnu::always_inline]] inline char *writeGroup(const unsigned char *g, char *w)
{
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
    return w + bytes;
}

// Takes group members from [p, end) until the group has four; returns where it stopped.
const unsigned char *gather(const unsigned char *p, const unsigned char *end, const unsigned char *table,
                            unsigned char *g, int &count)
{
    while (p < end && count < 4) {
        const unsigned char v = table[*p++];
        if (v != kSkip)
            g[count++] = v;
    }
    return p;
}

} // namespace

void Base64Decoder::Feed(std::string_view piece, std::string &dest)
{
    if (m_ended || piece.empty())
        return;
    const unsigned char *table = decodeTable();
    const bool stopAtPadding = m_stopAtPadding;
    const std::size_t oldSize = dest.size();
    // Every group of four members yields at most three bytes; the slack of three also
    // leaves room for the open group that Finish writes.
    dest.resize(oldSize + (piece.size() + static_cast<std::size_t>(m_count)) / 4 * 3 + 3);
    char *w = dest.data() + oldSize;
    const auto *p = reinterpret_cast<const unsigned char *>(piece.data());
    const auto *const end = p + piece.size();

    // A group that the last piece left open takes the first members of this one.
    if (m_count > 0) {
        p = gather(p, end, table, m_group, m_count);
        if (m_count < 4) {
            dest.resize(oldSize);
            return;
        }
        m_count = 0;
        w = writeGroup(m_group, w);
        if (stopAtPadding && hasPadding(m_group)) {
            m_ended = true;
            p = end;
        }
    }
    while (p < end) {
        // Fast path: four alphabet characters in a row, as long as they come (a loop of
        // its own, so that the compiler keeps it tight).
        while (end - p >= 4) {
            const unsigned a = table[p[0]], b = table[p[1]], c = table[p[2]], d = table[p[3]];
            if ((a | b | c | d) >= 64)
                break;
            const unsigned v = (a << 18) | (b << 12) | (c << 6) | d;
            w[0] = static_cast<char>(v >> 16);
            w[1] = static_cast<char>(v >> 8);
            w[2] = static_cast<char>(v);
            w += 3;
            p += 4;
        }
        // General path: the next four group members, other bytes skipped.
        unsigned char g[4];
        int count = 0;
        p = gather(p, end, table, g, count);
        if (count < 4) {
            // The group goes on in the next piece.
            std::memcpy(m_group, g, static_cast<std::size_t>(count));
            m_count = count;
            break;
        }
        w = writeGroup(g, w);
        if (stopAtPadding && hasPadding(g)) {
            m_ended = true;
            break;
        }
    }
    dest.resize(static_cast<std::size_t>(w - dest.data()));
}

void Base64Decoder::writeOpenGroup(std::string &dest) const
{
    // A last group that lacks its "=" padding ("SGk" for "SGk="): two or three characters
    // before any "=" give one or two bytes, as if padded. A single one holds less than a
    // byte.
    int data = 0;
    while (data < m_count && m_group[data] != kPad)
        ++data;
    if (data >= 2) {
        const unsigned bits = (unsigned(m_group[0]) << 18) | (unsigned(m_group[1]) << 12)
                              | (data > 2 ? unsigned(m_group[2]) << 6 : 0u);
        dest += static_cast<char>(bits >> 16);
        if (data > 2)
            dest += static_cast<char>(bits >> 8);
    }
}

void Base64DecodeLineAppend(std::string_view line, std::string &dest)
{
    Base64Decoder decoder(false);
    decoder.Feed(line, dest);
    decoder.Finish(dest);
}

void Base64DecodeText(std::string_view text, std::string &dest)
{
    dest.clear();
    Base64Decoder decoder(true);
    decoder.Feed(text, dest);
    decoder.Finish(dest);
}

std::string Base64DecodeLine(std::string_view line)
{
    std::string out;
    Base64DecodeLineAppend(line, out);
    return out;
}
