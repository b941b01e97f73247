#pragma once

#include <QBrush>
#include <QPen>
#include <QString>

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
    Kind kind = Kind::Empty;
    QPen pen;       // width in logical units; 0 draws one pixel wide
    QBrush brush;
    MetafileFont font;
};
