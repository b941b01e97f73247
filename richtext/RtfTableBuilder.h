#pragma once

#include "RtfContent.h"

class QTextCursor;
class QTextTable;
class RtfDocumentBuilder;

// Turns the rows of one RTF table into a QTextTable at the cursor: the columns are the
// union of all rows' cell boundaries, so rows with different boundaries become spans;
// \clmgf/\clmrg and \clvmgf/\clvmrg become merged cells.
class RtfTableBuilder
{
public:
    static constexpr int kMaxCellsPerRow = 64;
    static constexpr int kMaxColumns = 256;
    static constexpr int kMaxTwips = 31680 * 4; // about 88 inches

    // Null when the table has no cells at all.
    static QTextTable *build(QTextCursor &cursor, RtfTable &table, RtfDocumentBuilder &builder);
};
