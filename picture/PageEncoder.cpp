#include "picture/PageEncoder.h"

#include "picture/PaletteQuantizer.h"
#include "picture/PngEncoder.h"

std::string PageEncoder::compress(const QImage &page, const Options &options)
{
    std::string jpeg(m_jpeg.compress(page, options.quality, options.coding));
    if (options.jpegOnly)
        return jpeg;
    // 16 colours first: half the bits of 256 for a page of one or two inks. No palette
    // for a photo, or one that loses too much.
    const PaletteQuantizer::Result reduced = PaletteQuantizer::reduce(page, {16, 256}, MinPsnr);
    if (reduced.indexed.isNull())
        return jpeg;
    std::string png = PngEncoder::compress(reduced.indexed);
    return png.size() < jpeg.size() ? png : jpeg;
}
