#include "richtext/metafile/MetafileState.h"

MetafileState::MetafileState()
    : pen(Qt::black, 0)
    , brush(Qt::white)
{
    pen.setCosmetic(true);
}

QTransform MetafileState::pageToDevice(double devicePixelsPerMm) const
{
    // Fixed modes: logical units of a set size, y growing upwards.
    double mm = 0;
    switch (mapMode) {
    case LoMetric: mm = 0.1; break;
    case HiMetric: mm = 0.01; break;
    case LoEnglish: mm = 0.254; break;
    case HiEnglish: mm = 0.0254; break;
    case Twips: mm = 25.4 / 1440; break;
    default: break;
    }
    double sx = 1, sy = 1;
    if (mm > 0) {
        sx = mm * devicePixelsPerMm;
        sy = -sx;
    } else if (mapMode == Isotropic || mapMode == Anisotropic) {
        if (windowExt.width() != 0 && windowExt.height() != 0) {
            sx = viewportExt.width() / windowExt.width();
            sy = viewportExt.height() / windowExt.height();
        }
        if (mapMode == Isotropic) {
            // One unit is as long across as down; each axis keeps its direction.
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = sx < 0 ? -s : s;
            sy = sy < 0 ? -s : s;
        }
    }
    // device = (page - windowOrg) * scale + viewportOrg
    return QTransform(sx, 0, 0, sy, viewportOrg.x() - windowOrg.x() * sx, viewportOrg.y() - windowOrg.y() * sy);
}

void MetafileState::select(const MetafileObject &object)
{
    switch (object.kind) {
    case MetafileObject::Kind::Pen: pen = object.pen; break;
    case MetafileObject::Kind::Brush: brush = object.brush; break;
    case MetafileObject::Kind::Font: font = object.font; break;
    default: break;
    }
}
