#include "richtext/metafile/MetafileCanvas.h"

#include "richtext/metafile/DibImage.h"
#include "richtext/metafile/ShapeClipper.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

// Largest coordinate the mapping may produce, in image pixels: beyond it a damaged
// transform only makes the rasteriser work for nothing.
constexpr double kMaxCoordinate = 1e7;
// A positive font height is the cell height: about 1.15 em in common faces.
constexpr double kCellPerEm = 1.15;
// GDI's default font is about 16 device pixels high.
constexpr double kDefaultFontPixels = 16;

constexpr uint32_t kBlackness = 0x00000042;
constexpr uint32_t kWhiteness = 0x00FF0062;
constexpr uint32_t kSrcAnd = 0x008800C6;
constexpr uint32_t kDstInvert = 0x00550009;
constexpr uint32_t kNoOp = 0x00AA0029;

bool finite(const QTransform &t)
{
    for (double v : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()})
        if (!std::isfinite(v) || std::abs(v) > kMaxCoordinate)
            return false;
    return std::abs(t.determinant()) > 1e-12;
}

// CPU time of the calling thread: what drawing costs, whatever else the machine does.
qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double axisLength(const QTransform &t, double x, double y)
{
    const QPointF v = t.map(QPointF(x, y)) - t.map(QPointF(0, 0));
    return std::hypot(v.x(), v.y());
}

} // namespace

