// Metafile bytes played into an image of the picture's own size (as a letter shows it at
// twice its goal size, and the rasteriser's work depends on the scale): an EMF when they
// begin with its header record, else a WMF (with or without its placeable header).
#include "fuzz/FuzzSupport.h"

#include "richtext/metafile/MetafileBytes.h"
#include "richtext/metafile/MetafileRenderer.h"

namespace {

// Larger pictures are drawn at 96 x 96: the work of big images is not what is looked for.
constexpr int kMaxSide = 512;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::ensureApplication();
    const std::string_view bytes = FuzzSupport::bytes(data, size);
    const MetafileRenderer::Format format = MetafileBytes(bytes).u32(0) == 1 ? MetafileRenderer::Format::Emf
                                                                               : MetafileRenderer::Format::Wmf;
    const QSizeF natural = MetafileRenderer::naturalSize(bytes, format);
    QSize image = natural.toSize();
    if (image.isEmpty() || image.width() > kMaxSide || image.height() > kMaxSide)
        image = QSize(96, 96);
    const QImage drawn = MetafileRenderer::render(bytes, format, image, QSizeF(image));
    FuzzSupport::require(drawn.isNull() || (drawn.size() == image && drawn.hasAlphaChannel()),
                         "a picture is drawn at the size asked for, or not at all");
    return 0;
}
