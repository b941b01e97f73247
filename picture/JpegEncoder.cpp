#include "picture/JpegEncoder.h"

#include "os/AppError.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <cmath>
#include <vector>

#include <jpeglib.h>

namespace {

// libjpeg's default error handler ends the process; this one jumps back instead.
struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr cinfo)
{
    ErrorManager *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void outputMessage(j_common_ptr)
{
    // Warnings are not printed: a picture either compresses or fails with an error.
}

// The width and height limit of the JPEG format.
constexpr int kMaxDimension = 65500;

} // namespace

struct JpegEncoder::Private
{
    jpeg_compress_struct cinfo;
    ErrorManager err;
    unsigned char *buffer = nullptr; // malloc'ed, as jpeg_mem_dest expects
    unsigned long capacity = 0;
    unsigned long size = 0;
    std::vector<JSAMPROW> rows;
    QImage converted;
    // The tables in cinfo were made for an earlier picture.
    bool usedOwnTables = false;

    // Only plain C data lives between setjmp and a possible longjmp.
    bool run(int width, int height, int components, J_COLOR_SPACE space, int quality, JpegEncoder::Coding coding,
             int dpi)
    {
        unsigned char *out = buffer;
        unsigned long outSize = capacity;
        if (setjmp(err.jump)) {
            jpeg_abort_compress(&cinfo);
            return false;
        }
        if (coding == JpegEncoder::Coding::Standard && usedOwnTables) {
            // libjpeg-turbo keeps the Huffman tables of an earlier optimized picture and
            // would code this one with them: a fresh object has the standard tables.
            jpeg_destroy_compress(&cinfo);
            jpeg_create_compress(&cinfo);
        }
        usedOwnTables = coding != JpegEncoder::Coding::Standard;
        jpeg_mem_dest(&cinfo, &out, &outSize);
        cinfo.image_width = static_cast<JDIMENSION>(width);
        cinfo.image_height = static_cast<JDIMENSION>(height);
        cinfo.input_components = components;
        cinfo.in_color_space = space;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, quality, TRUE);
        if (dpi > 0) {
            cinfo.density_unit = 1; // dots per inch
            cinfo.X_density = static_cast<UINT16>(dpi);
            cinfo.Y_density = static_cast<UINT16>(dpi);
        }
        cinfo.optimize_coding = coding == JpegEncoder::Coding::Standard ? FALSE : TRUE;
        if (coding == JpegEncoder::Coding::Progressive)
            jpeg_simple_progression(&cinfo);
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            const JDIMENSION left = cinfo.image_height - cinfo.next_scanline;
            jpeg_write_scanlines(&cinfo, rows.data() + cinfo.next_scanline, left);
        }
        jpeg_finish_compress(&cinfo);
        if (out != buffer) {
            // libjpeg outgrew our buffer and moved to one of its own; it is ours now.
            std::free(buffer);
            buffer = out;
            capacity = outSize;
        }
        size = outSize;
        return true;
    }
};

JpegEncoder::JpegEncoder()
    : d(std::make_unique<Private>())
{
    d->cinfo.err = jpeg_std_error(&d->err.pub);
    d->err.pub.error_exit = &errorExit;
    d->err.pub.output_message = &outputMessage;
    d->err.message[0] = 0;
    jpeg_create_compress(&d->cinfo);
}

JpegEncoder::~JpegEncoder()
{
    jpeg_destroy_compress(&d->cinfo);
    std::free(d->buffer);
}

std::string_view JpegEncoder::compress(const QImage &image, int quality, Coding coding)
{
    if (image.isNull() || image.width() > kMaxDimension || image.height() > kMaxDimension)
        throw AppError("JPEG: picture size out of range");

    const QImage *source = &image;
    int components = 3;
    J_COLOR_SPACE space = JCS_RGB;
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32) {
        // 0xAARRGGBB words: B, G, R, A in memory on little-endian machines.
        components = 4;
        space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    } else {
        d->converted = image.convertToFormat(QImage::Format_RGB888);
        if (d->converted.isNull())
            throw AppError("JPEG: out of memory");
        source = &d->converted;
    }

    const int height = source->height();
    d->rows.resize(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        d->rows[static_cast<size_t>(y)] = const_cast<JSAMPROW>(source->constScanLine(y));

    if (!d->buffer) {
        // Room for a typical page at once; libjpeg grows it when a page needs more.
        const unsigned long first = 256 * 1024;
        d->buffer = static_cast<unsigned char *>(std::malloc(first));
        if (!d->buffer)
            throw AppError("JPEG: out of memory");
        d->capacity = first;
    }
    // A sharp page says it has twice the pixels of the page it stands for (192 dpi); a
    // page at 1x keeps JFIF's plain aspect ratio, as it always had.
    const int dpi = image.devicePixelRatio() > 1 ? static_cast<int>(std::lround(96 * image.devicePixelRatio())) : 0;
    if (!d->run(source->width(), height, components, space, quality, coding, dpi))
        throw AppError(std::string("JPEG: ") + d->err.message);
    return std::string_view(reinterpret_cast<const char *>(d->buffer), d->size);
}
