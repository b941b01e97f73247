#include "richtext/reading/RtfTableGrid.h"

#include <algorithm>

namespace {

// A merged-away cell usually holds one empty paragraph; only real content moves over.
bool hasContent(const RtfCell &cell)
{
    for (const RtfCellItem &item : cell.items)
        if (item.table || !item.paragraph.runs.empty())
            return true;
    return false;
}

} // namespace

RtfTableGrid::RtfTableGrid(RtfTable &table)
{
    collectRows(table);
    if (m_rows.empty())
        return;
    findColumns();
    if (!isTooLarge())
        mergeCells();
}

bool RtfTableGrid::isTooLarge() const
{
    return m_rows.size() * static_cast<size_t>(m_columns) > kMaxGridCells;
}

void RtfTableGrid::collectRows(RtfTable &table)
{
    // Rows with no cells are dropped; more cells than definitions get one inch each.
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
        m_defined += count;
        m_rows.push_back(&row);
    }
    // Definitions alone (a short "\\row" repeated) must not multiply into a huge grid.
    const bool useDefinitions = m_defined <= kMaxGridCells;
    for (RtfRow *row : m_rows)
        row->cells.resize(useDefinitions ? std::max(row->cells.size(), row->def.cells.size())
                                         : std::max<size_t>(row->cells.size(), 1));
}

void RtfTableGrid::findColumns()
{
    m_rowBounds.resize(m_rows.size());
    size_t widest = 0;
    for (size_t r = 0; r < m_rows.size(); ++r) {
        const RtfRow &row = *m_rows[r];
        std::vector<int> &b = m_rowBounds[r];
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
        m_bounds.insert(m_bounds.end(), b.begin(), b.end());
        widest = std::max(widest, row.cells.size());
    }
    std::sort(m_bounds.begin(), m_bounds.end());
    m_bounds.erase(std::unique(m_bounds.begin(), m_bounds.end()), m_bounds.end());
    // Too many distinct boundaries: one column per cell instead of spans.
    m_uniform = m_bounds.size() - 1 > static_cast<size_t>(kMaxColumns)
        || m_rows.size() * (m_bounds.size() - 1) > kMaxGridCells;
    m_columns = m_uniform ? static_cast<int>(widest) : static_cast<int>(m_bounds.size()) - 1;
}

int RtfTableGrid::columnOf(int bound) const
{
    return static_cast<int>(std::lower_bound(m_bounds.begin(), m_bounds.end(), bound) - m_bounds.begin());
}

void RtfTableGrid::mergeCells()
{
    m_cells.reserve(std::min(m_defined, kMaxGridCells));
    std::vector<int> anchors(static_cast<size_t>(m_columns), -1);
    for (size_t r = 0; r < m_rows.size(); ++r) {
        RtfRow &row = *m_rows[r];
        const std::vector<int> &b = m_rowBounds[r];
        std::vector<int> nextAnchors(static_cast<size_t>(m_columns), -1);
        int previousInRow = -1;
        for (size_t i = 0; i < row.cells.size(); ++i) {
            const RtfCellDef def = i < row.def.cells.size() ? row.def.cells[i] : RtfCellDef();
            const int first = m_uniform ? static_cast<int>(i) : columnOf(b[i]);
            const int last = m_uniform ? static_cast<int>(i) + 1 : columnOf(b[i + 1]);
            if (def.merged && previousInRow >= 0) {
                Cell &target = m_cells[static_cast<size_t>(previousInRow)];
                if (!target.vertical) {
                    target.columns = last - target.firstColumn;
                    if (hasContent(row.cells[i]))
                        target.content.push_back(&row.cells[i]);
                    continue;
                }
            }
            if (def.vMerged && first < m_columns) {
                const int anchor = anchors[static_cast<size_t>(first)];
                if (anchor >= 0) {
                    Cell &target = m_cells[static_cast<size_t>(anchor)];
                    if (target.columns == last - first && target.row + static_cast<size_t>(target.rows) == r) {
                        ++target.rows;
                        if (hasContent(row.cells[i]))
                            target.content.push_back(&row.cells[i]);
                        nextAnchors[static_cast<size_t>(first)] = anchor;
                        continue;
                    }
                }
            }
            Cell cell;
            cell.row = r;
            cell.firstColumn = first;
            cell.columns = std::max(1, last - first);
            cell.def = i;
            cell.vertical = def.vMergeFirst || def.vMerged;
            cell.content.push_back(&row.cells[i]);
            m_cells.push_back(cell);
            previousInRow = static_cast<int>(m_cells.size()) - 1;
            if (cell.vertical && first < m_columns)
                nextAnchors[static_cast<size_t>(first)] = previousInRow;
        }
        anchors = std::move(nextAnchors);
    }
}
