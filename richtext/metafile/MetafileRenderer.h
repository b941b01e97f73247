#pragma once

#include "richtext/metafile/MetafileCanvas.h"

#include <QImage>
#include <QSizeF>
#include <QString>
#include <string_view>

// Metafile pictures as images: the bytes of an EMF or WMF in, an image of the asked size
// out. Also the stand-in drawn for a picture that cannot be drawn.
class MetafileRenderer
{
public:
    enum class Format { Emf, Wmf };

    // Largest image made, in pixels.
    static constexpr qint64 kMaxPixels = 16 * 1024 * 1024;

    // The picture drawn over a transparent image of the given size; a null image when the
    // bytes are no metafile of that format, nothing in them could be drawn, or the size is
    // empty or larger than kMaxPixels. shown is the size the picture is shown at (96 dpi
    // pixels): the units of a WMF that gives no size of its own. A picture that takes
    // longer than budgetMs to draw stops there and keeps what it drew.
    static QImage render(std::string_view bytes, Format format, const QSize &size, const QSizeF &shown = QSizeF(),
                         qint64 budgetMs = MetafileCanvas::kTimeBudgetMs);

    // The picture's own size in pixels at 96 dpi from its header; an empty size when the
    // header does not give one.
    static QSizeF naturalSize(std::string_view bytes, Format format);

    // A light frame of the given size with the label written in it, for pictures that
    // cannot be drawn.
    static QImage placeholder(const QSize &size, const QString &label);
};
