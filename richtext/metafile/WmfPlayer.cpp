#include "richtext/metafile/WmfPlayer.h"

#include "richtext/metafile/MetafileBytes.h"
#include "richtext/metafile/MetafileCanvas.h"
#include "richtext/metafile/MetafileObject.h"

#include <QPainter>
#include <set>
#include <vector>

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint32_t kSrcCopy = 0x00CC0020;

// Record functions.
enum : uint16_t {
    Eof = 0x0000, SetBkColor = 0x0201, SetBkMode = 0x0102, SetMapMode = 0x0103, SetPolyFillMode = 0x0106,
    SetTextColor = 0x0209, SetTextAlign = 0x012E, SetWindowOrg = 0x020B, SetWindowExt = 0x020C,
    OffsetWindowOrg = 0x020F, ScaleWindowExt = 0x0410, LineTo = 0x0213, MoveTo = 0x0214, ExcludeClipRect = 0x0415,
    IntersectClipRect = 0x0416, Arc = 0x0817, Ellipse = 0x0418, Rectangle = 0x041B, RoundRect = 0x061C,
    SaveDc = 0x001E, RestoreDc = 0x0127, Pie = 0x081A, Chord = 0x0830, Polygon = 0x0324, Polyline = 0x0325,
    PolyPolygon = 0x0538, SelectObject = 0x012D, DeleteObject = 0x01F0, CreatePenIndirect = 0x02FA,
    CreateBrushIndirect = 0x02FC, CreateFontIndirect = 0x02FB, DibCreatePatternBrush = 0x0142,
    CreatePatternBrush = 0x01F9, CreatePalette = 0x00F7, CreateRegion = 0x06FF, TextOut = 0x0521,
    ExtTextOut = 0x0A32, DibBitBlt = 0x0940, DibStretchBlt = 0x0B41, StretchDib = 0x0F43, SetDibToDev = 0x0D33,
    SetPixel = 0x041F, SelectClipRegion = 0x012C,
};

class WmfSession
{
public:
    WmfSession(MetafileCanvas &canvas, uint16_t objectCount)
        : m_canvas(canvas)
        , m_objectCount(objectCount)
    {
    }

    void record(uint16_t function, const MetafileBytes &r);

private:
    // Parameter i of the record (16-bit words after the size and function).
    int p(const MetafileBytes &r, size_t i) const { return r.i16(6 + 2 * i); }
    QColor color(const MetafileBytes &r, size_t i) const
    {
        const size_t at = 6 + 2 * i;
        return QColor(r.u8(at), r.u8(at + 1), r.u8(at + 2));
    }
    // Left, top, right, bottom stored as bottom, right, top, left from parameter i.
    QRectF rect(const MetafileBytes &r, size_t i) const
    {
        return QRectF(QPointF(p(r, i + 3), p(r, i + 2)), QPointF(p(r, i + 1), p(r, i)));
    }
    QPolygonF points(const MetafileBytes &r, size_t at, size_t count) const;
    // A new object takes the lowest free slot of the table.
    MetafileObject *create();
    void select(uint16_t index);
    void text(const MetafileBytes &r, size_t stringAt, size_t count, QPointF reference, int options,
              std::optional<QRectF> box, size_t dxAt);
    void bitmap(const MetafileBytes &r, size_t dibAt, QRectF target, QRectF source, uint32_t rop);

    MetafileCanvas &m_canvas;
    uint16_t m_objectCount;
    std::vector<MetafileObject> m_objects;
    std::set<uint16_t> m_free; // freed slots below m_objects.size()
};

QPolygonF WmfSession::points(const MetafileBytes &r, size_t at, size_t count) const
{
    QPolygonF polygon;
    if (!r.has(at, 0) || count > (r.size() - at) / 4)
        return polygon;
    polygon.reserve(static_cast<qsizetype>(count));
    for (size_t i = 0; i < count; ++i, at += 4)
        polygon << QPointF(r.i16(at), r.i16(at + 2));
    return polygon;
}

