#include "picture/PageRenderer.h"

#include "config/ConfigSettings.h"
#include "os/AppError.h"
#include "os/DefaultFont.h"
#include "os/MessagePump.h"
#include "picture/PageCompressor.h"
#include "richtext/layout/FormatRange.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <deque>

namespace {

// A pixel length as twips on one axis, truncating. 64-bit in between so that a
// hand-edited size cannot overflow.
int pixelsToTwips(int pixels, int dpi)
{
    return static_cast<int>(static_cast<long long>(pixels) * 1440 / dpi);
}

} // namespace

PageRenderer::PageRenderer(const ConfigSettings &settings)
    : m_settings(settings)
{
}

QRect PageRenderer::textAreaTwips(const ConfigSettings &s, int dpiX, int dpiY)
{
    const int left = pixelsToTwips(s.PIC_ML, dpiX);
    const int top = pixelsToTwips(s.PIC_MT, dpiY);
    const int right = pixelsToTwips(s.PIC_W, dpiX) - pixelsToTwips(s.PIC_MR, dpiX);
    const int bottom = pixelsToTwips(s.PIC_H, dpiY) - pixelsToTwips(s.PIC_MB, dpiY);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QPoint PageRenderer::pageNumberPosition(int pageWidth, int pageHeight)
{
    // An odd width has an exact half; it goes to the even neighbour (601 -> 300, 603 -> 302).
    int half = pageWidth / 2;
    if (pageWidth % 2 != 0 && half % 2 != 0)
        half += pageWidth > 0 ? 1 : -1;
    return QPoint(half - 5, pageHeight - 16);
}

QString PageRenderer::pageNumberText(int page)
{
    return QStringLiteral("- %1 -").arg(page);
}

bool PageRenderer::pageSizeValid(int width, int height)
{
    return width >= 1 && height >= 1 && width <= 65500 && height <= 65500
           && static_cast<long long>(width) * height <= MaxPixels;
}

int PageRenderer::shortPageHeight(const QImage &surface, const QRect &textArea, int bottomMargin)
{
    // Room below the last line: the bottom margin, and always enough for a page number
    // (drawn 16 pixels above the bottom edge) to stand clear of the text. The area, the
    // margin and the height are in the page's own pixels; a sharp surface has `scale`
    // pixels for each.
    const int scale = std::max(1, qRound(surface.devicePixelRatio()));
    const int pageHeight = surface.height() / scale;
    const int room = std::max(bottomMargin, 25);
    const QRgb white = qRgb(255, 255, 255);
    // Below the area stands the number of the page before, which the next page overdraws.
    const QRect scan = QRect(textArea.topLeft() * scale, textArea.size() * scale).intersected(surface.rect());
    int ink = std::max(textArea.top(), 0) - 1;
    for (int y = scan.bottom(); y >= scan.top() && y / scale > ink; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(surface.constScanLine(y));
        if (std::any_of(line, line + surface.width(), [white](QRgb p) { return (p | 0xFF000000u) != white; })) {
            ink = y / scale;
            break;
        }
    }
    return static_cast<int>(std::min<long long>(pageHeight, static_cast<long long>(ink) + 1 + room));
}

bool PageRenderer::lastRange(int start, int end, int length)
{
    // No progress (a unit taller than the page) ends the letter as its end does.
    return end == start || end < 0 || end >= length;
}

void PageRenderer::drawPageNumber(QImage &surface, int page) const
{
    const QString text = pageNumberText(page);
    const QSize size = surface.deviceIndependentSize().toSize();
    const QPoint at = pageNumberPosition(size.width(), size.height());
    QPainter painter(&surface);
    painter.setFont(DefaultFont::font());
    const QFontMetrics metrics(painter.font(), &surface);
    // The text cell on opaque white, as a text output with an opaque background draws it.
    const QRect cell(at, QSize(metrics.horizontalAdvance(text), metrics.height()));
    painter.fillRect(cell, Qt::white);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(at.x(), at.y() + metrics.ascent()), text);
}

