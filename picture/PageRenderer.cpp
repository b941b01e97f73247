#include "PageRenderer.h"

#include "AppError.h"
#include "ConfigSettings.h"
#include "DefaultFont.h"
#include "FormatRange.h"
#include "MessagePump.h"

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QPainter>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

namespace {

// A pixel length as twips on one axis, truncating. 64-bit in between so that a
// hand-edited size cannot overflow.
int pixelsToTwips(int pixels, int dpi)
{
    return static_cast<int>(static_cast<long long>(pixels) * 1440 / dpi);
}

} // namespace

PageRenderer::PageRenderer(const ConfigSettings &settings)
    : settings_(settings)
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

void PageRenderer::drawPageNumber(QImage &surface, int page) const
{
    const QString text = pageNumberText(page);
    const QPoint at = pageNumberPosition(settings_.PIC_W, settings_.PIC_H);
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
    const ConfigSettings &s = settings_;
    int pageCount = 0;
    compressNs_ = 0;
    if (!pageSizeValid(s.PIC_W, s.PIC_H))
        throw AppError("Picture size out of range: " + std::to_string(s.PIC_W) + " x " + std::to_string(s.PIC_H));

    QImage surface(s.PIC_W, s.PIC_H, QImage::Format_RGB32);
    if (surface.isNull())
        throw AppError("Out of memory for a picture of " + std::to_string(s.PIC_W) + " x " + std::to_string(s.PIC_H));
    const int dotsPerMeter = qRound(Dpi / 0.0254);
    surface.setDotsPerMeterX(dotsPerMeter);
    surface.setDotsPerMeterY(dotsPerMeter);
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
    int start = 0;
    for (int page = 1;; ++page) {
        if (clearArea.isValid()) {
            QPainter painter(&surface);
            painter.fillRect(clearArea, Qt::white);
        }
        const int end = range.formatRange(&surface, twips, start);
        if (s.PIC_PageNumber)
            drawPageNumber(surface, page);
        if (surfaceReady)
            surfaceReady(page, surface);

        QElapsedTimer clock;
        clock.start();
        const std::string_view jpeg = encoder_.compress(surface, s.PIC_Quality);
        compressNs_ += clock.nsecsElapsed();
        ++pageCount;
        if (cancelled && cancelled())
            break;
        if (pageReady)
            pageReady(page, jpeg);

        // An empty letter is complete on its first page.
        const int percent = length > 0 ? static_cast<int>(std::nearbyint(std::max(end, 0) * 100.0 / length)) : 100;
        if (progress)
            progress(std::clamp(percent, 0, 100));
        MessagePump::serve();

        if (end == start || end < 0 || end >= length)
            break;
        start = end;
    }
    range.release();
    return pageCount;
}
