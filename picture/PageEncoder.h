#pragma once

#include "picture/JpegEncoder.h"

#include <QImage>
#include <string>

// Compresses one page picture in the format that suits it: a palette PNG when the page is
// text on flat ground (16 colours where they serve, else up to 256), a JPEG when it holds
// a photo. Both are made and the smaller is kept, unless the palette lost too much of the
// page as drawn (PSNR below MinPsnr): then the JPEG. A page that keeps well in
// SmallPalette colours is only made as PNG: a JPEG of it would be larger. One encoder serves one thread; it
// reuses its buffers from page to page. The same page gives the same bytes every time.
class PageEncoder
{
public:
    // Below this a palette shows visibly fewer shades than the page (banded photos,
    // colour fringes on coloured text); a 16-colour text page reaches about 45 dB.
    static constexpr double MinPsnr = 36.0;
    // A page this few colours reach goes out as PNG without a JPEG to compare.
    static constexpr int SmallPalette = 16;

    struct Options
    {
        int quality = 75;
        JpegEncoder::Coding coding = JpegEncoder::Coding::Optimized;
        // Every page as JPEG (the picture page's "JPEG only").
        bool jpegOnly = false;
    };

    std::string compress(const QImage &page, const Options &options);

private:
    JpegEncoder m_jpeg;
};
