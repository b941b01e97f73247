#include "richtext/metafile/EmfPlayer.h"

#include "richtext/metafile/MetafileBytes.h"
#include "richtext/metafile/MetafileCanvas.h"
#include "richtext/metafile/MetafileObject.h"

#include <QPainter>
#include <algorithm>
#include <vector>

namespace {

// Record types.
enum : uint32_t {
    HeaderRecord = 1, PolyBezier = 2, Polygon = 3, Polyline = 4, PolyBezierTo = 5, PolylineTo = 6, PolyPolyline = 7,
    PolyPolygon = 8, SetWindowExtEx = 9, SetWindowOrgEx = 10, SetViewportExtEx = 11, SetViewportOrgEx = 12,
    Eof = 14, SetPixelV = 15, SetMapMode = 17, SetBkMode = 18, SetPolyFillMode = 19, SetTextAlign = 22,
    SetTextColor = 24, SetBkColor = 25, MoveToEx = 27, ExcludeClipRect = 29, IntersectClipRect = 30,
    ScaleViewportExtEx = 31, ScaleWindowExtEx = 32, SaveDc = 33, RestoreDc = 34, SetWorldTransform = 35,
    ModifyWorldTransform = 36, SelectObject = 37, CreatePen = 38, CreateBrushIndirect = 39, DeleteObject = 40,
    Ellipse = 42, Rectangle = 43, RoundRect = 44, Arc = 45, Chord = 46, Pie = 47, LineTo = 54, ArcTo = 55,
    SetArcDirection = 57, BeginPath = 59, EndPath = 60, CloseFigure = 61, FillPath = 62, StrokeAndFillPath = 63,
    StrokePath = 64, SelectClipPath = 67, AbortPath = 68, ExtSelectClipRgn = 75, BitBlt = 76, StretchBlt = 77,
    SetDiBitsToDevice = 80, StretchDiBits = 81, ExtCreateFontIndirectW = 82, ExtTextOutA = 83, ExtTextOutW = 84,
    PolyBezier16 = 85, Polygon16 = 86, Polyline16 = 87, PolyBezierTo16 = 88, PolylineTo16 = 89,
    PolyPolyline16 = 90, PolyPolygon16 = 91, CreateMonoBrush = 93, CreateDibPatternBrushPt = 94, ExtCreatePen = 95,
};

constexpr uint32_t kSignature = 0x464D4520; // " EMF"
constexpr uint32_t kSrcCopy = 0x00CC0020;
constexpr uint32_t kStockObject = 0x80000000;
constexpr int kGlyphIndex = 0x10;
constexpr int kDxPairs = 0x2000;
constexpr size_t kMaxClipRects = 1000;

QColor color(const MetafileBytes &r, size_t at)
{
    return QColor(r.u8(at), r.u8(at + 1), r.u8(at + 2));
}

QRectF rectL(const MetafileBytes &r, size_t at)
{
    return QRectF(QPointF(r.i32(at), r.i32(at + 4)), QPointF(r.i32(at + 8), r.i32(at + 12)));
}

QPointF pointL(const MetafileBytes &r, size_t at)
{
    return QPointF(r.i32(at), r.i32(at + 4));
}

// count points from at, 32-bit (8 bytes each) or 16-bit (4 bytes); empty when the
// record is too short for them.
QPolygonF points(const MetafileBytes &r, size_t at, uint64_t count, bool small)
{
    const size_t each = small ? 4 : 8;
    QPolygonF polygon;
    if (!r.has(at, 0) || count > (r.size() - at) / each)
        return polygon;
    polygon.reserve(static_cast<qsizetype>(count));
    for (uint64_t i = 0; i < count; ++i, at += each)
        polygon << (small ? QPointF(r.i16(at), r.i16(at + 2)) : pointL(r, at));
    return polygon;
}

// PolyPolygon and PolyPolyline: bounds, number of polygons, number of points, the counts,
// then the points.
std::vector<QPolygonF> polyPoints(const MetafileBytes &r, bool small)
{
    std::vector<QPolygonF> result;
    const uint64_t polygons = r.u32(24);
    const uint64_t total = r.u32(28);
    if (polygons > (r.size() - std::min<size_t>(r.size(), 32)) / 4)
        return result;
    const size_t pointsAt = 32 + static_cast<size_t>(polygons) * 4;
    const QPolygonF all = points(r, pointsAt, total, small);
    if (static_cast<uint64_t>(all.size()) != total)
        return result;
    qsizetype next = 0;
    result.reserve(static_cast<size_t>(polygons));
    for (uint64_t i = 0; i < polygons; ++i) {
        const uint32_t count = r.u32(32 + static_cast<size_t>(i) * 4);
        if (count > static_cast<uint64_t>(all.size() - next))
            break;
        result.push_back(all.mid(next, count));
        next += count;
    }
    return result;
}

MetafileObject stockObject(uint32_t which)
{
    MetafileObject o;
    static const int grays[] = {255, 192, 128, 64, 0};
    if (which <= 4 || which == 18) {
        o.kind = MetafileObject::Kind::Brush;
        const int g = which == 18 ? 255 : grays[which];
        o.brush = QBrush(QColor(g, g, g));
    } else if (which == 5) {
        o.kind = MetafileObject::Kind::Brush;
        o.brush = QBrush(Qt::NoBrush);
    } else if (which >= 6 && which <= 8) {
        o.kind = MetafileObject::Kind::Pen;
        o.pen = MetafileObject::gdiPen(which == 8 ? 5 : 0, 0, which == 6 ? Qt::white : Qt::black, true);
    } else if (which == 19) {
        o.kind = MetafileObject::Kind::Pen;
        o.pen = MetafileObject::gdiPen(0, 0, Qt::black, true);
    } else if (which >= 10 && which <= 17) {
        o.kind = MetafileObject::Kind::Font;
    }
    return o;
}

class EmfSession
{
public:
    EmfSession(MetafileCanvas &canvas, uint32_t handles)
        : m_canvas(canvas)
        , m_handles(std::min(handles, EmfPlayer::kMaxObjects))
    {
    }

