#pragma once

#include "richtext/reading/RtfContent.h"
#include "richtext/reading/RtfGroupState.h"

#include <QColor>
#include <QTextFormat>
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
    };

    int ansiCodePage = 1252;

    Font &font(int id) { return fonts_[id]; }
    const Font *findFont(int id) const;
    // The code page that decodes text in the font (see RtfTextDecoder for the symbol fonts).
    int codePageOf(int fontId) const;

    void addColor(const QColor &color);
    QColor color(int index) const; // invalid = automatic
    int addLink(const QString &target);

    QTextCharFormat charFormat(const RtfCharProps &props);
    QTextBlockFormat blockFormat(const RtfParagraph &paragraph);
    // Style Undefined when the paragraph is no list item.
    QTextListFormat listFormat(const RtfListProps &props) const;
    QTextTableCellFormat cellFormat(const RtfRowDef &row, size_t cell, bool firstCell, bool lastCell) const;

    static constexpr int kMaxColors = 65536;

private:
    struct PropsHash
    {
        size_t operator()(const RtfCharProps &p) const;
    };
    void applyBorder(QTextTableCellFormat &format, int side, const RtfBorder &border) const;

    std::unordered_map<int, Font> fonts_;
    std::vector<QColor> colors_;
    std::vector<QString> links_;
    QTextBlockFormat makeBlockFormat(const RtfParagraph &paragraph) const;

    std::unordered_map<RtfCharProps, QTextCharFormat, PropsHash> charCache_;
    // Consecutive paragraphs mostly share their properties.
    RtfParaProps lastPara_;
    bool lastPageBreak_ = false;
    bool lastBlockValid_ = false;
    QTextBlockFormat lastBlock_;
};