MetafileCanvas::MetafileCanvas(QPainter &painter, const QSize &imageSize, const QTransform &deviceToImage, double devicePixelsPerMm,
                               qint64 budgetMs)
    : m_painter(painter)
    , m_imageSize(imageSize)
    , m_deviceToImage(deviceToImage)
    , m_devicePixelsPerMm(devicePixelsPerMm)
    , m_deadlineNs(threadCpuNs() + std::max<qint64>(0, budgetMs) * 1000000)
{
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

bool MetafileCanvas::save()
{
    if (m_saved.size() >= kMaxSavedStates)
        return false;
    m_saved.push_back(m_state);
    return true;
}

bool MetafileCanvas::restore(int which)
{
    const qint64 count = static_cast<qint64>(m_saved.size());
    const qint64 index = which < 0 ? count + which : qint64(which) - 1;
    if (which == 0 || index < 0 || index >= count)
        return false;
    m_state = m_saved[static_cast<size_t>(index)];
    m_saved.resize(static_cast<size_t>(index));
    return true;
}

QTransform MetafileCanvas::logicalToImage(bool &valid) const
{
    const QTransform t = m_state.world * m_state.pageToDevice(m_devicePixelsPerMm) * m_deviceToImage;
    valid = finite(t);
    return t;
}

bool MetafileCanvas::begin(QTransform &transform)
{
    bool valid;
    transform = logicalToImage(valid);
    if (!valid)
        return false;
    m_painter.resetTransform();
    // Setting a clipping path rasterises it: only when it changed.
    if (!m_clipApplied || m_appliedClip != m_state.clip) {
        if (m_state.clip)
            m_painter.setClipRegion(*m_state.clip);
        else
            m_painter.setClipping(false);
        m_appliedClip = m_state.clip;
        m_clipApplied = true;
    }
    m_painter.setTransform(transform);
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    return true;
}

bool MetafileCanvas::outOfTime()
{
    // Reading the clock costs more than most records: only after work that may have taken
    // long.
    constexpr int kRecordsBetweenChecks = 256;
    if (m_outOfTime || (m_work == m_checkedWork && ++m_uncheckedRecords < kRecordsBetweenChecks))
        return m_outOfTime;
    m_checkedWork = m_work;
    m_uncheckedRecords = 0;
    m_outOfTime = threadCpuNs() >= m_deadlineNs;
    return m_outOfTime;
}

bool MetafileCanvas::spend(const QRectF &imageBox)
{
    const QRectF visible = imageBox.normalized().intersected(QRectF(QPointF(0, 0), QSizeF(m_imageSize)));
    const qint64 budget = kPaintedLayers * m_imageSize.width() * m_imageSize.height() + kPaintedAllowance;
    ++m_work;
    m_painted += static_cast<qint64>(visible.width() * visible.height()) + 64;
    return m_painted <= budget;
}

QPen MetafileCanvas::penFor(const QTransform &transform) const
{
    QPen pen = m_state.pen;
    if (pen.style() == Qt::NoPen)
        return pen;
    const double scale = std::sqrt(std::abs(transform.determinant()));
    const double width = pen.widthF() * scale;
    if (pen.isCosmetic() || width < 1) {
        // GDI draws every pen at least one device pixel wide.
        pen.setCosmetic(true);
        pen.setWidthF(std::max(1.0, std::min(width, 1.0)));
    } else {
        // A pen wider than the picture paints nothing more than the picture.
        const double limit = 2.0 * (m_imageSize.width() + m_imageSize.height());
        if (width > limit)
            pen.setWidthF(limit / scale);
    }
    return pen;
}

void MetafileCanvas::draw(const QPainterPath &path, bool fill, bool stroke)
{
    if (m_pathOpen) {
        addToPath(path);
        return;
    }
    QTransform t;
    if (!begin(t))
        return;
    const QPen pen = penFor(t);
    const double margin = stroke && pen.style() != Qt::NoPen ? (pen.isCosmetic() ? 1 : pen.widthF() * std::sqrt(std::abs(t.determinant()))) : 0;
    const QRectF bounds = t.mapRect(path.boundingRect());
    if (!spend(bounds.adjusted(-margin, -margin, margin, margin)))
        return;
    QPainterPath shape = path;
    shape.setFillRule(m_state.fillRule);
    // A shape reaching far past the picture is cut to a box a few times its size, wide
    // enough that the pen's edges along the box stay out of sight.
    const double reach = kClipReach * std::max(m_imageSize.width(), m_imageSize.height()) + 2 * margin + 2;
    const QRectF box = QRectF(QPointF(0, 0), QSizeF(m_imageSize)).adjusted(-reach, -reach, reach, reach);
    const bool far = bounds.left() < box.left() || bounds.right() > box.right() || bounds.top() < box.top() || bounds.bottom() > box.bottom();
    if (fill && m_state.brush.style() != Qt::NoBrush) {
        const QPainterPath area = far ? ShapeClipper::forFill(shape, t, box) : shape;
        if (m_state.brush.style() > Qt::SolidPattern && m_state.brush.style() < Qt::LinearGradientPattern && m_state.opaqueBackground)
            m_painter.fillPath(area, m_state.backgroundColor); // behind a hatch
        m_painter.fillPath(area, m_state.brush);
    }
    if (stroke && m_state.pen.style() != Qt::NoPen)
        m_painter.strokePath(far ? ShapeClipper::forStroke(shape, t, box) : shape, pen);
    ++m_drawn;
}

void MetafileCanvas::addToPath(const QPainterPath &path)
{
    if (m_path.elementCount() + path.elementCount() > kMaxPathElements)
        return;
    m_path.addPath(path);
}

void MetafileCanvas::moveTo(const QPointF &p)
{
    m_state.current = p;
    if (m_pathOpen && m_path.elementCount() < kMaxPathElements)
        m_path.moveTo(p);
}

void MetafileCanvas::lineTo(const QPointF &p)
{
    if (m_pathOpen) {
        if (m_path.elementCount() == 0)
            m_path.moveTo(m_state.current);
        if (m_path.elementCount() < kMaxPathElements)
            m_path.lineTo(p);
    } else {
        QPainterPath line(m_state.current);
        line.lineTo(p);
        draw(line, false, true);
    }
    m_state.current = p;
}

void MetafileCanvas::polyline(const QPolygonF &points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    draw(path, false, true);
}

void MetafileCanvas::polylineTo(const QPolygonF &points)
{
    if (points.isEmpty())
        return;
    QPolygonF line;
    line.reserve(points.size() + 1);
    line << m_state.current << points;
    if (m_pathOpen) {
        if (m_path.elementCount() == 0)
            m_path.moveTo(m_state.current);
        for (const QPointF &p : points)
            if (m_path.elementCount() < kMaxPathElements)
                m_path.lineTo(p);
    } else {
        polyline(line);
    }
    m_state.current = points.last();
}

void MetafileCanvas::polyBezier(const QPolygonF &points, bool fromCurrent)
{
    const qsizetype first = fromCurrent ? 0 : 1;
    if (points.size() < first + 3)
        return;
    QPainterPath path(fromCurrent ? m_state.current : points[0]);
    qsizetype i = first;
    for (; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    if (m_pathOpen) {
        if (fromCurrent && m_path.elementCount() > 0)
            m_path.connectPath(path);
        else
            addToPath(path);
    } else {
        draw(path, false, true);
    }
    if (fromCurrent)
        m_state.current = points[i - 1];
}

void MetafileCanvas::polygons(const std::vector<QPolygonF> &polygons)
{
    QPainterPath path;
    for (const QPolygonF &polygon : polygons) {
        if (polygon.size() < 2)
            continue;
        path.addPolygon(polygon);
        path.closeSubpath();
    }
    if (!path.isEmpty())
        draw(path, true, true);
}

void MetafileCanvas::polylines(const std::vector<QPolygonF> &polylines)
{
    QPainterPath path;
    for (const QPolygonF &line : polylines)
        if (line.size() >= 2)
            path.addPolygon(line);
    if (!path.isEmpty())
        draw(path, false, true);
}

void MetafileCanvas::rectangle(const QRectF &rect)
{
    QPainterPath path;
    path.addRect(rect.normalized());
    draw(path, true, true);
}

void MetafileCanvas::roundRect(const QRectF &rect, const QSizeF &corner)
{
    QPainterPath path;
    path.addRoundedRect(rect.normalized(), std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
    draw(path, true, true);
}

void MetafileCanvas::ellipse(const QRectF &rect)
{
    QPainterPath path;
    path.addEllipse(rect.normalized());
    draw(path, true, true);
}

QPainterPath MetafileCanvas::arcPath(ArcKind kind, const QRectF &box, const QPointF &start, const QPointF &end) const
{
    const QRectF rect = box.normalized();
    const QPointF c = rect.center();
    const double rx = std::max(rect.width() / 2, 1e-9), ry = std::max(rect.height() / 2, 1e-9);
    // The angle on the ellipse where the line from its centre to the point crosses it;
    // counterclockwise as the picture shows it (y grows downwards).
    auto angle = [&](const QPointF &p) { return qRadiansToDegrees(std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx)); };
    const double a0 = angle(start);
    double sweep = angle(end) - a0;
    if (m_state.clockwiseArcs) {
        while (sweep >= 0)
            sweep -= 360;
    } else {
        while (sweep <= 0)
            sweep += 360;
    }
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(c);
        path.arcTo(rect, a0, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(rect, a0);
        path.arcTo(rect, a0, sweep);
        if (kind == ArcKind::Chord)
            path.closeSubpath();
    }
    return path;
}

void MetafileCanvas::arc(ArcKind kind, const QRectF &rect, const QPointF &start, const QPointF &end)
{
    const QPainterPath path = arcPath(kind, rect, start, end);
    draw(path, kind != ArcKind::Arc, true);
}

void MetafileCanvas::setPixel(const QPointF &p, const QColor &color)
{
    QTransform t;
    if (m_pathOpen || !begin(t))
        return;
    m_painter.resetTransform();
    if (!spend(QRectF(t.map(p), QSizeF(1, 1))))
        return;
    m_painter.fillRect(QRectF(t.map(p), QSizeF(1, 1)), color);
    ++m_drawn;
}

void MetafileCanvas::text(const QPointF &reference, const QString &text, const std::vector<double> &advances, int options,
                          const std::optional<QRectF> &rect)
{
    QTransform t;
    if (m_pathOpen || !begin(t))
        return;
    if (rect && (options & TextOpaque) && spend(t.mapRect(rect->normalized()))) {
        m_painter.fillRect(rect->normalized(), m_state.backgroundColor);
        ++m_drawn;
    }
    if (text.isEmpty())
        return;
    const bool updateCp = m_state.textAlign & MetafileState::UpdateCp;
    const QPointF origin = t.map(updateCp ? m_state.current : reference);
    // Text is drawn upright in image pixels, along the logical x axis as the picture shows
    // it, turned by the font's escapement.
    const QPointF xAxis = t.map(QPointF(1, 0)) - t.map(QPointF(0, 0));
    const double xScale = std::hypot(xAxis.x(), xAxis.y());
    const double yScale = axisLength(t, 0, 1);
    const double angle = qRadiansToDegrees(std::atan2(xAxis.y(), xAxis.x())) - m_state.font.escapement / 10.0;
    const MetafileFont &mf = m_state.font;
    double pixels = mf.height < 0 ? -mf.height * yScale
                    : mf.height > 0 ? mf.height * yScale / kCellPerEm
                                    : kDefaultFontPixels * axisLength(m_deviceToImage, 0, 1);
    // Glyphs are rasterised at this size: a damaged height must not ask for giant ones.
    const double maxPixels = std::max(8.0, std::min(2.0 * m_imageSize.height(), 2000.0));
    pixels = std::clamp(pixels, 1.0, maxPixels);

    QFont font(mf.face.isEmpty() ? QStringLiteral("Sans Serif") : mf.face);
    font.setPixelSize(std::max(1, qRound(pixels)));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(mf.weight == 0 ? 400 : mf.weight, 100, 900)));
    font.setItalic(mf.italic);
    font.setUnderline(mf.underline);
    font.setStrikeOut(mf.strikeOut);
    const QFontMetricsF metrics(font);

    std::vector<double> offsets;
    double total = 0;
    const bool placed = advances.size() == static_cast<size_t>(text.size());
    if (placed) {
        offsets.reserve(advances.size());
        for (double a : advances) {
            offsets.push_back(total);
            total += a * xScale;
        }
    } else {
        total = metrics.horizontalAdvance(text);
    }
    double x = 0, y = 0;
    if ((m_state.textAlign & MetafileState::Center) == MetafileState::Center)
        x = -total / 2;
    else if (m_state.textAlign & MetafileState::Right)
        x = -total;
    if ((m_state.textAlign & MetafileState::Baseline) == MetafileState::Baseline)
        y = 0;
    else if (m_state.textAlign & MetafileState::Bottom)
        y = -metrics.descent();
    else
        y = metrics.ascent();

    if (!spend(QRectF(origin, QSizeF(std::abs(total), metrics.height())).adjusted(-std::abs(total), -metrics.height(), 0, 0)))
        return;
    m_painter.resetTransform();
    if (rect && (options & TextClipped)) {
        QPainterPath box;
        box.addPolygon(t.map(QPolygonF(rect->normalized())));
        m_painter.setClipPath(box, m_state.clip ? Qt::IntersectClip : Qt::ReplaceClip);
        m_clipApplied = false;
    }
    m_painter.translate(origin);
    m_painter.rotate(angle);
    if (m_state.opaqueBackground && !(options & TextOpaque))
        m_painter.fillRect(QRectF(std::min(x, x + total), y - metrics.ascent(), std::abs(total), metrics.height()), m_state.backgroundColor);
    m_painter.setFont(font);
    m_painter.setPen(m_state.textColor);
    if (placed) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            m_painter.drawText(QPointF(x + offsets[static_cast<size_t>(i)], y), text.mid(i, n));
            i += n - 1;
        }
    } else {
        m_painter.drawText(QPointF(x, y), text);
    }
    if (updateCp && xScale > 0)
        m_state.current.rx() += total / xScale;
    ++m_drawn;
}

