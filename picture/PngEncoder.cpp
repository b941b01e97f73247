#include "picture/PngEncoder.h"

#include "os/AppError.h"

#include <libdeflate.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

// libdeflate's level 4 (of 12): on the sharp text pages it deflates in about 60 % of the time
// of zlib's level 4 and to a few per cent fewer bytes (the sharp-page bench); its higher
// levels save 2 to 4 % more for twice the time and beyond.
constexpr int kDeflateLevel = 4;

struct FreeCompressor
{
    void operator()(libdeflate_compressor *c) const { libdeflate_free_compressor(c); }
};

// Each thread keeps its compressor and its buffers from picture to picture: a page's
// buffers are megabytes, and a compressor is a few hundred kilobytes of tables.
struct Workspace
{
    std::unique_ptr<libdeflate_compressor, FreeCompressor> compressor;
    std::vector<unsigned char> rows;
    std::vector<unsigned char> deflated;
};

Workspace &workspace()
{
    thread_local Workspace w;
    if (!w.compressor) {
        w.compressor.reset(libdeflate_alloc_compressor(kDeflateLevel));
        if (!w.compressor)
            throw AppError("PNG: out of memory");
    }
    return w;
}

int bitsFor(int colours)
{
    return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

// One row of palette indexes at Bits a pixel, the leftmost pixel in the high bits; whole
// bytes first, then the last one, partly filled and padded with zero bits.
template <int Bits>
void packRow(const uchar *in, int width, unsigned char *out)
{
    constexpr int perByte = 8 / Bits;
    constexpr unsigned mask = (1u << Bits) - 1;
    const int whole = width / perByte;
    for (int i = 0; i < whole; ++i, in += perByte) {
        unsigned byte = 0;
        for (int k = 0; k < perByte; ++k)
            byte = (byte << Bits) | (in[k] & mask);
        out[i] = static_cast<unsigned char>(byte);
    }
    const int rest = width - whole * perByte;
    if (rest > 0) {
        unsigned byte = 0;
        for (int k = 0; k < rest; ++k)
            byte = (byte << Bits) | (in[k] & mask);
        out[whole] = static_cast<unsigned char>(byte << (Bits * (perByte - rest)));
    }
}

void put32(std::string &out, std::uint32_t v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(b, 4);
}

// A chunk: its length, its type, its data and the CRC over type and data.
void putChunk(std::string &out, const char type[5], const void *data, std::size_t length)
{
    put32(out, static_cast<std::uint32_t>(length));
    const std::size_t start = out.size();
    out.append(type, 4);
    out.append(static_cast<const char *>(data), length);
    put32(out, libdeflate_crc32(0, out.data() + start, length + 4));
}

void putChunk(std::string &out, const char type[5], const std::string &data)
{
    putChunk(out, type, data.data(), data.size());
}

} // namespace

namespace PngEncoder {

std::string compress(const QImage &indexed)
{
    const QList<QRgb> table = indexed.colorTable();
    if (indexed.isNull() || indexed.format() != QImage::Format_Indexed8 || table.isEmpty() || table.size() > 256)
        throw AppError("PNG: not a palette picture");
    const int bits = bitsFor(static_cast<int>(table.size()));
    const int width = indexed.width();
    const int height = indexed.height();
    Workspace &w = workspace();

    // The image data before deflating: each row a filter byte (0, none: palette pictures
    // compress best unfiltered) and the row packed at the palette's depth.
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 7) / 8;
    const std::size_t rawSize = (stride + 1) * static_cast<std::size_t>(height);
    w.rows.resize(rawSize);
    for (int y = 0; y < height; ++y) {
        unsigned char *row = w.rows.data() + (stride + 1) * static_cast<std::size_t>(y);
        row[0] = 0;
        const uchar *in = indexed.constScanLine(y);
        switch (bits) {
        case 1:
            packRow<1>(in, width, row + 1);
            break;
        case 2:
            packRow<2>(in, width, row + 1);
            break;
        case 4:
            packRow<4>(in, width, row + 1);
            break;
        default:
            std::copy(in, in + width, row + 1);
        }
    }
    w.deflated.resize(libdeflate_zlib_compress_bound(w.compressor.get(), rawSize));
    const std::size_t deflatedSize =
        libdeflate_zlib_compress(w.compressor.get(), w.rows.data(), rawSize, w.deflated.data(), w.deflated.size());
    if (deflatedSize == 0)
        throw AppError("PNG: the picture could not be compressed");

    std::string out;
    out.reserve(deflatedSize + 3 * table.size() + 128);
    out.append("\x89PNG\r\n\x1a\n", 8);

    std::string header;
    put32(header, static_cast<std::uint32_t>(width));
    put32(header, static_cast<std::uint32_t>(height));
    // Bit depth, colour type 3 (palette), deflate, the standard filters, no interlace.
    header += {char(bits), 3, 0, 0, 0};
    putChunk(out, "IHDR", header);

    std::string palette;
    for (const QRgb c : table)
        palette += {char(qRed(c)), char(qGreen(c)), char(qBlue(c))};
    putChunk(out, "PLTE", palette);

    if (indexed.devicePixelRatio() > 1) {
        const auto perMeter = static_cast<std::uint32_t>(std::lround(96 * indexed.devicePixelRatio() / 0.0254));
        std::string physical;
        put32(physical, perMeter);
        put32(physical, perMeter);
        physical += char(1); // the unit is the metre
        putChunk(out, "pHYs", physical);
    }
    putChunk(out, "IDAT", w.deflated.data(), deflatedSize);
    putChunk(out, "IEND", "", 0);
    // The buffers of an outsized picture are not kept for the thread's next one.
    constexpr std::size_t keep = std::size_t(16) << 20;
    if (w.rows.capacity() > keep || w.deflated.capacity() > keep) {
        std::vector<unsigned char>().swap(w.rows);
        std::vector<unsigned char>().swap(w.deflated);
    }
    return out;
}

} // namespace PngEncoder