MetafileObject *WmfSession::create()
{
    if (!m_free.empty()) {
        const uint16_t index = *m_free.begin();
        m_free.erase(m_free.begin());
        return &m_objects[index];
    }
    if (m_objects.size() >= m_objectCount)
        return nullptr;
    m_objects.emplace_back();
    return &m_objects.back();
}

void WmfSession::select(uint16_t index)
{
    if (index < m_objects.size())
        m_canvas.state().select(m_objects[index]);
}

void WmfSession::text(const MetafileBytes &r, size_t stringAt, size_t count, QPointF reference, int options,
                      std::optional<QRectF> box, size_t dxAt)
{
    const std::string_view bytes = r.slice(stringAt, count);
    std::vector<double> advances;
    if (dxAt && r.has(dxAt, count * 2)) {
        advances.reserve(count);
        for (size_t i = 0; i < count; ++i)
            advances.push_back(r.i16(dxAt + 2 * i));
    }
    m_canvas.text(reference, QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())), advances, options, box);
}

void WmfSession::bitmap(const MetafileBytes &r, size_t dibAt, QRectF target, QRectF source, uint32_t rop)
{
    const std::string_view dib = r.slice(dibAt, r.size() - std::min(r.size(), dibAt));
    m_canvas.bitmap(target, dib, 0, source, rop);
}

