#pragma once

#include <QBrush>
#include <QPen>
#include <QString>
#include <cstdint>

// A font as a metafile describes it (LOGFONT): sizes in logical units.
struct MetafileFont
{
    int height = 0; // < 0: character height, > 0: cell height, 0: the default size
    int escapement = 0; // tenths of a degree, counterclockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face;
};

// An entry of a metafile's object table: what a select puts into the drawing state.
struct MetafileObject
{
    enum class Kind { Empty, Pen, Brush, Font, Other };

    // A pen of a GDI pen style (dashes, end caps, joins); a width of 0, or cosmetic,
    // draws one pixel wide.
    static QPen gdiPen(uint32_t style, double width, const QColor &color, bool cosmetic);
    // A brush of a GDI brush style (solid, null, hatched) and hatch.
    static QBrush gdiBrush(uint32_t style, const QColor &color, uint32_t hatch);
    Kind kind = Kind::Empty;
    QPen pen;       // width in logical units; 0 draws one pixel wide
    QBrush brush;
    MetafileFont font;
};
