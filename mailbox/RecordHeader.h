#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The 20 bytes in front of every mail text in MailBox.dat: a little-endian signed
// 32-bit text length, the box code, the attachment flag and 14 reserved characters.
//
// A header is valid when its attachment flag is 'Y' or 'N', its reserved bytes are
// "0000-0000-0000" and its length is not negative. Everything that walks the store
// relies on this test to tell records from damage.
class RecordHeader
{
public:
    static constexpr int Size = 20;
    static constexpr std::string_view Reserved = "0000-0000-0000";
    static constexpr int ReservedOffset = 6;
    static constexpr int BoxCodeOffset = 4;

    std::int32_t length = 0;
    char boxCode = 0;
    char attachFlag = 0;

    // The header in `bytes` (at least Size bytes) when it is valid.
    static std::optional<RecordHeader> parse(const char *bytes);
    // Writes the Size bytes of a header for a text of `length` bytes.
    static void encode(char *out, std::int32_t length, char boxCode, char attachFlag);

    static bool isAttachFlag(char c) { return c == 'Y' || c == 'N'; }
};
