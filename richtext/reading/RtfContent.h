#pragma once

#include "richtext/reading/RtfGroupState.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

// The reader's records of content that waits to be placed into the document: paragraphs
// with their runs, and tables (built only when the table ends, because a nested row's
// properties come after its cells).

// A stretch of a paragraph's text in one character format, or a picture.
struct RtfRun
{
    qsizetype begin = 0;     // in the paragraph's text
    qsizetype length = 0;
    RtfCharProps chars;
    int image = -1;          // index of a picture (then length is 0)
};

struct RtfParagraph
{
    QString text;            // the text of all its runs, one after another
    std::vector<RtfRun> runs;
    RtfParaProps para;
    RtfCharProps mark;       // the character format at the paragraph's end
    bool pageBreakBefore = false;
};

struct RtfBorder
{
    uint8_t style = 0;       // 0 none, 1 single, 2 double, 3 dotted, 4 dashed
    int width = 0;           // twips; 0 = not given
    int color = 0;

    bool operator==(const RtfBorder &) const = default;
};

// Cell padding per side (top, left, bottom, right) as \trpadd* or \clpad* give it, each
// with the unit word that goes with it (\trpaddf*, \clpadf*: 3 twips, 0 "none").
struct RtfPadding
{
    int twips[4] = {-1, -1, -1, -1}; // -1: not given
    int unit[4] = {-1, -1, -1, -1};  // -1: no unit word, read as twips

    bool given(int side) const
    {
        return twips[side] >= 0 && (unit[side] == 3 || unit[side] == -1);
    }
};

struct RtfCellDef
{
    int right = 0;           // \cellx, twips
    RtfBorder borders[4];    // top, left, bottom, right
    int shading = 0;         // \clcbpat
    bool mergeFirst = false; // \clmgf
    bool merged = false;     // \clmrg
    bool vMergeFirst = false;
    bool vMerged = false;
    uint8_t vAlign = 0;      // 0 top, 1 centre, 2 bottom
    RtfPadding padding;      // over the row's
};

struct RtfRowDef
{
    int left = 0;            // \trleft
    int gap = 0;             // \trgaph: left and right padding unless padding says otherwise
    RtfPadding padding;      // \trpadd*
    uint8_t alignment = 0;   // 0 left, 1 centre, 2 right
    RtfBorder borders[6];    // top, left, bottom, right, inner horizontal, inner vertical
    std::vector<RtfCellDef> cells;
};

struct RtfTable;

struct RtfCellItem
{
    RtfParagraph paragraph;
    std::unique_ptr<RtfTable> table; // set: the item is a nested table
};

struct RtfCell
{
    std::vector<RtfCellItem> items;
};

struct RtfRow
{
    RtfRowDef def;
    std::vector<RtfCell> cells;
};

struct RtfTable
{
    std::vector<RtfRow> rows;
    std::vector<RtfCell> openCells;  // cells ended, row not yet
    RtfCell openCell;                // content of the cell being read
};

// A picture read from \pict, waiting for its run.
struct RtfPicture
{
    QString name;
    double width = 0;        // pixels at 96 dpi
    double height = 0;
    QByteArray jpeg;         // the JPEG file of a \jpegblip picture, kept to be written again
};
