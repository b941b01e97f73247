#include "picture/PageEncoder.h"

#include "picture/PaletteQuantizer.h"
#include "picture/PngEncoder.h"

std::string PageEncoder::compress(const QImage &page, const Options &options)
{
    if (options.jpegOnly)
        return std::string(m_jpeg.compress(page, options.quality, options.coding));
    // 16 colours first: half the bits of 256 for a page of one or two inks. No palette
    // for a photo, or one that loses too much.
    const PaletteQuantizer::Result reduced = PaletteQuantizer::reduce(page, {16, 256}, MinPsnr);
    if (reduced.indexed.isNull())
        return std::string(m_jpeg.compress(page, options.quality, options.coding));
    std::string png = PngEncoder::compress(reduced.indexed);
    // A page that keeps well in 16 colours is flat ground and a few inks: its PNG is a
    // fraction of its JPEG (the sharp-page bench checks that no such page of its letters
    // comes out smaller as JPEG), so the JPEG, the dearer of the two, is not made.
    if (reduced.indexed.colorCount() <= SmallPalette)
        return png;
    const std::string_view jpeg = m_jpeg.compress(page, options.quality, options.coding);
    return png.size() < jpeg.size() ? png : std::string(jpeg);
}
