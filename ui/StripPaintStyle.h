#pragma once

#include <QProxyStyle>

// The base style, with its long parts drawn in pieces. Qt's raster engine hands a fill of 96
// spans or more to its thread pool and waits for it; a line drawn with a translucent pen is
// one span per pixel, so a window's first paint started threads and spent more time handing
// the style's edge lines to them than drawing them.
// - Tool bars are drawn once per strip, clipped to it: every pixel gets the same operations in
//   the same order, so the picture is the same with any style.
// - Header sections of the Fusion look are drawn whole into a picture of their size, which a
//   clip does not make smaller: they are drawn as narrower sections side by side, each
//   without its right edge but the last. Other styles draw them as they always do.
// Scroll bars stay as they are: Fusion's groove sets a clip of its own, so strips would draw
// its edge once each, and pictures laid over the window do not give the same pixels.
class StripPaintStyle : public QProxyStyle
{
public:
    explicit StripPaintStyle(QStyle *base);

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;

private:
    // Whether the style under all the proxies is Fusion, whose drawing the pieces rely on.
    bool drawsFusion() const;
};
