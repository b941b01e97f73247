#include "richtext/layout/TableGeometry.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <optional>
#include <vector>

namespace {

// Columns keep at least this width, so the edges always rise.
constexpr qreal kMinColumnWidth = 1;

// The first paragraph that stands in the cell itself, not in a table inside it: its
// layout begins at the left edge of the cell's content.
QTextBlock firstOwnBlock(const QTextTableCell &cell)
{
    for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it)
        if (!it.currentFrame())
            return it.currentBlock();
    return {};
}

// The cell's own value of each side's property, the table's where it has none.
QMarginsF sides(const QTextTableCell &cell, qreal all, int left, int top, int right, int bottom)
{
    const QTextTableCellFormat f = cell.format().toTableCellFormat();
    auto side = [&](int property) { return f.hasProperty(property) ? f.doubleProperty(property) : all; };
    return QMarginsF(side(left), side(top), side(right), side(bottom));
}

} // namespace

QMarginsF TableGeometry::padding(const QTextTable &table, const QTextTableCell &cell)
{
    return sides(cell, table.format().cellPadding(), QTextFormat::TableCellLeftPadding, QTextFormat::TableCellTopPadding,
                 QTextFormat::TableCellRightPadding, QTextFormat::TableCellBottomPadding);
}

QMarginsF TableGeometry::borders(const QTextTable &table, const QTextTableCell &cell)
{
    return sides(cell, std::max<qreal>(table.format().border(), 0), QTextFormat::TableCellLeftBorder,
                 QTextFormat::TableCellTopBorder, QTextFormat::TableCellRightBorder, QTextFormat::TableCellBottomBorder);
}

QList<qreal> TableGeometry::columnEdges(const QTextDocument &doc, const QTextTable &table)
{
    if (doc.textWidth() <= 0)
        return {};
    QAbstractTextDocumentLayout *layout = doc.documentLayout();
    const int columns = table.columns();
    // Where each column begins: the leftmost cell that starts in it, less its padding and
    // half its border (rows may differ by a border's half pixel).
    std::vector<std::optional<qreal>> lefts(static_cast<size_t>(columns) + 1);
    for (int r = 0; r < table.rows(); ++r) {
        for (int c = 0; c < columns; ++c) {
            const QTextTableCell cell = table.cellAt(r, c);
            if (!cell.isValid() || cell.row() != r || cell.column() != c)
                continue;
            const QTextBlock block = firstOwnBlock(cell);
            if (!block.isValid() || !block.layout() || block.layout()->lineCount() == 0)
                continue;
            const QMarginsF pad = padding(table, cell) + borders(table, cell) / 2;
            const qreal contentLeft = layout->blockBoundingRect(block).left();
            std::optional<qreal> &left = lefts[static_cast<size_t>(c)];
            left = std::min(left.value_or(contentLeft - pad.left()), contentLeft - pad.left());
            if (c + cell.columnSpan() < columns)
                continue;
            // The first line ends where the cell's content does, less the paragraph's right
            // margin.
            const QTextLine line = block.layout()->lineAt(0);
            const qreal right = contentLeft + line.x() + line.width() + block.blockFormat().rightMargin() + pad.right();
            std::optional<qreal> &end = lefts[static_cast<size_t>(columns)];
            end = std::max(end.value_or(right), right);
        }
    }
    if (!lefts.front() || !lefts.back())
        return {};

    // A column in which no cell begins (every row spans it) shares the room between the
    // columns around it.
    QList<qreal> edges(columns + 1, 0);
    int known = 0;
    for (int c = 1; c <= columns; ++c) {
        if (!lefts[static_cast<size_t>(c)])
            continue;
        const qreal from = *lefts[static_cast<size_t>(known)];
        const qreal to = *lefts[static_cast<size_t>(c)];
        for (int k = known + 1; k <= c; ++k)
            edges[k] = from + (to - from) * (k - known) / (c - known) - *lefts.front();
        known = c;
    }
    for (int c = 1; c <= columns; ++c)
        edges[c] = std::max(edges[c], edges[c - 1] + kMinColumnWidth);
    return edges;
}
