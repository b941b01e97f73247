#pragma once

#include <QImage>
#include <QRectF>
#include <string_view>

class QPainter;

// Plays a Windows metafile (WMF, with or without its placeable header) onto an image: the
// records of drawing, window mapping, objects, clipping, text and bitmaps that real files
// use. The picture's window (from the file, or the placeable header's box) fills the image.
class WmfPlayer
{
public:
    static constexpr size_t kMaxRecords = 2000000;

    // The placeable header's box in its own units and those units per inch; an empty
    // rectangle when the file has none.
    static QRectF placeableBox(std::string_view wmf, int &unitsPerInch);

    // Draws the whole picture into painter's image of the given size, or as much of it as
    // budgetMs of drawing time allows; returns the number of drawing operations done (0:
    // nothing could be drawn). A file that sets no window of its own and has no placeable
    // header is taken to be window units wide and high.
    static int play(std::string_view wmf, QPainter &painter, const QSize &size, const QSizeF &window, qint64 budgetMs);
};