    void record(uint32_t type, const MetafileBytes &r);

private:
    MetafileObject *slot(uint32_t index)
    {
        if (index == 0 || index >= m_handles)
            return nullptr;
        if (index >= m_objects.size())
            m_objects.resize(index + 1);
        return &m_objects[index];
    }
    void select(uint32_t index);
    void text(const MetafileBytes &r, bool wide);
    void bitmap(const MetafileBytes &r, QRectF target, QRectF source, uint32_t rop, size_t fields);

    MetafileCanvas &m_canvas;
    uint32_t m_handles;
    std::vector<MetafileObject> m_objects;
};

void EmfSession::select(uint32_t index)
{
    const MetafileObject *o = nullptr;
    MetafileObject stock;
    if (index & kStockObject) {
        stock = stockObject(index & ~kStockObject);
        o = &stock;
    } else if (index < m_objects.size()) {
        o = &m_objects[index];
    }
    if (o)
        m_canvas.state().select(*o);
}

void EmfSession::text(const MetafileBytes &r, bool wide)
{
    const QPointF reference = pointL(r, 36);
    const uint32_t chars = r.u32(44);
    const uint32_t offString = r.u32(48);
    const int options = static_cast<int>(r.u32(52));
    const QRectF box = rectL(r, 56);
    const uint32_t offDx = r.u32(72);
    const std::optional<QRectF> rect = box.isNull() ? std::nullopt : std::optional<QRectF>(box);
    QString string;
    if (!(options & kGlyphIndex)) {
        // Glyph indices name glyphs of a face we do not have: only their box is drawn.
        const std::string_view bytes = r.slice(offString, size_t(chars) * (wide ? 2 : 1));
        if (wide)
            string = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.data()), static_cast<qsizetype>(bytes.size() / 2));
        else
            string = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    std::vector<double> advances;
    const size_t step = options & kDxPairs ? 8 : 4;
    if (offDx && r.has(offDx, size_t(chars) * step)) {
        advances.reserve(chars);
        for (uint32_t i = 0; i < chars; ++i)
            advances.push_back(r.i32(offDx + i * step));
    }
    m_canvas.text(reference, string, advances, options, rect);
}

