#pragma once

#include <QColor>
#include <QString>
#include <array>

// The colours the composer offers for text and for highlighting: the sixteen standard
// colours of the colour drop-downs, in their grid order (two rows of eight), and
// "Automatic", an invalid QColor, which takes the colour away again (the text falls back
// to the default text colour, a highlight to none).
class TextColors
{
public:
    struct Choice
    {
        const char *name; // shown as the swatch's tool tip
        QRgb rgb;
    };
    static constexpr int kCount = 16;
    static const std::array<Choice, kCount> &standard();

    static QColor automatic() { return QColor(); }
    static bool isAutomatic(const QColor &color) { return !color.isValid(); }

    // The name of a standard colour, or its #rrggbb text for any other (a tool tip).
    static QString nameOf(const QColor &color);
    // What the buttons start with: red text, yellow highlight, as word processors do.
    static QColor defaultText();
    static QColor defaultHighlight();
};
