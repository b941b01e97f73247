#pragma once

#include "richtext/writing/RtfColorTable.h"
#include "richtext/writing/RtfFontTable.h"
#include "richtext/writing/RtfOutput.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QTextFormat>
#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QTextBlock;
class QTextBlockFormat;
class QTextDocument;
class QTextFrame;
class QTextImageFormat;
class QTextList;
class QTextTable;
class QTextTableCell;

// Writes a QTextDocument as RTF the way the rich-edit control saves a letter: the
// control's header, a font table with each font's charset, a colour table whose first
// entry is "automatic", character formatting as changes, \pard only where the paragraph
// format changes, \par and CR LF after every paragraph, lists in the \pn form, tables as
// \trowd ... \cell\row (with the column widths the layout shows and the cells' padding),
// pictures as PNG. RtfReader reads the result back to the same document.
class RtfWriter
{
public:
    static std::string write(const QTextDocument &doc);

private:
    // Character properties as RTF writes them; compared to write only the changes.
    struct CharState
    {
        int font = -1;
        int halfPoints = -1;
        bool bold = false;
        bool italic = false;
        bool strike = false;
        int underline = 0; // QTextCharFormat::UnderlineStyle
        int color = 0;
        int highlight = 0;
        int vertical = 0;  // QTextCharFormat::VerticalAlignment
        int caps = 0;      // QFont::Capitalization
        int baseline = 0;  // half-points up (negative: down)
        int lang = 1033;
    };
    // Paragraph properties in twips, plus the list and table nesting they belong to.
    struct ParaState
    {
        int align = 0; // 0 left, 1 centre, 2 right, 3 justified
        int left = 0;
        int right = 0;
        int first = 0;
        int before = 0;
        int after = 0;
        int lineSpacing = 0; // \sl
        int lineMult = 0;    // \slmult
        QList<QPair<int, int>> tabs; // position, kind (0 left, 1 centre, 2 right, 3 decimal)
        bool keep = false;
        bool rtl = false;
        int depth = 0;       // table nesting: 0 outside, 1 \intbl, 2+ \itapN
        const QTextList *list = nullptr;
        bool operator==(const ParaState &o) const;
    };

    explicit RtfWriter(const QTextDocument &doc);
    std::string run();

    void writeFrame(QTextFrame *frame, int depth);
    void writeBlock(const QTextBlock &block, int depth, const char *endWord);
    void writeTable(QTextTable *table, int depth);
    QList<int> columnBoundaries(const QTextTable &table) const;
    void writeRowDefinition(QTextTable *table, int row, const QList<int> &boundaries);
    // A cell's padding in twips: top, left, bottom, right, as the RTF words name them.
    using Padding = std::array<int, 4>;
    static Padding paddingOf(const QTextTable &table, const QTextTableCell &cell);
    // prefix "trpadd" or "clpad": the sides that differ from defaults, each with its unit.
    void writePadding(std::string_view prefix, const Padding &sides, const Padding &defaults);
    void writeCell(const QTextTableCell &cell, int depth);
    void writeEmptyCell(int depth);
    void writeImage(const QTextImageFormat &format);
    void writeFragmentText(const QTextCharFormat &format, const QString &text);
    void writeLink(const QTextCharFormat &format, const QString &text);

    void applyParagraph(const ParaState &state, const QTextBlock *block);
    void writeListDestination(const QTextList *list);
    void writeListText(const QTextBlock &block);
    struct BulletMark
    {
        int font;
        const char *bytes;
    };
    BulletMark bulletMark(int style);
    // The \ls number of a list (from 1), given on first use.
    int listNumber(const QTextList *list);
    void writeListTable(RtfOutput &out);
    void applyChar(const QTextCharFormat &format, int formatIndex);
    CharState charState(const QTextCharFormat &format);
    ParaState paraState(const QTextBlock &block, int depth);
    ParaState formatParaState(const QTextBlockFormat &format) const;

    const QTextDocument &m_doc;
    RtfOutput m_body;
    RtfFontTable m_fonts;
    RtfColorTable m_colors;
    CharState m_char;
    ParaState m_para;
    bool m_headerPard = true; // the header's \pard still stands for the first paragraph
    std::vector<const QTextList *> m_lists; // m_lists[n - 1] is \lsn
    std::unordered_map<const QTextList *, int> m_listNumbers;
    std::unordered_map<int, CharState> m_charCache;
    std::unordered_map<int, ParaState> m_paraCache;
};