void EmfSession::bitmap(const MetafileBytes &r, QRectF target, QRectF source, uint32_t rop, size_t fields)
{
    const uint32_t offBmi = r.u32(fields), cbBmi = r.u32(fields + 4);
    const uint32_t offBits = r.u32(fields + 8), cbBits = r.u32(fields + 12);
    if (cbBmi == 0) {
        m_canvas.patternFill(target, rop);
        return;
    }
    const std::string_view info = r.slice(offBmi, cbBmi), bits = r.slice(offBits, cbBits);
    if (info.size() < 12 || bits.empty())
        return;
    std::string dib(info);
    dib.append(bits);
    m_canvas.bitmap(target, dib, info.size(), source, rop);
}

void EmfSession::record(uint32_t type, const MetafileBytes &r)
{
    MetafileState &s = m_canvas.state();
    switch (type) {
    case PolyBezier: case PolyBezier16: case PolyBezierTo: case PolyBezierTo16:
        m_canvas.polyBezier(points(r, 28, r.u32(24), type >= PolyBezier16), type == PolyBezierTo || type == PolyBezierTo16);
        break;
    case Polygon: case Polygon16:
        m_canvas.polygons({points(r, 28, r.u32(24), type == Polygon16)});
        break;
    case Polyline: case Polyline16:
        m_canvas.polyline(points(r, 28, r.u32(24), type == Polyline16));
        break;
    case PolylineTo: case PolylineTo16:
        m_canvas.polylineTo(points(r, 28, r.u32(24), type == PolylineTo16));
        break;
    case PolyPolyline: case PolyPolyline16:
        m_canvas.polylines(polyPoints(r, type == PolyPolyline16));
        break;
    case PolyPolygon: case PolyPolygon16:
        m_canvas.polygons(polyPoints(r, type == PolyPolygon16));
        break;
    case SetWindowExtEx: s.windowExt = QSizeF(r.i32(8), r.i32(12)); break;
    case SetWindowOrgEx: s.windowOrg = pointL(r, 8); break;
    case SetViewportExtEx: s.viewportExt = QSizeF(r.i32(8), r.i32(12)); break;
    case SetViewportOrgEx: s.viewportOrg = pointL(r, 8); break;
    case ScaleViewportExtEx: case ScaleWindowExtEx: {
        const double xd = r.i32(12), yd = r.i32(20);
        if (xd == 0 || yd == 0)
            break;
        QSizeF &ext = type == ScaleWindowExtEx ? s.windowExt : s.viewportExt;
        ext = QSizeF(ext.width() * r.i32(8) / xd, ext.height() * r.i32(16) / yd);
        break;
    }
    case SetPixelV: m_canvas.setPixel(pointL(r, 8), color(r, 16)); break;
    case SetMapMode: s.mapMode = static_cast<int>(r.u32(8)); break;
    case SetBkMode: s.opaqueBackground = r.u32(8) == 2; break;
    case SetPolyFillMode: s.fillRule = r.u32(8) == 2 ? Qt::WindingFill : Qt::OddEvenFill; break;
    case SetTextAlign: s.textAlign = static_cast<int>(r.u32(8)); break;
    case SetTextColor: s.textColor = color(r, 8); break;
    case SetBkColor: s.backgroundColor = color(r, 8); break;
    case MoveToEx: m_canvas.moveTo(pointL(r, 8)); break;
    case LineTo: m_canvas.lineTo(pointL(r, 8)); break;
    case ExcludeClipRect: m_canvas.clipRect(rectL(r, 8), MetafileCanvas::ClipDiff); break;
    case IntersectClipRect: m_canvas.clipRect(rectL(r, 8), MetafileCanvas::ClipAnd); break;
    case SaveDc: m_canvas.save(); break;
    case RestoreDc: m_canvas.restore(r.i32(8)); break;
    case SetWorldTransform:
        s.world = QTransform(r.f32(8), r.f32(12), r.f32(16), r.f32(20), r.f32(24), r.f32(28));
        break;
    case ModifyWorldTransform: {
        const QTransform x(r.f32(8), r.f32(12), r.f32(16), r.f32(20), r.f32(24), r.f32(28));
        switch (r.u32(32)) {
        case 1: s.world = QTransform(); break;
        case 2: s.world = x * s.world; break;
        case 3: s.world = s.world * x; break;
        case 4: s.world = x; break;
        default: break;
        }
        break;
    }
    case SelectObject: select(r.u32(8)); break;
    case DeleteObject:
        if (MetafileObject *o = slot(r.u32(8)))
            *o = MetafileObject();
        break;
    case CreatePen:
        if (MetafileObject *o = slot(r.u32(8))) {
            o->kind = MetafileObject::Kind::Pen;
            o->pen = MetafileObject::gdiPen(r.u32(12), r.i32(16), color(r, 24), false);
        }
        break;
    case ExtCreatePen:
        if (MetafileObject *o = slot(r.u32(8))) {
            const uint32_t style = r.u32(28);
            o->kind = MetafileObject::Kind::Pen;
            o->pen = MetafileObject::gdiPen(r.u32(36) == 1 ? 5 : style, r.u32(32), color(r, 40), !(style & 0x10000));
        }
        break;
    case CreateBrushIndirect:
        if (MetafileObject *o = slot(r.u32(8))) {
            o->kind = MetafileObject::Kind::Brush;
            o->brush = MetafileObject::gdiBrush(r.u32(12), color(r, 16), r.u32(20));
        }
        break;
    case CreateMonoBrush: case CreateDibPatternBrushPt:
        if (MetafileObject *o = slot(r.u32(8))) {
            const std::string_view info = r.slice(r.u32(16), r.u32(20)), bits = r.slice(r.u32(24), r.u32(28));
            std::string dib(info);
            dib.append(bits);
            const QImage pattern = info.size() >= 12 ? m_canvas.bitmap(dib, info.size()) : QImage();
            o->kind = MetafileObject::Kind::Brush;
            o->brush = pattern.isNull() ? QBrush(Qt::gray) : QBrush(pattern);
        }
        break;
    case ExtCreateFontIndirectW:
        if (MetafileObject *o = slot(r.u32(8))) {
            o->kind = MetafileObject::Kind::Font;
            o->font.height = r.i32(12);
            o->font.escapement = r.i32(20);
            o->font.weight = r.i32(28);
            o->font.italic = r.u8(32);
            o->font.underline = r.u8(33);
            o->font.strikeOut = r.u8(34);
            const std::string_view face = r.slice(40, 64);
            QString name = QString::fromUtf16(reinterpret_cast<const char16_t *>(face.data()), static_cast<qsizetype>(face.size() / 2));
            o->font.face = name.left(name.indexOf(QChar(0)));
        }
        break;
    case Ellipse: m_canvas.ellipse(rectL(r, 8)); break;
    case Rectangle: m_canvas.rectangle(rectL(r, 8)); break;
    case RoundRect: m_canvas.roundRect(rectL(r, 8), QSizeF(r.i32(24), r.i32(28))); break;
    case Arc: case Chord: case Pie: case ArcTo: {
        const MetafileCanvas::ArcKind kind = type == Chord ? MetafileCanvas::ArcKind::Chord
                                             : type == Pie ? MetafileCanvas::ArcKind::Pie
                                                           : MetafileCanvas::ArcKind::Arc;
        m_canvas.arc(kind, rectL(r, 8), pointL(r, 24), pointL(r, 32));
        break;
    }
    case SetArcDirection: s.clockwiseArcs = r.u32(8) == 2; break;
    case BeginPath: m_canvas.beginPath(); break;
    case EndPath: m_canvas.endPath(); break;
    case CloseFigure: m_canvas.closeFigure(); break;
    case FillPath: m_canvas.fillPath(true, false); break;
    case StrokeAndFillPath: m_canvas.fillPath(true, true); break;
    case StrokePath: m_canvas.fillPath(false, true); break;
    case SelectClipPath: m_canvas.selectClipPath(static_cast<int>(r.u32(8))); break;
    case AbortPath: m_canvas.abortPath(); break;
    case ExtSelectClipRgn: {
        const uint32_t size = r.u32(8);
        const int mode = static_cast<int>(r.u32(12));
        std::vector<QRectF> rects;
        const uint64_t count = size >= 32 ? r.u32(24) : 0;
        if (count > (size - std::min<uint32_t>(size, 32)) / 16 || count > kMaxClipRects || !r.has(48, count * 16))
            break;
        for (uint64_t i = 0; i < count; ++i)
            rects.push_back(rectL(r, 48 + static_cast<size_t>(i) * 16));
        m_canvas.setClipRects(rects, mode);
        break;
    }
    case BitBlt:
        bitmap(r, QRectF(r.i32(24), r.i32(28), r.i32(32), r.i32(36)), QRectF(r.i32(44), r.i32(48), r.i32(32), r.i32(36)),
               r.u32(40), 84);
        break;
    case StretchBlt:
        bitmap(r, QRectF(r.i32(24), r.i32(28), r.i32(32), r.i32(36)), QRectF(r.i32(44), r.i32(48), r.i32(100), r.i32(104)),
               r.u32(40), 84);
        break;
    case StretchDiBits:
        bitmap(r, QRectF(r.i32(24), r.i32(28), r.i32(72), r.i32(76)), QRectF(r.i32(32), r.i32(36), r.i32(40), r.i32(44)),
               r.u32(68), 48);
        break;
    case SetDiBitsToDevice:
        bitmap(r, QRectF(r.i32(24), r.i32(28), r.i32(40), r.i32(44)), QRectF(r.i32(32), r.i32(36), r.i32(40), r.i32(44)),
               kSrcCopy, 48);
        break;
    case ExtTextOutA: text(r, false); break;
    case ExtTextOutW: text(r, true); break;
    default: break; // comments (EMF+ among them), palettes and modes that change nothing drawn
    }
}

} // namespace

