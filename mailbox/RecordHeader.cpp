#include "mailbox/RecordHeader.h"

#include <cstring>

std::optional<RecordHeader> RecordHeader::parse(const char *bytes)
{
    const auto *u = reinterpret_cast<const unsigned char *>(bytes);
    const std::uint32_t raw = std::uint32_t(u[0]) | (std::uint32_t(u[1]) << 8) | (std::uint32_t(u[2]) << 16)
                              | (std::uint32_t(u[3]) << 24);
    const auto length = static_cast<std::int32_t>(raw);
    if (length < 0 || !isAttachFlag(bytes[5])
        || std::memcmp(bytes + ReservedOffset, Reserved.data(), Reserved.size()) != 0)
        return std::nullopt;
    RecordHeader h;
    h.length = length;
    h.boxCode = bytes[BoxCodeOffset];
    h.attachFlag = bytes[5];
    return h;
}

void RecordHeader::encode(char *out, std::int32_t length, char boxCode, char attachFlag)
{
    const auto raw = static_cast<std::uint32_t>(length);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((raw >> (8 * i)) & 0xFF);
    out[BoxCodeOffset] = boxCode;
    out[5] = attachFlag;
    std::memcpy(out + ReservedOffset, Reserved.data(), Reserved.size());
}
