#pragma once

#include "richtext/reading/RtfContent.h"
#include "richtext/reading/RtfDocumentBuilder.h"

// Turns the rows of one RTF table into a QTextTable at the cursor: the columns are the
// union of all rows' cell boundaries, so rows with different boundaries become spans;
// \clmgf/\clmrg and \clvmgf/\clvmrg become merged cells.
class RtfTableBuilder
{
public:
    static constexpr int kMaxCellsPerRow = 64;
    static constexpr int kMaxColumns = 256;
    static constexpr int kMaxTwips = 31680 * 4; // about 88 inches
    // Qt creates and lays out every grid cell, at once and without serving events: a grid
    // larger than this (a letter's tables are far smaller; a few kilobytes of repeated
    // \row can ask for more) is not built, and its cells' content follows as paragraphs.
    static constexpr size_t kMaxGridCells = 20000;

    // Builds the table at the container's cursor and moves the cursor after it.
    static void build(RtfDocumentBuilder::Container &container, RtfTable &table, RtfDocumentBuilder &builder);
};
