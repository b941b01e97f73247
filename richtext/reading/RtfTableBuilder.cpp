#include "richtext/reading/RtfTableBuilder.h"

#include "richtext/reading/RtfDocumentBuilder.h"
#include "richtext/reading/RtfFormatFactory.h"
#include "richtext/reading/RtfReader.h"

#include <QTextTable>
#include <algorithm>

namespace {

struct LogicalCell
{
    size_t row = 0;
    int firstColumn = 0;
    int columns = 1;
    int rows = 1;
    size_t def = 0;
    bool vertical = false;       // part of a vertical merge chain (\clvmgf or \clvmrg)
    bool alive = true;
    std::vector<RtfCell *> content;
};

// A merged-away cell usually holds one empty paragraph; only real content moves over.
bool hasContent(const RtfCell &cell)
{
    for (const RtfCellItem &item : cell.items)
        if (item.table || !item.paragraph.runs.empty())
            return true;
    return false;
}

struct RowLayout
{
    std::vector<int> bounds;     // cellCount + 1 boundaries, twips
};

} // namespace

void RtfTableBuilder::build(RtfDocumentBuilder::Container &container, RtfTable &table, RtfDocumentBuilder &builder)
{
    // Rows with no cells are dropped; more cells than definitions get one inch each.
    std::vector<RtfRow *> rows;
    size_t defined = 0;
    for (RtfRow &row : table.rows) {
        if (row.cells.size() > static_cast<size_t>(kMaxCellsPerRow)) {
            // Keep the text of cells beyond the limit in the last cell.
            RtfCell &last = row.cells[static_cast<size_t>(kMaxCellsPerRow) - 1];
            for (size_t i = static_cast<size_t>(kMaxCellsPerRow); i < row.cells.size(); ++i)
                for (RtfCellItem &item : row.cells[i].items)
                    last.items.push_back(std::move(item));
            row.cells.resize(static_cast<size_t>(kMaxCellsPerRow));
        }
        if (row.def.cells.size() > static_cast<size_t>(kMaxCellsPerRow))
            row.def.cells.resize(static_cast<size_t>(kMaxCellsPerRow));
        const size_t count = std::max(row.cells.size(), row.def.cells.size());
        if (count == 0)
            continue;
        defined += count;
        rows.push_back(&row);
    }
    if (rows.empty())
        return;
    // Definitions alone (a short "\\row" repeated) must not multiply into a huge grid.
    const bool useDefinitions = defined <= kMaxGridCells;
    for (RtfRow *row : rows)
        row->cells.resize(useDefinitions ? std::max(row->cells.size(), row->def.cells.size())
                                         : std::max<size_t>(row->cells.size(), 1));

    std::vector<RowLayout> layouts(rows.size());
    std::vector<int> all;
    size_t widest = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        const RtfRow &row = *rows[r];
        std::vector<int> &b = layouts[r].bounds;
        b.reserve(row.cells.size() + 1);
        int prev = std::clamp(row.def.left, -kMaxTwips, kMaxTwips);
        b.push_back(prev);
        for (size_t i = 0; i < row.cells.size(); ++i) {
            int right = i < row.def.cells.size() ? row.def.cells[i].right : prev + 1440;
            right = std::clamp(right, -kMaxTwips, kMaxTwips);
            right = std::max(right, prev + 15); // boundaries only grow
            b.push_back(right);
            prev = right;
        }
        all.insert(all.end(), b.begin(), b.end());
        widest = std::max(widest, row.cells.size());
    }
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    // Too many distinct boundaries: one column per cell instead of spans.
    const bool uniform = all.size() - 1 > static_cast<size_t>(kMaxColumns)
        || rows.size() * (all.size() - 1) > kMaxGridCells;
    const int columns = uniform ? static_cast<int>(widest) : static_cast<int>(all.size()) - 1;
    if (rows.size() * static_cast<size_t>(columns) > kMaxGridCells) {
        for (RtfRow *row : rows)
            for (RtfCell &cell : row->cells)
                builder.emitItems(container, cell.items);
        return;
    }
    auto columnOf = [&](int bound) {
        return static_cast<int>(std::lower_bound(all.begin(), all.end(), bound) - all.begin());
    };

    // Logical cells, with horizontal and vertical merges applied.
    std::vector<LogicalCell> cells;
    cells.reserve(std::min(defined, kMaxGridCells));
    std::vector<int> anchors(static_cast<size_t>(columns), -1);
    for (size_t r = 0; r < rows.size(); ++r) {
        RtfRow &row = *rows[r];
        const std::vector<int> &b = layouts[r].bounds;
        std::vector<int> nextAnchors(static_cast<size_t>(columns), -1);
        int previousInRow = -1;
        for (size_t i = 0; i < row.cells.size(); ++i) {
            const RtfCellDef def = i < row.def.cells.size() ? row.def.cells[i] : RtfCellDef();
            const int first = uniform ? static_cast<int>(i) : columnOf(b[i]);
            const int last = uniform ? static_cast<int>(i) + 1 : columnOf(b[i + 1]);
            if (def.merged && previousInRow >= 0) {
                LogicalCell &target = cells[static_cast<size_t>(previousInRow)];
                if (!target.vertical) {
                    target.columns = last - target.firstColumn;
                    if (hasContent(row.cells[i]))
                        target.content.push_back(&row.cells[i]);
                    continue;
                }
            }
            if (def.vMerged && first < columns) {
                const int anchor = anchors[static_cast<size_t>(first)];
                if (anchor >= 0) {
                    LogicalCell &target = cells[static_cast<size_t>(anchor)];
                    if (target.columns == last - first && target.row + static_cast<size_t>(target.rows) == r) {
                        ++target.rows;
                        if (hasContent(row.cells[i]))
                            target.content.push_back(&row.cells[i]);
                        nextAnchors[static_cast<size_t>(first)] = anchor;
                        continue;
                    }
                }
            }
            LogicalCell cell;
            cell.row = r;
            cell.firstColumn = first;
            cell.columns = std::max(1, last - first);
            cell.def = i;
            cell.vertical = def.vMergeFirst || def.vMerged;
            cell.content.push_back(&row.cells[i]);
            cells.push_back(cell);
            previousInRow = static_cast<int>(cells.size()) - 1;
            if (cell.vertical && first < columns)
                nextAnchors[static_cast<size_t>(first)] = previousInRow;
        }
        anchors = std::move(nextAnchors);
    }

    QTextTableFormat format;
    format.setBorderCollapse(true);
    format.setBorder(0);
    format.setCellSpacing(0);
    format.setCellPadding(0);
    format.setHeaderRowCount(0);
    const RtfRowDef &firstDef = rows.front()->def;
    if (!uniform && all.front() > 0)
        format.setLeftMargin(all.front() / RtfReader::kTwipsPerPixel);
    if (firstDef.alignment == 1)
        format.setAlignment(Qt::AlignHCenter);
    else if (firstDef.alignment == 2)
        format.setAlignment(Qt::AlignRight);
    if (!uniform) {
        QList<QTextLength> widths;
        for (int c = 0; c < columns; ++c)
            widths.append(QTextLength(QTextLength::FixedLength,
                                      (all[static_cast<size_t>(c) + 1] - all[static_cast<size_t>(c)]) / RtfReader::kTwipsPerPixel));
        format.setColumnWidthConstraints(widths);
    }

    QTextTable *qtable = container.cursor.insertTable(static_cast<int>(rows.size()), columns, format);
    for (const LogicalCell &cell : cells) {
        const int rowCount = std::min(cell.rows, static_cast<int>(rows.size() - cell.row));
        const int columnCount = std::min(cell.columns, columns - cell.firstColumn);
        if (rowCount > 1 || columnCount > 1)
            qtable->mergeCells(static_cast<int>(cell.row), cell.firstColumn, rowCount, columnCount);
    }
    for (size_t k = 0; k < cells.size(); ++k) {
        LogicalCell &cell = cells[k];
        if (cell.firstColumn >= columns)
            continue;
        const RtfRow &row = *rows[cell.row];
        const bool firstInRow = k == 0 || cells[k - 1].row != cell.row;
        const bool lastInRow = k + 1 == cells.size() || cells[k + 1].row != cell.row;
        QTextTableCell qcell = qtable->cellAt(static_cast<int>(cell.row), cell.firstColumn);
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
    container.cursor.setPosition(qtable->lastPosition() + 1);
    container.fresh = true;
    container.list = nullptr;
}