void WmfSession::record(uint16_t function, const MetafileBytes &r)
{
    MetafileState &s = m_canvas.state();
    switch (function) {
    case SetBkColor: s.backgroundColor = color(r, 0); break;
    case SetBkMode: s.opaqueBackground = p(r, 0) == 2; break;
    case SetMapMode:
        // The image is the viewport: only whether units are square matters.
        s.mapMode = p(r, 0) == MetafileState::Isotropic ? MetafileState::Isotropic : MetafileState::Anisotropic;
        break;
    case SetPolyFillMode: s.fillRule = p(r, 0) == 2 ? Qt::WindingFill : Qt::OddEvenFill; break;
    case SetTextColor: s.textColor = color(r, 0); break;
    case SetTextAlign: s.textAlign = static_cast<uint16_t>(p(r, 0)); break;
    case SetWindowOrg: s.windowOrg = QPointF(p(r, 1), p(r, 0)); break;
    case SetWindowExt: s.windowExt = QSizeF(p(r, 1), p(r, 0)); break;
    case OffsetWindowOrg: s.windowOrg += QPointF(p(r, 1), p(r, 0)); break;
    case ScaleWindowExt:
        if (p(r, 0) != 0 && p(r, 2) != 0)
            s.windowExt = QSizeF(s.windowExt.width() * p(r, 3) / p(r, 2), s.windowExt.height() * p(r, 1) / p(r, 0));
        break;
    case LineTo: m_canvas.lineTo(QPointF(p(r, 1), p(r, 0))); break;
    case MoveTo: m_canvas.moveTo(QPointF(p(r, 1), p(r, 0))); break;
    case ExcludeClipRect: m_canvas.clipRect(rect(r, 0), MetafileCanvas::ClipDiff); break;
    case IntersectClipRect: m_canvas.clipRect(rect(r, 0), MetafileCanvas::ClipAnd); break;
    case Ellipse: m_canvas.ellipse(rect(r, 0)); break;
    case Rectangle: m_canvas.rectangle(rect(r, 0)); break;
    case RoundRect: m_canvas.roundRect(rect(r, 2), QSizeF(p(r, 1), p(r, 0))); break;
    case Arc: case Pie: case Chord: {
        const MetafileCanvas::ArcKind kind = function == Chord ? MetafileCanvas::ArcKind::Chord
                                             : function == Pie ? MetafileCanvas::ArcKind::Pie
                                                               : MetafileCanvas::ArcKind::Arc;
        m_canvas.arc(kind, rect(r, 4), QPointF(p(r, 3), p(r, 2)), QPointF(p(r, 1), p(r, 0)));
        break;
    }
    case SaveDc: m_canvas.save(); break;
    case RestoreDc: m_canvas.restore(p(r, 0)); break;
    case Polygon: m_canvas.polygons({points(r, 8, static_cast<uint16_t>(p(r, 0)))}); break;
    case Polyline: m_canvas.polyline(points(r, 8, static_cast<uint16_t>(p(r, 0)))); break;
    case PolyPolygon: {
        const size_t count = static_cast<uint16_t>(p(r, 0));
        if (!r.has(8, count * 2))
            break;
        size_t at = 8 + count * 2;
        std::vector<QPolygonF> polygons;
        polygons.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            const size_t n = static_cast<uint16_t>(p(r, 1 + i));
            QPolygonF polygon = points(r, at, n);
            if (static_cast<size_t>(polygon.size()) != n)
                break;
            polygons.push_back(std::move(polygon));
            at += n * 4;
        }
        m_canvas.polygons(polygons);
        break;
    }
    case SelectObject: select(static_cast<uint16_t>(p(r, 0))); break;
    case DeleteObject: {
        const uint16_t index = static_cast<uint16_t>(p(r, 0));
        if (index < m_objects.size() && m_objects[index].kind != MetafileObject::Kind::Empty) {
            m_objects[index] = MetafileObject();
            m_free.insert(index);
        }
        break;
    }
    case CreatePenIndirect:
        if (MetafileObject *o = create()) {
            o->kind = MetafileObject::Kind::Pen;
            o->pen = MetafileObject::gdiPen(static_cast<uint16_t>(p(r, 0)), p(r, 1), color(r, 3), false);
        }
        break;
    case CreateBrushIndirect:
        if (MetafileObject *o = create()) {
            o->kind = MetafileObject::Kind::Brush;
            o->brush = MetafileObject::gdiBrush(static_cast<uint16_t>(p(r, 0)), color(r, 1), static_cast<uint16_t>(p(r, 3)));
        }
        break;
    case CreateFontIndirect:
        if (MetafileObject *o = create()) {
            o->kind = MetafileObject::Kind::Font;
            o->font.height = p(r, 0);
            o->font.escapement = p(r, 2);
            o->font.weight = p(r, 4);
            o->font.italic = r.u8(16);
            o->font.underline = r.u8(17);
            o->font.strikeOut = r.u8(18);
            const std::string_view face = r.slice(24, std::min<size_t>(32, r.size() - std::min<size_t>(r.size(), 24)));
            o->font.face = QString::fromLatin1(face.data(), static_cast<qsizetype>(face.size()));
            o->font.face.truncate(o->font.face.indexOf(QChar(0)) < 0 ? o->font.face.size() : o->font.face.indexOf(QChar(0)));
        }
        break;
    case DibCreatePatternBrush:
        if (MetafileObject *o = create()) {
            const QImage pattern = m_canvas.bitmap(r.slice(10, r.size() - std::min<size_t>(r.size(), 10)), 0);
            o->kind = MetafileObject::Kind::Brush;
            o->brush = pattern.isNull() ? QBrush(Qt::gray) : QBrush(pattern);
        }
        break;
    case CreatePatternBrush:
        if (MetafileObject *o = create()) {
            o->kind = MetafileObject::Kind::Brush;
            o->brush = QBrush(Qt::gray);
        }
        break;
    case CreatePalette: case CreateRegion:
        if (MetafileObject *o = create())
            o->kind = MetafileObject::Kind::Other;
        break;
    case TextOut: {
        const size_t count = static_cast<uint16_t>(p(r, 0));
        const size_t after = 8 + (count + 1) / 2 * 2;
        text(r, 8, count, QPointF(r.i16(after + 2), r.i16(after)), 0, std::nullopt, 0);
        break;
    }
    case ExtTextOut: {
        const size_t count = static_cast<uint16_t>(p(r, 2));
        const int options = static_cast<uint16_t>(p(r, 3));
        size_t at = 14;
        std::optional<QRectF> box;
        if (options & (MetafileCanvas::TextOpaque | MetafileCanvas::TextClipped)) {
            box = QRectF(QPointF(p(r, 4), p(r, 5)), QPointF(p(r, 6), p(r, 7)));
            at += 8;
        }
        const size_t dxAt = at + (count + 1) / 2 * 2;
        text(r, at, count, QPointF(p(r, 1), p(r, 0)), options, box, r.has(dxAt, count * 2) ? dxAt : 0);
        break;
    }
    case DibBitBlt:
        if (r.size() <= 24) // no bitmap: a fill with the brush
            m_canvas.patternFill(QRectF(p(r, 8), p(r, 7), p(r, 6), p(r, 5)), r.u32(6));
        else
            bitmap(r, 22, QRectF(p(r, 7), p(r, 6), p(r, 5), p(r, 4)), QRectF(p(r, 3), p(r, 2), p(r, 5), p(r, 4)), r.u32(6));
        break;
    case DibStretchBlt:
        if (r.size() <= 28)
            m_canvas.patternFill(QRectF(p(r, 10), p(r, 9), p(r, 8), p(r, 7)), r.u32(6));
        else
            bitmap(r, 26, QRectF(p(r, 9), p(r, 8), p(r, 7), p(r, 6)), QRectF(p(r, 5), p(r, 4), p(r, 3), p(r, 2)), r.u32(6));
        break;
    case StretchDib:
        bitmap(r, 28, QRectF(p(r, 10), p(r, 9), p(r, 8), p(r, 7)), QRectF(p(r, 6), p(r, 5), p(r, 4), p(r, 3)), r.u32(6));
        break;
    case SetDibToDev:
        bitmap(r, 24, QRectF(p(r, 8), p(r, 7), p(r, 6), p(r, 5)), QRectF(p(r, 4), p(r, 3), p(r, 6), p(r, 5)), kSrcCopy);
        break;
    case SetPixel: m_canvas.setPixel(QPointF(p(r, 3), p(r, 2)), color(r, 0)); break;
    case SelectClipRegion: m_canvas.setClipRects({}, MetafileCanvas::ClipCopy); break;
    default: break;
    }
}

} // namespace

