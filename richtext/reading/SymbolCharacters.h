#pragma once

#include <QString>
#include <cstdint>

// The characters that the symbol fonts of word processors show at their byte positions,
// as Unicode characters that ordinary faces draw. A bullet written in Symbol or
// Wingdings is a byte (or a private-use code point U+F020..U+F0FF standing for that
// byte); no installed face draws those, so they are read as what they look like.
class SymbolCharacters
{
public:
    enum class Face : uint8_t { Symbol, Wingdings, Webdings };

    // The face whose table serves a font of this name (Symbol for every other name).
    static Face faceOf(const QString &family);
    // The character shown at byte b of the face; 0 when the table has none.
    static char16_t character(Face face, uint8_t b);
    // A private-use code point of a symbol font mapped through the face's table; other
    // characters (and unknown positions) come back unchanged.
    static char16_t fromPrivateUse(Face face, char16_t c);
    // The byte at which the face shows c (0x20..0xFF); 0 when its table has no such byte.
    static uint8_t byteOf(Face face, char16_t c);
};
