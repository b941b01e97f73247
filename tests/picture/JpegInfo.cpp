#include "tests/picture/JpegInfo.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct Err
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr cinfo)
{
    Err *e = reinterpret_cast<Err *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    std::longjmp(e->jump, 1);
}

// The example tables of the JPEG standard (Annex K), natural order.
const int kLuminance[64] = {
    16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62,
    18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
const int kChrominance[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

bool decodeInto(JpegInfo &info, jpeg_decompress_struct &cinfo, Err &err, std::string_view bytes)
{
    if (setjmp(err.jump))
        return false;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    info.width = static_cast<int>(cinfo.image_width);
    info.height = static_cast<int>(cinfo.image_height);
    info.components = cinfo.num_components;
    info.progressive = cinfo.progressive_mode;
    info.arithmetic = cinfo.arith_code;
    for (int t = 0; t < 2; ++t) {
        std::array<int, 64> &table = t == 0 ? info.luminance : info.chrominance;
        if (!cinfo.quant_tbl_ptrs[t])
            continue;
        for (int i = 0; i < 64; ++i)
            table[static_cast<size_t>(i)] = cinfo.quant_tbl_ptrs[t]->quantval[i];
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    info.pixels = QImage(info.width, info.height, QImage::Format_RGB888);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = info.pixels.scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

} // namespace

JpegInfo JpegInfo::decode(std::string_view bytes)
{
    JpegInfo info;
    // Walk the marker segments up to the start of scan and note the frame type.
    size_t pos = 2;
    while (pos + 4 <= bytes.size() && static_cast<unsigned char>(bytes[pos]) == 0xFF) {
        const unsigned char marker = static_cast<unsigned char>(bytes[pos + 1]);
        if (marker == 0xDA)
            break;
        if (marker == 0xC0)
            info.baselineMarker = true;
        const size_t length = (static_cast<size_t>(static_cast<unsigned char>(bytes[pos + 2])) << 8)
                              | static_cast<unsigned char>(bytes[pos + 3]);
        pos += 2 + length;
    }
    jpeg_decompress_struct cinfo;
    Err err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = &errorExit;
    jpeg_create_decompress(&cinfo);
    info.ok = decodeInto(info, cinfo, err, bytes);
    if (!info.ok)
        info.error = QString::fromLatin1(err.message);
    jpeg_destroy_decompress(&cinfo);
    return info;
}

std::array<int, 64> JpegInfo::expectedTable(int quality, bool chroma)
{
    const int scale = jpeg_quality_scaling(quality);
    std::array<int, 64> out{};
    for (int i = 0; i < 64; ++i) {
        long v = ((chroma ? kChrominance[i] : kLuminance[i]) * static_cast<long>(scale) + 50L) / 100L;
        if (v <= 0)
            v = 1;
        if (v > 255)
            v = 255;
        out[static_cast<size_t>(i)] = static_cast<int>(v);
    }
    return out;
}
