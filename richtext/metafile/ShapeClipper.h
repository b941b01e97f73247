#pragma once

#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>
#include <vector>

// Cuts a shape that reaches far past the picture down to a box around it before it is
// filled or stroked. The rasteriser's work grows with the length of every edge, drawn or
// not: one vertex millions of pixels away costs seconds, however little of the picture
// the shape covers. Inside the box the result paints exactly what the whole shape would:
// a filled polygon keeps the winding of every point in the box, and a stroked line keeps
// every piece that runs through it.
class ShapeClipper
{
public:
    // The part of path (logical units, drawn through toImage, which must be invertible)
    // that matters for a fill inside box (image pixels), in logical units again. Every
    // figure is closed, as a fill closes it.
    static QPainterPath forFill(const QPainterPath &path, const QTransform &toImage, const QRectF &box);
    // The same for a stroke: closed figures stay closed, open ones are cut into the pieces
    // that run through the box. The box must reach past the picture by more than the pen
    // is wide, so that the edges added along it draw nothing that is seen.
    static QPainterPath forStroke(const QPainterPath &path, const QTransform &toImage, const QRectF &box);

    // A closed polygon cut to the box (Sutherland-Hodgman); empty when nothing is left.
    static QPolygonF clipPolygon(const QPolygonF &polygon, const QRectF &box);
    // The pieces of an open line that lie in the box (Liang-Barsky for each segment).
    static std::vector<QPolygonF> clipPolyline(const QPolygonF &line, const QRectF &box);

private:
    static QPainterPath clipped(const QPainterPath &path, const QTransform &toImage, const QRectF &box, bool forStroke);
};
