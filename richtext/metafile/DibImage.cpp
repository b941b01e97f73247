#include "richtext/metafile/DibImage.h"

#include "richtext/metafile/MetafileBytes.h"

#include <QByteArray>
#include <cstdlib>
#include <utility>

namespace {

void put32(QByteArray &b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

} // namespace

bool DibImage::size(std::string_view packed, qint64 &width, qint64 &height)
{
    const MetafileBytes dib(packed);
    const uint32_t headerSize = dib.u32(0);
    if (headerSize < 12 || headerSize > dib.size())
        return false;
    if (headerSize == 12) { // BITMAPCOREHEADER
        width = dib.u16(4);
        height = dib.u16(6);
    } else {
        width = dib.i32(4);
        height = dib.i32(8);
    }
    return width > 0 && height != 0;
}

QImage DibImage::decode(std::string_view packed, size_t headerAndPaletteSize)
{
    const MetafileBytes dib(packed);
    qint64 w, h;
    if (!size(packed, w, h))
        return QImage();
    const uint32_t headerSize = dib.u32(0);
    uint32_t bits, colors = 0, compression = 0;
    size_t entry = 4;
    if (headerSize == 12) {
        bits = dib.u16(10);
        entry = 3;
    } else {
        bits = dib.u16(14);
        compression = dib.u32(16);
        if (headerSize >= 36)
            colors = dib.u32(32);
    }
    const qint64 pixels = w * std::abs(h);
    if (pixels > kMaxPixels || bits == 0 || bits > 32)
        return QImage();
    if (headerAndPaletteSize == 0) {
        if (colors == 0 && bits <= 8)
            colors = 1u << bits;
        if (colors > 256)
            return QImage();
        headerAndPaletteSize = headerSize + colors * entry;
        if (headerSize == 40 && (compression == 3 || compression == 6))
            headerAndPaletteSize += compression == 3 ? 12 : 16;
    }
    if (headerAndPaletteSize > dib.size())
        return QImage();
    // The decoder makes the whole image before it reads the rows: rows that are not there
    // must not cost their memory.
    const qint64 available = static_cast<qint64>(dib.size() - headerAndPaletteSize);
    if (compression == 0 || compression == 3 || compression == 6) {
        const qint64 stride = (w * bits + 31) / 32 * 4;
        if (stride * std::abs(h) > available)
            return QImage();
    } else if (pixels > kMaxRunLengthPixels) {
        return QImage();
    }
    QByteArray file("BM");
    put32(file, static_cast<uint32_t>(14 + dib.size()));
    put32(file, 0);
    put32(file, static_cast<uint32_t>(14 + headerAndPaletteSize));
    file.append(packed.data(), static_cast<qsizetype>(packed.size()));
    QImage image;
    image.loadFromData(file, "BMP");
    return withFullColorTable(std::move(image));
}

QImage DibImage::withFullColorTable(QImage image)
{
    // Painting an indexed image looks every pixel up in its colour table without a check;
    // a table shorter than the pixels' indexes would be read past its end.
    const int depth = image.depth();
    if (image.isNull() || depth > 8 || image.colorCount() >= (1 << depth))
        return image;
    QList<QRgb> table = image.colorTable();
    table.resize(1 << depth, qRgb(0, 0, 0));
    image.setColorTable(table);
    return image;
}
