// The grid of an RTF table worked out before it is built: columns from the rows' cell
// boundaries, merged cells, dropped rows and the limits on hostile tables.
#include "richtext/reading/RtfTableGrid.h"

#include <QtTest>

namespace {

// One row from a compact text: each cell "RIGHT" with an optional mark, ">" horizontally
// merged into the previous cell, "^" starting a vertical merge, "|" continuing one; for
// example "1000^ 2000 3000>". An empty text is a row with no cells.
RtfRow row(const QString &cells)
{
    RtfRow r;
    for (const QString &c : cells.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        RtfCellDef def;
        QString right = c;
        const QChar mark = c.back();
        if (!mark.isDigit())
            right.chop(1);
        def.right = right.toInt();
        def.merged = mark == QLatin1Char('>');
        def.vMergeFirst = mark == QLatin1Char('^');
        def.vMerged = mark == QLatin1Char('|');
        r.def.cells.push_back(def);
        r.cells.emplace_back();
    }
    return r;
}

// "row.column:columns x rows" of every cell, in order.
QString layout(const RtfTableGrid &grid)
{
    QStringList out;
    for (const RtfTableGrid::Cell &c : grid.cells())
        out << QStringLiteral("%1.%2:%3x%4").arg(c.row).arg(c.firstColumn).arg(c.columns).arg(c.rows);
    return out.join(QLatin1Char(' '));
}

} // namespace

class TstRtfTableGrid : public QObject
{
    Q_OBJECT
private slots:
    void cells_data();
    void cells();
    void manyCellsKeepTheirText();
    void tooLargeIsNotLaidOut();
};

void TstRtfTableGrid::cells_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("cells");
    QTest::newRow("equal rows") << QStringList{"1000 2000", "1000 2000"} << 2 << "0.0:1x1 0.1:1x1 1.0:1x1 1.1:1x1";
    QTest::newRow("different boundaries span")
        << QStringList{"1000 3000", "2000 3000"} << 3 << "0.0:1x1 0.1:2x1 1.0:2x1 1.2:1x1";
    QTest::newRow("horizontal merge") << QStringList{"1000 2000> 3000"} << 3 << "0.0:2x1 0.2:1x1";
    QTest::newRow("vertical merge")
        << QStringList{"1000^ 2000", "1000| 2000", "1000| 2000"} << 2 << "0.0:1x3 0.1:1x1 1.1:1x1 2.1:1x1";
    QTest::newRow("vertical merge of a different width starts anew")
        << QStringList{"1000^ 2000", "2000|"} << 2 << "0.0:1x1 0.1:1x1 1.0:2x1";
    QTest::newRow("rows without cells dropped") << QStringList{"1000", "", "1000"} << 1 << "0.0:1x1 1.0:1x1";
    QTest::newRow("boundaries only grow") << QStringList{"2000 1000"} << 2 << "0.0:1x1 0.1:1x1";
}

void TstRtfTableGrid::cells()
{
    QFETCH(QStringList, rows);
    QFETCH(int, columns);
    QFETCH(QString, cells);
    RtfTable table;
    for (const QString &r : rows)
        table.rows.push_back(row(r));
    const RtfTableGrid grid(table);
    QVERIFY(!grid.isTooLarge());
    QCOMPARE(grid.columns(), columns);
    QCOMPARE(layout(grid), cells);
}

void TstRtfTableGrid::manyCellsKeepTheirText()
{
    RtfTable table;
    RtfRow r;
    for (int i = 0; i < RtfTableGrid::kMaxCellsPerRow + 6; ++i) {
        RtfCell cell;
        cell.items.emplace_back();
        r.cells.push_back(std::move(cell));
    }
    table.rows.push_back(std::move(r));
    const RtfTableGrid grid(table);
    const std::vector<RtfCell> &kept = grid.rows().front()->cells;
    QCOMPARE(kept.size(), size_t(RtfTableGrid::kMaxCellsPerRow));
    QCOMPARE(kept.back().items.size(), size_t(7));
    QCOMPARE(grid.columns(), RtfTableGrid::kMaxCellsPerRow);
}

void TstRtfTableGrid::tooLargeIsNotLaidOut()
{
    RtfTable table;
    const size_t rows = RtfTableGrid::kMaxGridCells / RtfTableGrid::kMaxCellsPerRow + 1;
    for (size_t i = 0; i < rows; ++i) {
        RtfRow r;
        r.cells.resize(RtfTableGrid::kMaxCellsPerRow);
        table.rows.push_back(std::move(r));
    }
    const RtfTableGrid grid(table);
    QVERIFY(grid.isTooLarge());
    QCOMPARE(grid.rows().size(), rows);
    QVERIFY(grid.cells().empty());
}

QTEST_GUILESS_MAIN(TstRtfTableGrid)
#include "tst_rtftablegrid.moc"
