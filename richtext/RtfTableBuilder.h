#pragma once

#include "RtfContent.h"
#include "RtfDocumentBuilder.h"

// Turns the rows of one RTF table into a QTextTable at the cursor: the columns are the
// union of all rows' cell boundaries, so rows with different boundaries become spans;
// \clmgf/\clmrg and \clvmgf/\clvmrg become merged cells.
class RtfTableBuilder
{
public:
    static constexpr int kMaxCellsPerRow = 64;
    static constexpr int kMaxColumns = 256;
    static constexpr int kMaxTwips = 31680 * 4; // about 88 inches
    // Qt creates every grid cell: a grid larger than this (only hostile input asks for one)
    // is not built; its cells' content follows as paragraphs instead.
    static constexpr size_t kMaxGridCells = 250000;

    // Builds the table at the container's cursor and moves the cursor after it.
    static void build(RtfDocumentBuilder::Container &container, RtfTable &table, RtfDocumentBuilder &builder);
};
