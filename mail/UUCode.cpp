// Uuencode decoding: one line at a time, at most 60 characters (45 bytes) per line.
#include "mail/UUCode.h"

#include "os/AppError.h"

int UUCharValue(char c)
{
    if (c == '`' || c == ' ')
        return 0;
    if (c >= '!' && c <= '_')
        return c - ' ';
    throw AppError("UUCODE message format error");
}

std::string UUDecodeLine(std::string_view line)
{
    if (line.empty())
        return {};
    constexpr std::size_t kMaxBytes = 45;
    constexpr std::size_t kMaxChars = 60;
    try {
        // The count byte may claim more than the line carries: missing bits read as
        // zero, and no line yields more than 45 bytes.
        std::size_t count = static_cast<std::size_t>(UUCharValue(line[0]));
        if (count > kMaxBytes)
            count = kMaxBytes;
        const std::string_view data = line.substr(1, kMaxChars);
        unsigned char packed[kMaxBytes] = {};
        std::size_t bit = 0;
        for (const char c : data) {
            const unsigned v = static_cast<unsigned>(UUCharValue(c));
            // Six bits, most significant first, into the 360-bit buffer.
            for (int k = 5; k >= 0; --k, ++bit)
                if (v & (1u << k))
                    packed[bit >> 3] = static_cast<unsigned char>(packed[bit >> 3] | (0x80u >> (bit & 7)));
        }
        return std::string(reinterpret_cast<const char *>(packed), count);
    } catch (const AppError &) {
        return {};
    }
}

void UUDecodeText(std::string_view text, std::string &dest)
{
    dest.clear();
    dest.reserve(text.size() / 4 * 3);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t cr = text.find("\r\n", start);
        if (cr == std::string_view::npos)
            cr = text.size();
        if (cr > start)
            dest.append(UUDecodeLine(text.substr(start, cr - start)));
        start = cr + 2;
    }
}
