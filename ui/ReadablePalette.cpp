#include "ui/ReadablePalette.h"

#include <cmath>

double ReadablePalette::luminance(const QColor &c)
{
    const auto channel = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    const QColor rgb = c.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

double ReadablePalette::contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette ReadablePalette::adjusted(QPalette palette)
{
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        QColor highlight = palette.color(group, QPalette::Highlight);
        const QColor text = palette.color(group, QPalette::HighlightedText);
        // Away from the text's lightness, in small steps, keeping the hue.
        const bool darken = luminance(text) > luminance(highlight);
        for (int step = 0; step < 40 && contrast(highlight, text) < kText; ++step)
            highlight = darken ? highlight.darker(105) : highlight.lighter(105);
        palette.setColor(group, QPalette::Highlight, highlight);
    }
    return palette;
}
