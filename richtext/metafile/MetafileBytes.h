#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

// Little-endian reads from a metafile record. Every read is checked against the end of the
// bytes: a read past it gives 0, so a short record draws garbage at worst, never reads
// outside its buffer.
class MetafileBytes
{
public:
    MetafileBytes() = default;
    explicit MetafileBytes(std::string_view bytes)
        : m_bytes(bytes)
    {
    }

    size_t size() const { return m_bytes.size(); }
    std::string_view bytes() const { return m_bytes; }
    bool has(size_t at, size_t count) const { return at <= m_bytes.size() && count <= m_bytes.size() - at; }

    uint8_t u8(size_t at) const { return has(at, 1) ? static_cast<uint8_t>(m_bytes[at]) : 0; }
    uint16_t u16(size_t at) const { return has(at, 2) ? static_cast<uint16_t>(u8(at) | u8(at + 1) << 8) : 0; }
    int16_t i16(size_t at) const { return static_cast<int16_t>(u16(at)); }
    uint32_t u32(size_t at) const
    {
        return has(at, 4) ? uint32_t(u8(at)) | uint32_t(u8(at + 1)) << 8 | uint32_t(u8(at + 2)) << 16 | uint32_t(u8(at + 3)) << 24
                          : 0;
    }
    int32_t i32(size_t at) const { return static_cast<int32_t>(u32(at)); }
    float f32(size_t at) const
    {
        const uint32_t bits = u32(at);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // count bytes from at, or nothing when they are not all there.
    std::string_view slice(size_t at, size_t count) const { return has(at, count) ? m_bytes.substr(at, count) : std::string_view(); }

private:
    std::string_view m_bytes;
};
