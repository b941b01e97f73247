#pragma once

#include "richtext/reading/SymbolCharacters.h"

#include <QString>
#include <QStringDecoder>
#include <array>
#include <map>
#include <memory>
#include <string_view>

// Decodes the bytes of RTF text in a Windows code page (single- or double-byte, through
// the platform's converters; the Mac's code pages and UTF-8 too), or in a symbol font's
// own encoding.
class RtfTextDecoder
{
public:
    // Code page numbers for the symbol fonts, which have no Windows code page.
    static constexpr int kSymbol = -2;
    static constexpr int kWingdings = -3;
    static constexpr int kWebdings = -4;

    static bool isSymbol(int codePage) { return codePage == kSymbol || codePage == kWingdings || codePage == kWebdings; }
    // The table of a symbol code page (Symbol for every other code page).
    static SymbolCharacters::Face symbolFace(int codePage);

    // The code page of an \fcharset value; ansiCodePage for charset 1 and unknown ones.
    static int codePageOfCharset(int charset, int ansiCodePage);
    // The code page text in a font table entry is read in: a symbol code page for the
    // symbol faces, else the entry's \cpg when supported, else its charset's. The writer
    // asks the same, so that what it writes in a font reads back as the same characters.
    static int codePageOfFont(const QString &name, int charset, int codePage, int ansiCodePage);
    // The converter's name of a Windows code page number (also used for writing).
    static QByteArray encodingName(int codePage);
    // True for code pages whose converter exists here.
    static bool isSupported(int codePage);

    // Appends the text of bytes in codePage to out. Unknown code pages read as 1252.
    void decode(std::string_view bytes, int codePage, QString &out);

private:
    struct SingleByte
    {
        std::array<char16_t, 256> table{};
    };
    const SingleByte *singleByte(int codePage);
    const SingleByte *singleByteTable(int codePage);
    QStringDecoder *multiByte(int codePage);

    std::map<int, std::unique_ptr<SingleByte>> m_singleTables;
    int m_lastCodePage = 0;
    const SingleByte *m_lastTable = nullptr;
    std::map<int, std::unique_ptr<QStringDecoder>> m_multiDecoders;
};
