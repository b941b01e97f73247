#pragma once

#include <QColor>
#include <QPalette>

// Colour contrast as the accessibility guidelines measure it, and a desktop palette mended
// where its selection would be hard to read.
class ReadablePalette
{
public:
    // Normal text needs 4.5:1 against its background; pictures and large text 3:1.
    static constexpr double kText = 4.5;
    static constexpr double kGraphics = 3.0;

    // The contrast ratio of two colours, 1 to 21.
    static double contrast(const QColor &a, const QColor &b);
    // `palette` with each selection colour darkened or lightened until the selected text
    // reads at kText; everything else as it was.
    static QPalette adjusted(QPalette palette);

private:
    static double luminance(const QColor &c);
};
