#pragma once

#include "richtext/reading/RtfContent.h"

#include <cstddef>
#include <vector>

// The grid of one RTF table, worked out from its rows before any of it is built: the rows
// that have cells, the columns (the union of all rows' cell boundaries, so rows with
// different boundaries become spans) and the logical cells, with \clmgf/\clmrg and
// \clvmgf/\clvmrg merges applied. Rows and cells stay the table's (cells it lacks are
// added to its rows).
class RtfTableGrid
{
public:
    static constexpr int kMaxCellsPerRow = 64;
    static constexpr int kMaxColumns = 256;
    static constexpr int kMaxTwips = 31680 * 4; // about 88 inches
    // Qt creates and lays out every grid cell, at once and without serving events: a grid
    // larger than this (a letter's tables are far smaller; a few kilobytes of repeated
    // \row can ask for more) is not built, and its cells' content follows as paragraphs.
    static constexpr size_t kMaxGridCells = 20000;

    // A cell of the built table: where it stands, what it spans and whose content it shows.
    struct Cell
    {
        size_t row = 0;
        int firstColumn = 0;
        int columns = 1;
        int rows = 1;
        size_t def = 0;        // its definition in the row
        bool vertical = false; // part of a vertical merge chain (\clvmgf or \clvmrg)
        std::vector<RtfCell *> content;
    };

    explicit RtfTableGrid(RtfTable &table);

    bool isEmpty() const { return m_rows.empty(); }
    // Too many grid cells to build (see kMaxGridCells); cells() is then empty.
    bool isTooLarge() const;
    const std::vector<RtfRow *> &rows() const { return m_rows; }
    int columns() const { return m_columns; }
    // One column per cell instead of spans: there were too many distinct boundaries.
    bool isUniform() const { return m_uniform; }
    // The distinct cell boundaries in twips, ascending: column c runs from bound c to c + 1
    // (unless uniform).
    const std::vector<int> &bounds() const { return m_bounds; }
    // In row order, each row's cells from left to right.
    const std::vector<Cell> &cells() const { return m_cells; }

private:
    // Drops rows with no cells, caps the cells per row and gives every cell a place.
    void collectRows(RtfTable &table);
    // Each row's boundaries and the columns they make.
    void findColumns();
    // The logical cells, merges applied.
    void mergeCells();
    int columnOf(int bound) const;

    std::vector<RtfRow *> m_rows;
    size_t m_defined = 0;                     // cells the rows have or define
    std::vector<std::vector<int>> m_rowBounds; // per row: cell count + 1 boundaries, twips
    std::vector<int> m_bounds;
    bool m_uniform = false;
    int m_columns = 0;
    std::vector<Cell> m_cells;
};