int PageRenderer::render(const QTextDocument &letter)
{
    const ConfigSettings &s = m_settings;
    int pageCount = 0;
    m_compressNs = 0;
    m_ranges.clear();
    m_lines.clear();
    if (!pageSizeValid(s.PIC_W, s.PIC_H))
        throw AppError("Picture size out of range: " + std::to_string(s.PIC_W) + " x " + std::to_string(s.PIC_H));

    // Sharp pages have twice the pixels each way, drawn through a painter scaled by the
    // surface's pixel ratio: the layout, in the page's own pixels at Dpi, is the same as at
    // 1x, so the lines and pages break where they would. A page too large for that is
    // drawn at 1x.
    const int scale = s.PIC_Sharp && pageSizeValid(s.PIC_W * 2, s.PIC_H * 2) ? 2 : 1;
    QImage surface(s.PIC_W * scale, s.PIC_H * scale, QImage::Format_RGB32);
    if (surface.isNull())
        throw AppError("Out of memory for a picture of " + std::to_string(s.PIC_W) + " x " + std::to_string(s.PIC_H));
    const int dotsPerMeter = qRound(Dpi / 0.0254);
    surface.setDotsPerMeterX(dotsPerMeter);
    surface.setDotsPerMeterY(dotsPerMeter);
    surface.setDevicePixelRatio(scale);
    surface.fill(Qt::white);

    const int dpiX = surface.logicalDpiX();
    const int dpiY = surface.logicalDpiY();
    // The layout's rectangle in twips, as x, y, width, height.
    const QRect twips = textAreaTwips(s, dpiX, dpiY);
    // Back to pixels for clearing, each edge truncating.
    const QRect clearArea(QPoint(FormatRange::twipsToPixels(twips.left(), dpiX),
                                 FormatRange::twipsToPixels(twips.top(), dpiY)),
                          QPoint(FormatRange::twipsToPixels(twips.right() + 1, dpiX) - 1,
                                 FormatRange::twipsToPixels(twips.bottom() + 1, dpiY) - 1));

    FormatRange range(letter);
    const int length = range.textLength();
    PageEncoder::Options encoding;
    encoding.quality = s.PIC_Quality;
    encoding.coding = s.PIC_Progressive ? JpegEncoder::Coding::Progressive : JpegEncoder::Coding::Optimized;
    encoding.jpegOnly = s.PIC_JpegOnly;
    // Pages before page n are compressed on the workers while page n is drawn here; the
    // callbacks see the pages in the order and state a page-by-page render shows them.
    PageCompressor compressor(encoding);
    struct Handed
    {
        int page;
        int end;
    };
    std::deque<Handed> handed; // the pages with the workers, oldest first
    // Takes the oldest page from the workers and hands it over; false when the caller cancelled.
    const auto handOver = [&] {
        const std::string jpeg = compressor.take();
        const Handed page = handed.front();
        handed.pop_front();
        ++pageCount;
        if (cancelled && cancelled())
            return false;
        if (pageReady)
            pageReady(page.page, jpeg);
        // An empty letter is complete on its first page.
        const int percent = length > 0 ? static_cast<int>(std::nearbyint(std::max(page.end, 0) * 100.0 / length)) : 100;
        if (progress)
            progress(std::clamp(percent, 0, 100));
        MessagePump::serve();
        return true;
    };

    int start = 0;
    for (int page = 1;; ++page) {
        if (clearArea.isValid()) {
            QPainter painter(&surface);
            painter.fillRect(clearArea, Qt::white);
        }
        const int end = range.formatRange(&surface, twips, start);
        const bool last = lastRange(start, end, length);
        m_ranges.push_back({start, std::clamp(end, start, std::max(length, start))});
        m_lines.push_back(range.drawnLines());

        // The last page ends a little below its last line rather than at the page's foot.
        QImage finished;
        if (last && s.PIC_ShortLastPage) {
            const int height = shortPageHeight(surface, clearArea, s.PIC_MB) * scale;
            if (height < surface.height()) {
                finished = surface.copy(0, 0, surface.width(), height);
                finished.setDevicePixelRatio(scale);
            }
        }
        if (s.PIC_PageNumber)
            drawPageNumber(finished.isNull() ? surface : finished, page);

        if (compressor.full() && !handOver())
            break;
        if (surfaceReady)
            surfaceReady(page, finished.isNull() ? surface : finished);
        // The workers get a picture of their own: the next page is drawn on the surface.
        compressor.submit(finished.isNull() ? surface.copy() : std::move(finished));
        handed.push_back({page, end});
        if (last) {
            while (compressor.busy() && handOver()) {
            }
            break;
        }
        start = end;
    }
    // A cancelled render may have drawn one page more than it made.
    m_ranges.resize(std::min(m_ranges.size(), static_cast<size_t>(pageCount)));
    m_lines.resize(m_ranges.size());
    m_compressNs = compressor.compressNanoseconds();
    range.release();
    return pageCount;
}

int PageRenderer::countPages(const QTextDocument &letter, const ConfigSettings &s)
{
    if (!pageSizeValid(s.PIC_W, s.PIC_H))
        return 0;
    // A device of the pages' resolution; its size does not matter when nothing is drawn.
    QImage device(1, 1, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(Dpi / 0.0254);
    device.setDotsPerMeterX(dotsPerMeter);
    device.setDotsPerMeterY(dotsPerMeter);
    const QRect twips = textAreaTwips(s, device.logicalDpiX(), device.logicalDpiY());
    FormatRange range(letter);
    const int length = range.textLength();
    int pages = 0;
    for (int start = 0;;) {
        const int end = range.measureRange(&device, twips, start);
        ++pages;
        if (lastRange(start, end, length))
            break;
        start = end;
    }
    return pages;
}