QImage MetafileCanvas::bitmap(std::string_view packed, size_t headerAndPaletteSize)
{
    qint64 w = 0, h = 0;
    if (!DibImage::size(packed, w, h) || w * std::abs(h) > kMaxBitmapPixels - m_bitmapPixels)
        return QImage();
    m_bitmapPixels += w * std::abs(h);
    return DibImage::decode(packed, headerAndPaletteSize);
}

void MetafileCanvas::bitmap(const QRectF &target, std::string_view packed, size_t headerAndPaletteSize, QRectF source,
                            uint32_t rasterOperation)
{
    const QImage decoded = bitmap(packed, headerAndPaletteSize);
    if (decoded.isNull())
        return;
    // Source rows of a bottom-up bitmap count from its last row.
    qint64 w = 0, h = 0;
    if (DibImage::size(packed, w, h) && h > 0 && !source.isEmpty())
        source.moveTop(decoded.height() - source.bottom());
    image(target, decoded, source, rasterOperation);
}

void MetafileCanvas::image(const QRectF &target, const QImage &image, const QRectF &source, uint32_t rasterOperation)
{
    QTransform t;
    if (image.isNull() || m_pathOpen || rasterOperation == kNoOp || !begin(t) || !spend(t.mapRect(target.normalized())))
        return;
    // A mirrored target turns the bitmap over.
    const bool flipX = target.width() < 0, flipY = target.height() < 0;
    const QImage picture = flipX || flipY ? image.mirrored(flipX, flipY) : image;
    QRectF from = source.isEmpty() ? QRectF(picture.rect()) : source.normalized();
    if (flipX)
        from.moveLeft(picture.width() - from.right());
    if (flipY)
        from.moveTop(picture.height() - from.bottom());
    // A mask ANDed in leaves white alone and darkens with black: a multiply.
    if (rasterOperation == kSrcAnd)
        m_painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    m_painter.drawImage(target.normalized(), picture, from);
    ++m_drawn;
}