QRectF WmfPlayer::placeableBox(std::string_view bytes, int &unitsPerInch)
{
    const MetafileBytes wmf(bytes);
    unitsPerInch = 0;
    if (wmf.u32(0) != kPlaceableKey || !wmf.has(0, 22))
        return QRectF();
    unitsPerInch = wmf.u16(14);
    return QRectF(QPointF(wmf.i16(6), wmf.i16(8)), QPointF(wmf.i16(10), wmf.i16(12))).normalized();
}

int WmfPlayer::play(std::string_view bytes, QPainter &painter, const QSize &size, const QSizeF &window, qint64 budgetMs)
{
    const MetafileBytes wmf(bytes);
    int unitsPerInch = 0;
    const QRectF box = placeableBox(bytes, unitsPerInch);
    const size_t start = wmf.u32(0) == kPlaceableKey ? 22 : 0;
    const uint16_t type = wmf.u16(start), headerWords = wmf.u16(start + 2);
    if ((type != 1 && type != 2) || headerWords != 9 || !wmf.has(start, 18) || size.isEmpty())
        return 0;
    MetafileCanvas canvas(painter, size, QTransform(), 96 / 25.4, budgetMs);
    MetafileState &s = canvas.state();
    s.mapMode = MetafileState::Anisotropic;
    s.viewportExt = QSizeF(size);
    if (!box.isEmpty()) {
        s.windowOrg = box.topLeft();
        s.windowExt = box.size();
    } else {
        s.windowExt = window.isEmpty() ? QSizeF(size) : window;
    }
    WmfSession session(canvas, wmf.u16(start + 10));

    size_t at = start + 18;
    for (size_t n = 0; n < kMaxRecords && wmf.has(at, 6); ++n) {
        const uint64_t length = uint64_t(wmf.u32(at)) * 2;
        const uint16_t function = wmf.u16(at + 4);
        if (function == Eof || length < 6 || !wmf.has(at, length))
            break;
        session.record(function, MetafileBytes(wmf.slice(at, length)));
        if (canvas.outOfTime())
            break;
        at += length;
    }
    return canvas.drawn();
}
