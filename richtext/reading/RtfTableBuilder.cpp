#include "richtext/reading/RtfTableBuilder.h"

#include "richtext/reading/RtfDocumentBuilder.h"
#include "richtext/reading/RtfFormatFactory.h"
#include "richtext/reading/RtfReader.h"
#include "richtext/reading/RtfTableGrid.h"

#include <QTextTable>
#include <algorithm>

void RtfTableBuilder::build(RtfDocumentBuilder::Container &container, RtfTable &table, RtfDocumentBuilder &builder)
{
    const RtfTableGrid grid(table);
    if (grid.isEmpty())
        return;
    if (grid.isTooLarge()) {
        for (RtfRow *row : grid.rows())
            for (RtfCell &cell : row->cells)
                builder.emitItems(container, cell.items);
        return;
    }
    QTextTable *qtable =
        container.cursor.insertTable(static_cast<int>(grid.rows().size()), grid.columns(), tableFormat(grid));
    spanCells(*qtable, grid);
    fillCells(*qtable, grid, builder);
    container.cursor.setPosition(qtable->lastPosition() + 1);
    container.fresh = true;
    container.list = nullptr;
}

QTextTableFormat RtfTableBuilder::tableFormat(const RtfTableGrid &grid)
{
    const std::vector<int> &all = grid.bounds();
    QTextTableFormat format;
    format.setBorderCollapse(true);
    format.setBorder(0);
    format.setCellSpacing(0);
    format.setCellPadding(0);
    format.setHeaderRowCount(0);
    const RtfRowDef &firstDef = grid.rows().front()->def;
    if (!grid.isUniform() && all.front() > 0)
        format.setLeftMargin(all.front() / RtfReader::kTwipsPerPixel);
    if (firstDef.alignment == 1)
        format.setAlignment(Qt::AlignHCenter);
    else if (firstDef.alignment == 2)
        format.setAlignment(Qt::AlignRight);
    if (!grid.isUniform()) {
        QList<QTextLength> widths;
        for (int c = 0; c < grid.columns(); ++c)
            widths.append(QTextLength(QTextLength::FixedLength,
                                      (all[static_cast<size_t>(c) + 1] - all[static_cast<size_t>(c)]) / RtfReader::kTwipsPerPixel));
        format.setColumnWidthConstraints(widths);
    }
    return format;
}

void RtfTableBuilder::spanCells(QTextTable &qtable, const RtfTableGrid &grid)
{
    const int rows = static_cast<int>(grid.rows().size());
    for (const RtfTableGrid::Cell &cell : grid.cells()) {
        const int rowCount = std::min(cell.rows, rows - static_cast<int>(cell.row));
        const int columnCount = std::min(cell.columns, grid.columns() - cell.firstColumn);
        if (rowCount > 1 || columnCount > 1)
            qtable.mergeCells(static_cast<int>(cell.row), cell.firstColumn, rowCount, columnCount);
    }
}

void RtfTableBuilder::fillCells(QTextTable &qtable, const RtfTableGrid &grid, RtfDocumentBuilder &builder)
{
    const std::vector<RtfTableGrid::Cell> &cells = grid.cells();
    for (size_t k = 0; k < cells.size(); ++k) {
        const RtfTableGrid::Cell &cell = cells[k];
        if (cell.firstColumn >= grid.columns())
            continue;
        const RtfRow &row = *grid.rows()[cell.row];
        const bool firstInRow = k == 0 || cells[k - 1].row != cell.row;
        const bool lastInRow = k + 1 == cells.size() || cells[k + 1].row != cell.row;
        QTextTableCell qcell = qtable.cellAt(static_cast<int>(cell.row), cell.firstColumn);
        if (!qcell.isValid())
            continue;
        QTextTableCellFormat format = builder.formats().cellFormat(row.def, cell.def, firstInRow, lastInRow);
        // setFormat replaces the whole format, spans included (each of Qt's span getters
        // would copy the cell's format again).
        const QTextCharFormat spans = qcell.format();
        format.setTableCellRowSpan(spans.tableCellRowSpan());
        format.setTableCellColumnSpan(spans.tableCellColumnSpan());
        qcell.setFormat(format);
        RtfDocumentBuilder::Container inCell;
        inCell.cursor = qcell.firstCursorPosition();
        inCell.cellStart = true;
        for (RtfCell *content : cell.content)
            builder.emitItems(inCell, content->items);
    }
}
