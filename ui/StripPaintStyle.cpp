#include "ui/StripPaintStyle.h"

#include <QPaintEngine>
#include <QPainter>
#include <QStyleOption>

#include <algorithm>
#include <cmath>

namespace {

// Fewer spans than the engine's threshold in every strip, in device pixels.
constexpr int StripPixels = 88;
// Past any device: a strip's open side.
constexpr int Far = 1 << 20;

bool isWhole(qreal value)
{
    return value == std::round(value);
}

// Strips meet exactly on pixel edges only where the painter maps whole logical pixels to
// whole device pixels: a scale of 1.25 would put a strip's edge through the middle of a pixel.
bool mapsWholePixels(const QTransform &transform)
{
    return transform.type() <= QTransform::TxScale && transform.m11() > 0 && transform.m22() > 0
        && isWhole(transform.m11()) && isWhole(transform.m22()) && isWhole(transform.dx()) && isWhole(transform.dy());
}

// A painter of pixels (not a printer or a picture) whose pixels pieces can part exactly.
bool paintsPixels(const QPainter *painter)
{
    return painter && painter->paintEngine() && painter->paintEngine()->type() == QPaintEngine::Raster
        && mapsWholePixels(painter->deviceTransform());
}

// Calls `draw` once per strip of `rect`, clipped to it; once, unclipped, where strips would
// not help (another paint engine) or could not meet exactly (a turned or finely scaled
// painter), or are not needed.
template <typename Draw>
void drawInStrips(QPainter *painter, const QRect &rect, Draw draw)
{
    if (!paintsPixels(painter)) {
        draw();
        return;
    }
    const QTransform transform = painter->deviceTransform();
    const int stepX = std::max(1, int(StripPixels / transform.m11()));
    const int stepY = std::max(1, int(StripPixels / transform.m22()));
    if (rect.width() <= stepX && rect.height() <= stepY) {
        draw();
        return;
    }
    // The strips part the whole plane, not just the part's rectangle: a style may draw a
    // little beyond it (a line on its edge, at a scale of two, is half outside).
    for (int y = rect.top(); y <= rect.bottom(); y += stepY) {
        const int top = y == rect.top() ? -Far : y;
        const int bottom = y + stepY > rect.bottom() ? Far : y + stepY - 1;
        for (int x = rect.left(); x <= rect.right(); x += stepX) {
            const int left = x == rect.left() ? -Far : x;
            const int right = x + stepX > rect.right() ? Far : x + stepX - 1;
            painter->save();
            painter->setClipRect(QRect(QPoint(left, top), QPoint(right, bottom)), Qt::IntersectClip);
            draw();
            painter->restore();
        }
    }
}

} // namespace

StripPaintStyle::StripPaintStyle(QStyle *base)
    : QProxyStyle(base)
{
}

bool StripPaintStyle::drawsFusion() const
{
    const QStyle *style = baseStyle();
    while (const auto *proxy = qobject_cast<const QProxyStyle *>(style))
        style = proxy->baseStyle();
    return style && style->inherits("QFusionStyle");
}

void StripPaintStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                  const QWidget *widget) const
{
    if (option && element == CE_ToolBar) {
        drawInStrips(painter, option->rect, [&] { QProxyStyle::drawControl(element, option, painter, widget); });
        return;
    }
    const auto *header = qstyleoption_cast<const QStyleOptionHeader *>(option);
    if (element == CE_HeaderSection && header && header->orientation == Qt::Horizontal && paintsPixels(painter)
        && drawsFusion()) {
        // Fusion's section is a gradient from top to bottom with lines along its top and
        // bottom, and at its right edge the lines that part it from the next. Narrower
        // sections, each wider than the part of it that is kept by room for those edge lines
        // (which at twice the scale reach a pixel further in), leave them to the last.
        constexpr int EdgeRoom = 4;
        const int step = std::max(1, int(StripPixels / painter->deviceTransform().m11()) - EdgeRoom);
        const QRect rect = header->rect;
        if (rect.width() > step + EdgeRoom) {
            QStyleOptionHeader piece = *header;
            for (int x = rect.left(); x <= rect.right(); x += step) {
                // The last piece keeps the edge lines whole, so it is never narrower than their room.
                const bool last = rect.right() - x + 1 <= step + EdgeRoom;
                piece.rect = QRect(x, rect.top(), last ? rect.right() - x + 1 : step + EdgeRoom, rect.height());
                painter->save();
                painter->setClipRect(QRect(QPoint(x == rect.left() ? -Far : x, -Far), QPoint(last ? Far : x + step - 1, Far)),
                                     Qt::IntersectClip);
                QProxyStyle::drawControl(element, &piece, painter, widget);
                painter->restore();
                if (last)
                    break;
            }
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}
