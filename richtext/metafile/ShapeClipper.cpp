#include "richtext/metafile/ShapeClipper.h"

#include <algorithm>

namespace {

// One step of Sutherland-Hodgman: the polygon cut to the inner side of one edge of the box.
// cross gives the point where a segment from one side to the other meets the edge.
template<typename Inside, typename Cross>
QPolygonF clipSide(const QPolygonF &in, Inside inside, Cross cross)
{
    QPolygonF out;
    if (in.isEmpty())
        return out;
    out.reserve(in.size() + 4);
    QPointF previous = in.last();
    bool previousInside = inside(previous);
    for (const QPointF &p : in) {
        const bool pInside = inside(p);
        if (pInside != previousInside)
            out << cross(previous, p);
        if (pInside)
            out << p;
        previous = p;
        previousInside = pInside;
    }
    return out;
}

QPointF atX(const QPointF &a, const QPointF &b, double x)
{
    return QPointF(x, a.y() + (x - a.x()) / (b.x() - a.x()) * (b.y() - a.y()));
}

QPointF atY(const QPointF &a, const QPointF &b, double y)
{
    return QPointF(a.x() + (y - a.y()) / (b.y() - a.y()) * (b.x() - a.x()), y);
}

} // namespace

QPolygonF ShapeClipper::clipPolygon(const QPolygonF &polygon, const QRectF &box)
{
    const double left = box.left(), right = box.right(), top = box.top(), bottom = box.bottom();
    QPolygonF p = clipSide(polygon, [&](const QPointF &q) { return q.x() >= left; },
                           [&](const QPointF &a, const QPointF &b) { return atX(a, b, left); });
    p = clipSide(p, [&](const QPointF &q) { return q.x() <= right; },
                 [&](const QPointF &a, const QPointF &b) { return atX(a, b, right); });
    p = clipSide(p, [&](const QPointF &q) { return q.y() >= top; },
                 [&](const QPointF &a, const QPointF &b) { return atY(a, b, top); });
    p = clipSide(p, [&](const QPointF &q) { return q.y() <= bottom; },
                 [&](const QPointF &a, const QPointF &b) { return atY(a, b, bottom); });
    return p.size() >= 3 ? p : QPolygonF();
}

std::vector<QPolygonF> ShapeClipper::clipPolyline(const QPolygonF &line, const QRectF &box)
{
    std::vector<QPolygonF> pieces;
    bool joined = false; // the last piece ends where the next segment starts
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1], b = line[i];
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {a.x() - box.left(), box.right() - a.x(), a.y() - box.top(), box.bottom() - a.y()};
        double t0 = 0, t1 = 1;
        bool visible = true;
        for (int k = 0; k < 4 && visible; ++k) {
            if (p[k] == 0) {
                visible = q[k] >= 0;
                continue;
            }
            const double t = q[k] / p[k];
            if (p[k] < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
            visible = t0 <= t1;
        }
        if (!visible) {
            joined = false;
            continue;
        }
        const QPointF from = t0 == 0 ? a : a + t0 * QPointF(dx, dy);
        const QPointF to = t1 == 1 ? b : a + t1 * QPointF(dx, dy);
        if (!(joined && t0 == 0))
            pieces.push_back(QPolygonF{from});
        pieces.back() << to;
        joined = t1 == 1;
    }
    return pieces;
}

QPainterPath ShapeClipper::clipped(const QPainterPath &path, const QTransform &toImage, const QRectF &box, bool forStroke)
{
    const QTransform back = toImage.inverted();
    QPainterPath out;
    out.setFillRule(path.fillRule());
    for (const QPolygonF &figure : path.toSubpathPolygons(toImage)) {
        if (figure.size() < 2)
            continue;
        const bool closed = figure.size() > 2 && figure.first() == figure.last();
        if (forStroke && !closed) {
            for (const QPolygonF &piece : clipPolyline(figure, box))
                out.addPolygon(back.map(piece));
            continue;
        }
        const QPolygonF cut = clipPolygon(figure, box);
        if (cut.isEmpty())
            continue;
        out.addPolygon(back.map(cut));
        out.closeSubpath();
    }
    return out;
}

QPainterPath ShapeClipper::forFill(const QPainterPath &path, const QTransform &toImage, const QRectF &box)
{
    return clipped(path, toImage, box, false);
}

QPainterPath ShapeClipper::forStroke(const QPainterPath &path, const QTransform &toImage, const QRectF &box)
{
    return clipped(path, toImage, box, true);
}
