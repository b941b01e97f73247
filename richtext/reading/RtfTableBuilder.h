#pragma once

#include "richtext/reading/RtfContent.h"
#include "richtext/reading/RtfDocumentBuilder.h"

class QTextTable;
class QTextTableFormat;
class RtfTableGrid;

// Turns the rows of one RTF table into a QTextTable at the cursor, laid out as its
// RtfTableGrid says: spans for rows with different boundaries, merged cells.
class RtfTableBuilder
{
public:
    // Builds the table at the container's cursor and moves the cursor after it.
    static void build(RtfDocumentBuilder::Container &container, RtfTable &table, RtfDocumentBuilder &builder);

private:
    static QTextTableFormat tableFormat(const RtfTableGrid &grid);
    static void spanCells(QTextTable &qtable, const RtfTableGrid &grid);
    // Each cell's format and content.
    static void fillCells(QTextTable &qtable, const RtfTableGrid &grid, RtfDocumentBuilder &builder);
};
