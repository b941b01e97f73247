#pragma once

#include <QProxyStyle>

// The base style, but its tool bars are drawn in strips. Qt's raster engine hands a fill of
// 96 spans or more to its thread pool and waits for it; a line drawn with a translucent pen is
// one span per pixel, so the main window's first paint spent more time handing its tool bars'
// edge lines to other threads than drawing them. Every pixel is drawn by the same operations
// in the same order, so the picture is the same. Parts whose drawing sets a clip of its own
// (a scroll bar's groove) cannot be parted so: their lines would be drawn once per strip.
class StripPaintStyle : public QProxyStyle
{
public:
    explicit StripPaintStyle(QStyle *base);

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
};
