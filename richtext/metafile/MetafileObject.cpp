#include "richtext/metafile/MetafileObject.h"

QPen MetafileObject::gdiPen(uint32_t style, double width, const QColor &color, bool cosmetic)
{
    static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                          Qt::DashDotDotLine, Qt::NoPen, Qt::SolidLine, Qt::SolidLine, Qt::DotLine};
    QPen p(color);
    const uint32_t kind = style & 0xF;
    p.setStyle(kind < 9 ? styles[kind] : Qt::SolidLine);
    const uint32_t cap = style & 0xF00, join = style & 0xF000;
    p.setCapStyle(cap == 0x100 ? Qt::SquareCap : cap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
    p.setJoinStyle(join == 0x1000 ? Qt::BevelJoin : join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
    p.setCosmetic(cosmetic || width <= 0);
    p.setWidthF(cosmetic || width <= 0 ? 0 : width);
    return p;
}

QBrush MetafileObject::gdiBrush(uint32_t style, const QColor &color, uint32_t hatch)
{
    static const Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern, Qt::BDiagPattern,
                                             Qt::CrossPattern, Qt::DiagCrossPattern};
    if (style == 1)
        return QBrush(Qt::NoBrush);
    if (style == 2)
        return QBrush(color, hatch < 6 ? hatches[hatch] : Qt::SolidPattern);
    return QBrush(color);
}
