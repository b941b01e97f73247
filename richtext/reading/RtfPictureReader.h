#pragma once

#include <QImage>
#include <string>
#include <string_view>

// Collects the data of one {\pict ...} group and turns it into an image and its displayed
// size. Windows metafiles are played; a picture that cannot be drawn becomes a light frame
// of its size with its kind written in it.
class RtfPictureReader
{
public:
    enum class Kind { Unknown, Png, Jpeg, Dib, Wmf, Emf };

    static constexpr int kMaxPixels = 10000;         // displayed width or height
    static constexpr qint64 kMaxImagePixels = 64 * 1024 * 1024;
    // Decoded pixels a whole document may hold; pictures beyond it become blank boxes.
    static constexpr qint64 kMaxDocumentPixels = 64 * 1024 * 1024;

    void reset();
    void setKind(Kind kind) { m_kind = kind; }
    // \picw \pich \picwgoal \pichgoal \picscalex \picscaley; values are clamped.
    void setWidth(int v) { m_width = clampSize(v); }
    void setHeight(int v) { m_height = clampSize(v); }
    void setGoalWidth(int v) { m_goalWidth = clampSize(v); }
    void setGoalHeight(int v) { m_goalHeight = clampSize(v); }
    void setScaleX(int v) { m_scaleX = clampScale(v); }
    void setScaleY(int v) { m_scaleY = clampScale(v); }

    // Hex digits (anything else is ignored) and \bin data.
    void addHex(std::string_view text);
    void addBinary(std::string_view bytes);

    // The decoded image and the size to show it at, in pixels at 96 dpi. PNG and JPEG
    // pictures much larger than their displayed size are decoded at twice that size, and
    // metafiles are drawn at twice it. Each image counts against pixelBudget, which the
    // caller keeps for the whole document; past it pictures share a small stand-in.
    QImage image(double &width, double &height, qint64 &pixelBudget) const;

    // The pixels a PNG or JPEG picture of `pixels` is decoded at when shown at `shown`
    // (pixels at 96 dpi): its own, or at most twice the shown size with the aspect kept.
    // The writer writes pictures no larger, so that they read back as they were written.
    static QSize keptSize(const QSize &pixels, const QSizeF &shown);

    // The JPEG file of a \jpegblip picture whose header reads; empty for other pictures.
    QByteArray jpegBytes() const;

    // What the frame of a picture that cannot be drawn says ("EMF picture", ...).
    static QString label(Kind kind);

private:
    static int clampSize(int v);
    static int clampScale(int v);

    Kind m_kind = Kind::Unknown;
    int m_width = 0;
    int m_height = 0;
    int m_goalWidth = 0;
    int m_goalHeight = 0;
    int m_scaleX = 100;
    int m_scaleY = 100;
    std::string m_data;
    int m_nibble = -1;
};
