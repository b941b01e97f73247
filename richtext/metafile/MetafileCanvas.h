#pragma once

#include "richtext/metafile/MetafileState.h"

#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <QRegion>
#include <optional>
#include <string_view>
#include <vector>

class QPainter;

// Draws what a metafile's records say onto a QPainter: the GDI drawing model (current
// position, pens, brushes, fonts, paths, clipping, saved states) on top of Qt's. Coordinates
// are the metafile's logical units; the players keep the state's mapping up to date and the
// canvas maps logical units to the image through it. Shared by the EMF and the WMF player.
class MetafileCanvas
{
public:
    static constexpr int kMaxSavedStates = 1000;
    static constexpr int kMaxPathElements = 1000000;
    // Decoded bitmap pixels one picture may draw.
    static constexpr qint64 kMaxBitmapPixels = 32 * 1024 * 1024;
    // Pixels a picture may paint, as a multiple of its own, plus a fixed allowance: enough
    // for layers of fills, bounded for a file of millions of full-size fills.
    static constexpr qint64 kPaintedLayers = 256;
    static constexpr qint64 kPaintedAllowance = 10000000;
    // Rectangles of the clipping region, and elements of a path made the clipping: a
    // picture that cuts out piece after piece keeps the clipping it had.
    static constexpr int kMaxClipRects = 4000;
    static constexpr int kMaxClipPathElements = 4000;
    // A shape that reaches further past the picture than this many times its larger side
    // is cut down before it is filled or stroked.
    static constexpr double kClipReach = 2;
    // The time a picture may take to play, in milliseconds of the drawing thread's CPU
    // time: a picture that needs more stops there and keeps what it drew, and the letter
    // it stands in goes on.
    static constexpr qint64 kTimeBudgetMs = 400;

    enum class ArcKind { Arc, Chord, Pie };
    enum ClipMode { ClipAnd = 1, ClipOr, ClipXor, ClipDiff, ClipCopy };

    // deviceToImage maps the metafile's device units to the image; devicePixelsPerMm gives
    // the fixed mapping modes their size.
    MetafileCanvas(QPainter &painter, const QSize &imageSize, const QTransform &deviceToImage, double devicePixelsPerMm,
                   qint64 budgetMs = kTimeBudgetMs);

    MetafileState &state() { return m_state; }
    void setDeviceToImage(const QTransform &deviceToImage) { m_deviceToImage = deviceToImage; }
    bool save();
    // which < 0: that many states back; which > 0: the state saved as number which.
    bool restore(int which);

    void moveTo(const QPointF &p);
    void lineTo(const QPointF &p);
    void polyline(const QPolygonF &points);
    void polylineTo(const QPolygonF &points);
    // Cubic Bézier curves: a start point and three points per curve, or three points per
    // curve from the current position.
    void polyBezier(const QPolygonF &points, bool fromCurrent);
    void polygons(const std::vector<QPolygonF> &polygons);
    void polylines(const std::vector<QPolygonF> &polylines);
    void rectangle(const QRectF &rect);
    void roundRect(const QRectF &rect, const QSizeF &corner);
    void ellipse(const QRectF &rect);
    void arc(ArcKind kind, const QRectF &rect, const QPointF &start, const QPointF &end);
    void setPixel(const QPointF &p, const QColor &color);

    // Text at a reference point under the state's alignment; advances (logical units per
    // character, optional) place each character. ETO_OPAQUE and ETO_CLIPPED use rect.
    enum TextOption { TextOpaque = 2, TextClipped = 4 };
    void text(const QPointF &reference, const QString &text, const std::vector<double> &advances, int options,
              const std::optional<QRectF> &rect);

    // A bitmap's source rectangle (in its pixels) drawn into a destination rectangle.
    void image(const QRectF &target, const QImage &image, const QRectF &source, uint32_t rasterOperation);
    // A block transfer without a source bitmap: filled with the brush, or black or white.
    void patternFill(const QRectF &target, uint32_t rasterOperation);
    // Decodes a bitmap within the picture's budget of bitmap pixels.
    QImage bitmap(std::string_view packed, size_t headerAndPaletteSize);
    // Decodes a packed DIB and draws its source rectangle (rows counted as the DIB counts
    // them) into the target.
    void bitmap(const QRectF &target, std::string_view packed, size_t headerAndPaletteSize, QRectF source, uint32_t rasterOperation);

    void beginPath();
    void endPath() { m_pathOpen = false; }
    void abortPath();
    void closeFigure();
    void fillPath(bool fill, bool stroke);
    void selectClipPath(int mode);

    // A rectangle in logical units combined with the clipping (IntersectClipRect is
    // ClipAnd, ExcludeClipRect ClipDiff).
    void clipRect(const QRectF &rect, int mode);
    // Rectangles in device units; none with ClipCopy removes the clipping.
    void setClipRects(const std::vector<QRectF> &rects, int mode);

    // Drawing operations carried out (a picture that drew none is shown as not drawable).
    int drawn() const { return m_drawn; }
    // Whether the picture has used up its time; the players ask after every record. The
    // clock is read after every drawing or clipping operation and every few hundred other
    // records.
    bool outOfTime();

private:
    QTransform logicalToImage(bool &valid) const;
    bool begin(QTransform &transform);
    void draw(const QPainterPath &path, bool fill, bool stroke);
    void addToPath(const QPainterPath &path);
    QRegion regionOf(const QPolygonF &imagePolygon, Qt::FillRule rule) const;
    void combineClip(const QRegion &region, int mode);
    QPen penFor(const QTransform &transform) const;
    // Counts the pixels an operation paints (its box in image pixels); false once the
    // picture has painted its allowance, and nothing more is drawn.
    bool spend(const QRectF &imageBox);
    QPainterPath arcPath(ArcKind kind, const QRectF &rect, const QPointF &start, const QPointF &end) const;

    QPainter &m_painter;
    QSize m_imageSize;
    QTransform m_deviceToImage;
    double m_devicePixelsPerMm;
    MetafileState m_state;
    std::vector<MetafileState> m_saved;
    QPainterPath m_path; // logical units, while a path bracket is open or until it is used
    bool m_pathOpen = false;
    qint64 m_bitmapPixels = 0;
    qint64 m_painted = 0;
    std::optional<QRegion> m_appliedClip; // what the painter clips to now
    bool m_clipApplied = false;
    int m_drawn = 0;
    qint64 m_deadlineNs;
    qint64 m_work = 0; // drawing and clipping operations
    qint64 m_checkedWork = 0; // m_work when the clock was last read
    int m_uncheckedRecords = 0;
    bool m_outOfTime = false;
};
