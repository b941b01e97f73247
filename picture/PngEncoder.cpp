#include "picture/PngEncoder.h"

#include "os/AppError.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <csetjmp>
#include <vector>

namespace {

struct Output
{
    std::string bytes;
    char message[200] = {};
};

void writeData(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<Output *>(png_get_io_ptr(png))->bytes.append(reinterpret_cast<const char *>(data), length);
}

void flushData(png_structp) {}

[[noreturn]] void errorExit(png_structp png, png_const_charp message)
{
    auto *out = static_cast<Output *>(png_get_error_ptr(png));
    std::snprintf(out->message, sizeof out->message, "%s", message);
    png_longjmp(png, 1);
}

void warning(png_structp, png_const_charp) {}

int bitsFor(int colours)
{
    return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

// Only plain C data lives between setjmp and a possible longjmp; the rows are packed before.
bool run(png_structp png, png_infop info, const QImage &image, const std::vector<png_color> &palette, int bits,
         std::vector<png_bytep> &rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()), static_cast<png_uint_32>(image.height()), bits,
                 PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (image.devicePixelRatio() > 1) {
        const auto perMeter = static_cast<png_uint_32>(std::lround(96 * image.devicePixelRatio() / 0.0254));
        png_set_pHYs(png, info, perMeter, perMeter, PNG_RESOLUTION_METER);
    }
    // Palette pictures compress best unfiltered.
    png_set_filter(png, 0, PNG_FILTER_NONE);
    // zlib's level 4: the last of its quick levels (no lazy matching). On text pages it
    // costs 3 to 6 % more bytes than level 6 for about 40 % less rendering time; levels
    // 1 to 3 grow a 12-point page by up to a fifth, Z_RLE by half (the sharp-page bench).
    png_set_compression_level(png, 4);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    return true;
}

} // namespace

namespace PngEncoder {

std::string compress(const QImage &indexed)
{
    const QList<QRgb> table = indexed.colorTable();
    if (indexed.isNull() || indexed.format() != QImage::Format_Indexed8 || table.isEmpty() || table.size() > 256)
        throw AppError("PNG: not a palette picture");
    const int bits = bitsFor(static_cast<int>(table.size()));
    std::vector<png_color> palette;
    for (const QRgb c : table)
        palette.push_back({static_cast<png_byte>(qRed(c)), static_cast<png_byte>(qGreen(c)),
                           static_cast<png_byte>(qBlue(c))});

    // The rows packed at the palette's depth, leftmost pixel in the high bits.
    const std::size_t stride = (static_cast<std::size_t>(indexed.width()) * bits + 7) / 8;
    std::vector<png_byte> packed(stride * static_cast<std::size_t>(indexed.height()));
    std::vector<png_bytep> rows(static_cast<std::size_t>(indexed.height()));
    const int perByte = 8 / bits;
    const int width = indexed.width();
    const unsigned mask = (1u << bits) - 1;
    for (int y = 0; y < indexed.height(); ++y) {
        png_bytep row = packed.data() + stride * static_cast<std::size_t>(y);
        rows[static_cast<std::size_t>(y)] = row;
        const uchar *in = indexed.constScanLine(y);
        if (bits == 8) {
            std::copy(in, in + width, row);
            continue;
        }
        for (int x = 0; x < width; x += perByte) {
            unsigned byte = 0;
            for (int k = 0; k < perByte; ++k)
                byte = (byte << bits) | (x + k < width ? (in[x + k] & mask) : 0u);
            row[x / perByte] = static_cast<png_byte>(byte);
        }
    }

    Output out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &out, &errorExit, &warning);
    if (!png)
        throw AppError("PNG: out of memory");
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw AppError("PNG: out of memory");
    }
    png_set_write_fn(png, &out, &writeData, &flushData);
    const bool done = run(png, info, indexed, palette, bits, rows);
    png_destroy_write_struct(&png, &info);
    if (!done)
        throw AppError(std::string("PNG: ") + out.message);
    return std::move(out.bytes);
}

} // namespace PngEncoder
