#pragma once

#include "richtext/reading/RtfContent.h"
#include "richtext/reading/RtfGroupState.h"

#include <QColor>
#include <QTextFormat>
#include <array>
#include <map>
#include <unordered_map>
#include <vector>

// The header tables of an RTF text (fonts, colours, link targets) and the conversion of
// the reader's plain properties into Qt formats. Character formats are cached: a letter
// has thousands of runs but few distinct formats.
class RtfFormatFactory
{
public:
    struct Font
    {
        QString name;
        int charset = -1;    // \fcharset; -1 = not given
        int codePage = 0;    // \cpg; 0 = not given
        bool used = false;   // text has been read in it: later table entries leave it alone
    };

    int ansiCodePage = 1252;

    Font &font(int id) { return m_fonts[id]; }
    const Font *findFont(int id) const;
    // A font number as text is read in it: from then on it means what it means now (no
    // font when the table has not named it yet), so that a table entry arriving after the
    // text cannot give that text a face, or a charset, it was not decoded in.
    void useFont(int id);
    bool isUsed(int id) const;
    // A table entry was read: formats made before it may name the font differently.
    void fontsChanged() { m_charCache.clear(); }
    // The code page that decodes text in the font (see RtfTextDecoder for the symbol fonts).
    int codePageOf(int fontId) const;

    void addColor(const QColor &color);
    QColor color(int index) const; // invalid = automatic
    int addLink(const QString &target);

    QTextCharFormat charFormat(const RtfCharProps &props);
    QTextBlockFormat blockFormat(const RtfParagraph &paragraph);
    // Style Undefined when the paragraph is no list item.
    QTextListFormat listFormat(const RtfListProps &props);
    QTextTableCellFormat cellFormat(const RtfRowDef &row, size_t cell, bool firstCell, bool lastCell);

    static constexpr int kMaxColors = 65536;

private:
    struct PropsHash
    {
        size_t operator()(const RtfCharProps &p) const;
    };
    // What decides a cell's format once the row's defaults are applied: padding per side
    // (twips, 0 none), then style, width and colour of each border, shading and alignment.
    using CellKey = std::array<int, 18>;
    static CellKey cellKey(const RtfRowDef &row, size_t cell, bool firstCell, bool lastCell);
    QTextTableCellFormat makeCellFormat(const CellKey &key) const;
    void applyBorder(QTextTableCellFormat &format, int side, const RtfBorder &border) const;
    QTextListFormat makeListFormat(const RtfListProps &props) const;

    std::unordered_map<int, Font> m_fonts;
    std::vector<QColor> m_colors;
    std::vector<QString> m_links;
    QTextBlockFormat makeBlockFormat(const RtfParagraph &paragraph) const;

    std::unordered_map<RtfCharProps, QTextCharFormat, PropsHash> m_charCache;
    // A letter's tables use a handful of cell formats; the cache starts over when a text
    // asks for very many, and when the colours they name change.
    static constexpr size_t kMaxCachedCells = 4096;
    std::map<CellKey, QTextTableCellFormat> m_cellCache;
    // Consecutive paragraphs mostly share their list properties (most are no list item).
    RtfListProps m_lastList;
    bool m_lastListValid = false;
    QTextListFormat m_lastListFormat;
    // Consecutive paragraphs mostly share their properties.
    RtfParaProps m_lastPara;
    bool m_lastPageBreak = false;
    bool m_lastBlockValid = false;
    QTextBlockFormat m_lastBlock;
};