void MetafileCanvas::patternFill(const QRectF &target, uint32_t rasterOperation)
{
    QTransform t;
    if (m_pathOpen || rasterOperation == kNoOp || rasterOperation == kDstInvert || !begin(t) || !spend(t.mapRect(target.normalized())))
        return;
    if (rasterOperation == kBlackness)
        m_painter.fillRect(target.normalized(), Qt::black);
    else if (rasterOperation == kWhiteness)
        m_painter.fillRect(target.normalized(), Qt::white);
    else if (m_state.brush.style() != Qt::NoBrush)
        m_painter.fillRect(target.normalized(), m_state.brush);
    ++m_drawn;
}

void MetafileCanvas::beginPath()
{
    m_path = QPainterPath();
    m_path.moveTo(m_state.current);
    m_pathOpen = true;
}

void MetafileCanvas::abortPath()
{
    m_path = QPainterPath();
    m_pathOpen = false;
}

void MetafileCanvas::closeFigure()
{
    if (m_pathOpen)
        m_path.closeSubpath();
}

void MetafileCanvas::fillPath(bool fill, bool stroke)
{
    m_pathOpen = false;
    const QPainterPath path = m_path;
    m_path = QPainterPath();
    if (!path.isEmpty())
        draw(path, fill, stroke);
}

