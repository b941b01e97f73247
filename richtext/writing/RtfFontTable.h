#pragma once

#include <QString>
#include <vector>

class RtfOutput;

// The fonts of a document being written, each with the RTF charset that its text is
// written in; \f0 is the document's default font.
class RtfFontTable
{
public:
    // The index of family with charset, added on first use.
    int indexOf(const QString &family, int charset);
    int charset(int index) const { return m_fonts[static_cast<size_t>(index)].charset; }
    // The code page text in the font is written in: one of RtfTextDecoder's symbol code
    // pages for a face that reads as a symbol font, 0 where the charset names none.
    int codePage(int index) const;

    // {\fonttbl{\f0\fswiss\fcharset0 Arial;}...}
    void write(RtfOutput &out) const;

    // The charset of a face by its name: 134 for Chinese faces and so on, 2 for symbol
    // fonts, 0 (Latin) for every other face.
    static int charsetOfFamily(const QString &family);

private:
    struct Font
    {
        QString family;
        int charset;
    };
    std::vector<Font> m_fonts;
};
