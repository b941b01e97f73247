#pragma once

#include <QImage>
#include <QRectF>
#include <string_view>

class MetafileBytes;
class MetafileCanvas;
class QPainter;

// Plays an enhanced metafile (EMF) onto an image: the records of drawing, mapping, objects,
// paths, clipping and bitmaps that real files use. EMF+ records in comments are skipped;
// the GDI records such files carry beside them are drawn.
class EmfPlayer
{
public:
    static constexpr size_t kMaxRecords = 2000000;
    static constexpr uint32_t kMaxObjects = 65535;

    // The picture's frame in 0.01 mm from the header; an empty rectangle when the bytes
    // are no EMF.
    static QRectF frame(std::string_view emf);

    // Draws the whole picture into painter's image of the given size, or as much of it as
    // budgetMs of drawing time allows; returns the number of drawing operations done (0:
    // nothing could be drawn).
    static int play(std::string_view emf, QPainter &painter, const QSize &size, qint64 budgetMs);

private:
    struct Header
    {
        QRectF bounds;      // device units
        QRectF frame;       // 0.01 mm
        QSizeF device;      // reference device in pixels
        QSizeF millimeters; // and in millimetres
        uint32_t handles = 0;
    };
    static bool readHeader(const MetafileBytes &emf, Header &header);
};
