#pragma once

#include "picture/JpegEncoder.h"
#include "richtext/layout/FormatRange.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <functional>
#include <string_view>
#include <vector>

class QTextDocument;
struct ConfigSettings;

// Lays a letter out page by page into the text area of a fixed pixel page, numbers the
// pages and compresses each one (PageEncoder: a palette PNG or a JPEG). Sharp pages
// (PIC_Sharp) are drawn at twice the pixels with the same layout. The pages go to the caller one by one, in order;
// the caller adds them to the mail. A page is compressed on a worker thread while the
// next one is drawn; every callback runs on the thread that called render().
class PageRenderer
{
public:
    // Pages are drawn at this resolution (the screen's, on the system the program came from).
    static constexpr int Dpi = 96;
    // Largest page surface we allocate (RGB32): 64 megapixels, 256 MB.
    static constexpr long long MaxPixels = 64LL * 1024 * 1024;

    // The settings must outlive the renderer.
    explicit PageRenderer(const ConfigSettings &settings);
    PageRenderer(const ConfigSettings &&) = delete;

    // Called with each finished page (its number from 1 and the picture's bytes, PNG or
    // JPEG as PagePicture::formatOf tells, valid only during the call).
    std::function<void(int page, std::string_view picture)> pageReady;
    // Asked after each page is compressed: true stops before that page is handed over.
    std::function<bool()> cancelled;
    // Percentage of the letter laid out so far, after each page.
    std::function<void(int percent)> progress;
    // The page surface just before compression (tests and diagnosis look at it); a sharp
    // page's surface has a device pixel ratio of 2. Pages are
    // compressed while later ones are drawn, so a page's pageReady may follow the
    // surfaceReady of the pages after it; each comes in page order.
    std::function<void(int page, const QImage &surface)> surfaceReady;

    // The letter's positions on each page of the last render(): first, and first not drawn.
    struct PageRange
    {
        int start;
        int end;
    };
    const std::vector<PageRange> &pageRanges() const { return m_ranges; }
    // The text lines each page of the last render() shows, where it shows them (pixels).
    const std::vector<std::vector<FormatRange::TextLine>> &pageLines() const { return m_lines; }

    // Renders the whole letter and returns the number of pages made (the page that
    // was cancelled counts, as it was made). Throws AppError when the page size is out
    // of range or the encoder fails.
    int render(const QTextDocument &letter);

    // The text area in twips (left, top, right, bottom as a QRect's edges) for a page of
    // the settings' size at the given resolution; truncating integer division.
    static QRect textAreaTwips(const ConfigSettings &settings, int dpiX, int dpiY);
    // Top left corner of the page number: half the width, rounded half to even, less 5;
    // 16 pixels above the bottom edge.
    static QPoint pageNumberPosition(int pageWidth, int pageHeight);
    static QString pageNumberText(int page);
    // The page size accepted for a surface: 1 to 65500 pixels a side, at most MaxPixels.
    static bool pageSizeValid(int width, int height);
    // The height of a last page that ends a little below the lowest drawn pixel of its
    // text area (in the page's pixels, whatever the surface's pixel ratio): that row plus
    // the bottom margin (at least the room a page number needs), never more than the
    // page; an empty area counts from its top.
    static int shortPageHeight(const QImage &surface, const QRect &textArea, int bottomMargin);

    // The number of pages render() makes of the letter with these settings, found by the
    // same layout without drawing or compressing anything; 0 when the page size is out of
    // range.
    static int countPages(const QTextDocument &letter, const ConfigSettings &settings);

    // Time the worker spent in compression during the last render(), in nanoseconds
    // (it overlaps the drawing).
    qint64 compressNanoseconds() const { return m_compressNs; }

private:
    // Whether the range [start, end) that the layout returned ends the letter.
    static bool lastRange(int start, int end, int length);
    void drawPageNumber(QImage &surface, int page) const;

    std::vector<PageRange> m_ranges;
    std::vector<std::vector<FormatRange::TextLine>> m_lines;

    const ConfigSettings &m_settings;
    qint64 m_compressNs = 0;
};
