#pragma once

#include <QImage>
#include <string>
#include <string_view>

// Collects the data of one {\pict ...} group and turns it into an image and its displayed
// size. Bitmaps inside Windows metafiles are drawn; a metafile without one becomes a blank
// box of the picture's size.
class RtfPictureReader
{
public:
    enum class Kind { Unknown, Png, Jpeg, Dib, Wmf, Emf };

    static constexpr int kMaxPixels = 10000;         // displayed width or height
    static constexpr qint64 kMaxImagePixels = 64 * 1024 * 1024;
    // Decoded pixels a whole document may hold; pictures beyond it become blank boxes.
    static constexpr qint64 kMaxDocumentPixels = 64 * 1024 * 1024;

    void reset();
    void setKind(Kind kind) { kind_ = kind; }
    // \picw \pich \picwgoal \pichgoal \picscalex \picscaley; values are clamped.
    void setWidth(int v) { width_ = clampSize(v); }
    void setHeight(int v) { height_ = clampSize(v); }
    void setGoalWidth(int v) { goalWidth_ = clampSize(v); }
    void setGoalHeight(int v) { goalHeight_ = clampSize(v); }
    void setScaleX(int v) { scaleX_ = clampScale(v); }
    void setScaleY(int v) { scaleY_ = clampScale(v); }

    // Hex digits (anything else is ignored) and \bin data.
    void addHex(std::string_view text);
    void addBinary(std::string_view bytes);

    // The decoded image (a 1x1 white image when nothing could be decoded) and the size to
    // show it at, in pixels at 96 dpi. PNG and JPEG pictures much larger than their
    // displayed size are decoded at twice that size. Each image counts against
    // pixelBudget, which the caller keeps for the whole document.
    QImage image(double &width, double &height, qint64 &pixelBudget) const;

    // A packed DIB (BITMAPINFO followed by the bits) as an image.
    static QImage imageOfDib(std::string_view dib, size_t headerAndPaletteSize = 0);
    static QImage bitmapOfWmf(std::string_view wmf);
    static QImage bitmapOfEmf(std::string_view emf);

private:
    static int clampSize(int v);
    static int clampScale(int v);

    Kind kind_ = Kind::Unknown;
    int width_ = 0;
    int height_ = 0;
    int goalWidth_ = 0;
    int goalHeight_ = 0;
    int scaleX_ = 100;
    int scaleY_ = 100;
    std::string data_;
    int nibble_ = -1;
};
