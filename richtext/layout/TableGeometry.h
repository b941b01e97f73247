#pragma once

#include <QMarginsF>
#include <QList>

class QTextDocument;
class QTextTable;
class QTextTableCell;

// Where a document's layout puts a table's columns, and the padding and borders its
// cells really have. Qt keeps its column widths to itself; they are found again from where the cells'
// paragraphs begin and end, less the cells' padding and half their borders (as a table
// of collapsed borders shares them between neighbours).
class TableGeometry
{
public:
    // The left edge of every column and the right edge of the last one (columns + 1
    // values, rising), in pixels from the left edge of the first column, as the
    // document's current layout places them. Empty when the layout does not tell (a
    // document without a width lays a table out as wide as its longest lines, or no cell
    // of the first column holds a paragraph).
    static QList<qreal> columnEdges(const QTextDocument &doc, const QTextTable &table);

    // A cell's padding on each side: its own where it has one, else the table's.
    static QMarginsF padding(const QTextTable &table, const QTextTableCell &cell);
    // The width of a cell's border on each side: its own where it has one, else the
    // table's border, which Qt draws around every cell.
    static QMarginsF borders(const QTextTable &table, const QTextTableCell &cell);
};