bool EmfPlayer::readHeader(const MetafileBytes &emf, Header &header)
{
    if (emf.u32(0) != HeaderRecord || emf.u32(40) != kSignature || emf.u32(4) < 88 || emf.u32(4) > emf.size())
        return false;
    header.bounds = QRectF(QPointF(emf.i32(8), emf.i32(12)), QPointF(emf.i32(16) + 1.0, emf.i32(20) + 1.0));
    header.frame = rectL(emf, 24);
    header.handles = emf.u16(56);
    header.device = QSizeF(emf.i32(72), emf.i32(76));
    header.millimeters = QSizeF(emf.i32(80), emf.i32(84));
    return true;
}

QRectF EmfPlayer::frame(std::string_view bytes)
{
    Header header;
    if (!readHeader(MetafileBytes(bytes), header))
        return QRectF();
    return header.frame.normalized();
}

int EmfPlayer::play(std::string_view bytes, QPainter &painter, const QSize &size, qint64 budgetMs)
{
    const MetafileBytes emf(bytes);
    Header h;
    if (!readHeader(emf, h) || size.isEmpty())
        return 0;
    // Device pixels per millimetre of the reference device, 96 dpi when it is not given.
    const bool deviceKnown = h.device.width() > 0 && h.device.height() > 0 && h.millimeters.width() > 0
                             && h.millimeters.height() > 0;
    const double pxX = deviceKnown ? h.device.width() / h.millimeters.width() : 96 / 25.4;
    const double pxY = deviceKnown ? h.device.height() / h.millimeters.height() : 96 / 25.4;
    // The frame (0.01 mm) in device pixels is the picture; the bounds stand in when the
    // frame is empty.
    QRectF picture(h.frame.left() * pxX / 100, h.frame.top() * pxY / 100, h.frame.width() * pxX / 100,
                   h.frame.height() * pxY / 100);
    picture = picture.normalized();
    if (picture.width() < 1e-6 || picture.height() < 1e-6)
        picture = h.bounds.normalized();
    if (picture.width() < 1e-6 || picture.height() < 1e-6)
        return 0;
    const QTransform deviceToImage = QTransform::fromTranslate(-picture.left(), -picture.top())
                                     * QTransform::fromScale(size.width() / picture.width(), size.height() / picture.height());
    MetafileCanvas canvas(painter, size, deviceToImage, (pxX + pxY) / 2, budgetMs);
    EmfSession session(canvas, h.handles);

    size_t at = 0;
    for (size_t n = 0; n < kMaxRecords && emf.has(at, 8); ++n) {
        const uint32_t type = emf.u32(at);
        const uint32_t length = emf.u32(at + 4);
        if (length < 8 || !emf.has(at, length))
            break;
        if (type == Eof)
            break;
        if (type != HeaderRecord)
            session.record(type, MetafileBytes(emf.slice(at, length)));
        if (canvas.outOfTime())
            break;
        at += length;
    }
    return canvas.drawn();
}
