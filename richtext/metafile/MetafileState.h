#pragma once

#include "richtext/metafile/MetafileObject.h"

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QRegion>
#include <QSizeF>
#include <QTransform>
#include <optional>

// The drawing state of a metafile's device context: what SaveDC keeps and RestoreDC brings
// back. Shared by the EMF and the WMF player.
class MetafileState
{
public:
    // Mapping modes of the device context.
    enum MapMode { Text = 1, LoMetric, HiMetric, LoEnglish, HiEnglish, Twips, Isotropic, Anisotropic };
    // Text alignment flags.
    enum TextAlign { UpdateCp = 1, Right = 2, Center = 6, Bottom = 8, Baseline = 24 };

    MetafileState();

    // Page space to device space: the window and viewport under the mapping mode, for a
    // device of the given pixels per millimetre.
    QTransform pageToDevice(double devicePixelsPerMm) const;
    // Makes a pen, brush or font of the object table the one drawn with.
    void select(const MetafileObject &object);

    QPen pen;
    QBrush brush;
    MetafileFont font;
    QColor textColor = Qt::black;
    QColor backgroundColor = Qt::white;
    bool opaqueBackground = true;
    Qt::FillRule fillRule = Qt::OddEvenFill;
    int textAlign = 0;
    bool clockwiseArcs = false;
    QPointF current;
    int mapMode = Text;
    QPointF windowOrg;
    QSizeF windowExt{1, 1};
    QPointF viewportOrg;
    QSizeF viewportExt{1, 1};
    QTransform world;
    std::optional<QRegion> clip; // in image pixels; none: the whole picture
};