QRegion MetafileCanvas::regionOf(const QPolygonF &imagePolygon, Qt::FillRule rule) const
{
    // Cut to the picture first: the region is made row by row.
    const QRectF whole(QPointF(0, 0), QSizeF(m_imageSize));
    return QRegion(imagePolygon.intersected(QPolygonF(whole)).toPolygon(), rule);
}

void MetafileCanvas::combineClip(const QRegion &region, int mode)
{
    // Regions of pixels, as the device context keeps them: combining them is quick however
    // many rectangles a picture cuts out, where paths would slow every later drawing.
    ++m_work;
    const QRegion current = m_state.clip ? *m_state.clip : QRegion(QRect(QPoint(0, 0), m_imageSize));
    QRegion result;
    switch (mode) {
    case ClipAnd: result = current & region; break;
    case ClipOr: result = current | region; break;
    case ClipXor: result = current ^ region; break;
    case ClipDiff: result = current - region; break;
    case ClipCopy: result = region; break;
    default: return;
    }
    if (result.rectCount() <= kMaxClipRects)
        m_state.clip = result;
}

void MetafileCanvas::selectClipPath(int mode)
{
    m_pathOpen = false;
    bool valid;
    const QTransform t = logicalToImage(valid);
    if (valid && !m_path.isEmpty()) {
        // A path of very many pieces clips to its box.
        const QPolygonF polygon = m_path.elementCount() <= kMaxClipPathElements ? t.map(m_path.toFillPolygon())
                                                                                : t.map(QPolygonF(m_path.boundingRect()));
        combineClip(regionOf(polygon, m_state.fillRule), mode);
    }
    m_path = QPainterPath();
}

void MetafileCanvas::clipRect(const QRectF &rect, int mode)
{
    bool valid;
    const QTransform t = logicalToImage(valid);
    if (!valid)
        return;
    combineClip(regionOf(t.map(QPolygonF(rect.normalized())), Qt::OddEvenFill), mode);
}

void MetafileCanvas::setClipRects(const std::vector<QRectF> &rects, int mode)
{
    if (rects.empty()) {
        if (mode == ClipCopy)
            m_state.clip.reset();
        return;
    }
    QRegion region;
    for (const QRectF &r : rects)
        region |= regionOf(m_deviceToImage.map(QPolygonF(r.normalized())), Qt::OddEvenFill);
    combineClip(region, mode);
}
