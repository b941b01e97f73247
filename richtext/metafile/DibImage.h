#pragma once

#include <QImage>
#include <string_view>

// Device-independent bitmaps as metafiles and RTF carry them: a BITMAPINFO (header and
// colour table) followed by the pixel bits.
class DibImage
{
public:
    // Largest bitmap decoded, in pixels.
    static constexpr qint64 kMaxPixels = 64 * 1024 * 1024;
    // Largest run-length encoded bitmap: a few bytes of runs can stand for many pixels.
    static constexpr qint64 kMaxRunLengthPixels = 16 * 1024 * 1024;

    // Decodes a packed DIB. headerAndPaletteSize is where the bits begin (0: worked out
    // from the header). A null image when the header is damaged, the bits are shorter
    // than the header says, or the bitmap is larger than allowed.
    // An indexed image gets a colour table of every index its bits can hold.
    static QImage decode(std::string_view packed, size_t headerAndPaletteSize = 0);
    // The image with its colour table filled up to every index its depth can hold (the
    // missing entries black), so that no pixel names a colour the table lacks.
    static QImage withFullColorTable(QImage image);
    // Width and height (negative: top-down rows) of a DIB's header, without decoding it;
    // false for a damaged header.
    static bool size(std::string_view packed, qint64 &width, qint64 &height);
};
