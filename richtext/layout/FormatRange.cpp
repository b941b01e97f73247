#include "richtext/layout/FormatRange.h"

#include "richtext/layout/PageFit.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace {

// Rounding noise of the layout's fixed-point positions.
constexpr qreal kEpsilon = 0.01;

// Largest width or height of a range in pixels.
constexpr qint64 kMaxPixels = 1 << 20;

// The paragraphs in this many characters from the letter's start keep their shaped glyphs
// from the layout to the drawing (a few MB, about 16 pages of text); those further on are
// shaped again when their page is drawn. Keeping them for the whole letter would make the
// memory grow with its length (some 45 bytes a character, about 100 KB a page).
constexpr int kGlyphCacheCharacters = 1 << 16;

// Largest document margin a letter laid out in place may have, in pixels.
constexpr qreal kMaxInPlaceMargin = 1000;

// Layouts made at most to shrink tables that are wider than the text area.
constexpr int kFitPasses = 4;

// The paragraph begins a new page: a break before it, or after the paragraph above.
bool startsPage(const QTextBlock &block)
{
    if (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
        return true;
    const QTextBlock previous = block.previous();
    return previous.isValid() && (previous.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter);
}

qreal cellPadding(const QTextTableCellFormat &cell, const QTextTableFormat &table, int property)
{
    return cell.hasProperty(property) ? cell.doubleProperty(property) : table.cellPadding();
}

} // namespace

FormatRange::FormatRange(const QTextDocument &doc)
    : m_source(doc)
{
}

FormatRange::~FormatRange()
{
    release();
}

int FormatRange::textLength(const QTextDocument &doc)
{
    // The last paragraph's end mark is not text of its own.
    return std::max(0, doc.characterCount() - 1);
}

int FormatRange::textLength() const
{
    return textLength(m_source);
}

int FormatRange::twipsToPixels(int twips, int dpi)
{
    return static_cast<int>(static_cast<qint64>(twips) * dpi / 1440);
}

void FormatRange::release()
{
    if (m_laid && m_laid != m_copy.get()) {
        // The letter goes back to having no layout and its own page size.
        m_laid->setDocumentLayout(nullptr);
        m_laid->setPageSize(m_sourcePageSize);
    }
    m_laid = nullptr;
    m_copy.reset();
    m_units.clear();
    m_lines.clear();
    m_drawn = Drawn();
    m_revision = -1;
    m_widthPx = -1;
}

bool FormatRange::canLayOutInPlace(int widthPx, int heightPx) const
{
    // A layout of its own (an editor shows the letter, or something measured it) is not
    // ours to change.
    if (m_source.findChild<QAbstractTextDocumentLayout *>(QString(), Qt::FindDirectChildrenOnly))
        return false;
    // The root frame's margin only moves the text area, by a whole number of pixels on
    // both axes; a border or padding would change more.
    const QTextFrameFormat root = m_source.rootFrame()->frameFormat();
    const qreal margin = root.margin();
    if (root.border() != 0 || root.padding() != 0 || margin < 0 || margin > kMaxInPlaceMargin
        || margin != std::floor(margin) || root.topMargin() != margin || root.bottomMargin() != margin
        || root.leftMargin() != margin || root.rightMargin() != margin)
        return false;
    // Lists that count from elsewhere than 1 are renumbered on the copy; frames other than
    // tables are not looked into here.
    if (ListNumbers::changes(m_source) || !onlyTablesFitting(m_source.rootFrame(), widthPx))
        return false;
    return PageFit::fitsBeforeLayout(m_source, widthPx, heightPx);
}

bool FormatRange::onlyTablesFitting(const QTextFrame *frame, int widthPx)
{
    for (const QTextFrame *child : frame->childFrames()) {
        const auto *table = qobject_cast<const QTextTable *>(child);
        if (!table)
            return false;
        // Fixed columns wider together than the text area make the table too wide for
        // sure: the letter is copied at once rather than laid out twice.
        qreal fixed = 0;
        for (const QTextLength &column : table->format().columnWidthConstraints())
            fixed += column.type() == QTextLength::FixedLength ? column.rawValue() : 0;
        if (fixed > widthPx || !onlyTablesFitting(child, widthPx))
            return false;
    }
    return true;
}

bool FormatRange::layOut(bool inPlace, int widthPx, int heightPx)
{
    if (inPlace) {
        m_laid = const_cast<QTextDocument *>(&m_source);
        m_sourcePageSize = m_laid->pageSize();
        m_origin = m_laid->rootFrame()->frameFormat().margin();
        // No page size while the layout is made: it waits for the device and the width.
        m_laid->setPageSize(QSizeF(0, 0));
    } else {
        m_copy.reset(m_source.clone());
        m_laid = m_copy.get();
        m_laid->setUndoRedoEnabled(false);
        m_origin = 0;
        // Width and margin before the layout exists: each change of them afterwards would
        // lay the whole letter out again.
        m_laid->setDocumentMargin(0);
        m_laid->setTextWidth(widthPx);
    }
    // (A letter laid out in place has no list to renumber: this only forgets those of before.)
    m_listNumbers.prepare(*m_laid);
    // The layout shapes every line; without the cache Qt throws the glyphs away at the end
    // of each paragraph's layout and shapes the text again when a page draws it. Kept,
    // they cost a few dozen bytes a character, so only up to a bound.
    for (QTextBlock b = m_laid->begin(); b.isValid() && b.position() < kGlyphCacheCharacters; b = b.next())
        b.layout()->setCacheEnabled(true);
    QAbstractTextDocumentLayout *layout = m_laid->documentLayout();
    layout->setPaintDevice(&m_metricsDevice);
    if (inPlace) {
        // The first layout, with the page's device: the margin stays and widens the page.
        m_laid->setTextWidth(widthPx + 2 * m_origin);
    } else {
        // Nothing may lie past the text area's edges, which only this layout knows.
        PageFit::beforeLayout(*m_laid, widthPx, heightPx);
        // Creating the layout began it with the screen's metrics: redo it with the page's,
        // all at once.
        m_laid->markContentsDirty(0, m_laid->characterCount());
    }
    layout->documentSize(); // finishes the whole layout now
    // Tables sized by their contents show their width only now. The letter itself is
    // never changed: if a table in it needs fitting, the caller copies it after all.
    if (inPlace)
        return PageFit::tablesFit(*m_laid, widthPx, m_origin);
    // Each pass shrinks the tables by the factor they are too wide, which nearly always
    // fits at the first try.
    for (int pass = 0; pass < kFitPasses && PageFit::shrinkWideTables(*m_laid, widthPx); ++pass)
        layout->documentSize();
    return true;
}

bool FormatRange::ensureLayout(int widthPx, int heightPx, int dpiX, int dpiY)
{
    if (m_laid && m_revision == m_source.revision() && m_widthPx == widthPx && m_heightPx == heightPx && m_dpiX == dpiX
        && m_dpiY == dpiY)
        return true;
    release();
    // A device of the target's resolution, kept alive with the layout: point sizes turn
    // into the same pixel sizes as on the page being drawn.
    m_metricsDevice = QImage(1, 1, QImage::Format_RGB32);
    m_metricsDevice.setDotsPerMeterX(qRound(dpiX / 0.0254));
    m_metricsDevice.setDotsPerMeterY(qRound(dpiY / 0.0254));
    if (!canLayOutInPlace(widthPx, heightPx) || !layOut(true, widthPx, heightPx)) {
        release(); // gives the letter back as it was before it is copied
        layOut(false, widthPx, heightPx);
    }
    collectFrame(m_laid->rootFrame());
    std::sort(m_units.begin(), m_units.end(), [](const Unit &a, const Unit &b) { return a.start < b.start; });
    m_revision = m_source.revision();
    m_widthPx = widthPx;
    m_heightPx = heightPx;
    m_dpiX = dpiX;
    m_dpiY = dpiY;
    return true;
}

void FormatRange::collectFrame(QTextFrame *frame)
{
    for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
        if (QTextFrame *child = it.currentFrame()) {
            if (auto *table = qobject_cast<QTextTable *>(child))
                addTable(table);
            else
                collectFrame(child);
        } else {
            addBlockLines(it.currentBlock(), true);
        }
    }
}

void FormatRange::addBlockLines(const QTextBlock &block, bool asUnits)
{
    const QTextLayout *layout = block.layout();
    if (!block.isValid() || !layout || !block.isVisible())
        return;
    // Line positions are relative to the block's layout; the bounding rectangle is the
    // same box in document coordinates.
    const QRectF docRect = m_laid->documentLayout()->blockBoundingRect(block);
    const qreal offsetY = docRect.top() - layout->boundingRect().top();
    const int count = layout->lineCount();
    for (int i = 0; i < count; ++i) {
        const QTextLine line = layout->lineAt(i);
        const int pos = block.position() + line.textStart();
        const qreal top = offsetY + line.y();
        const qreal bottom = top + line.height();
        if (asUnits) {
            const int end = i + 1 == count ? block.position() + block.length() : pos + line.textLength();
            m_units.push_back({pos, end, top, bottom, 0, 0, i == 0 && startsPage(block)});
        } else {
            m_lines.push_back({pos, top, bottom});
        }
    }
}

void FormatRange::addTable(QTextTable *table)
{
    const int rows = table->rows();
    const int columns = table->columns();
    const QTextTableFormat tableFormat = table->format();
    const qreal border = tableFormat.border();
    const qreal spacing = tableFormat.cellSpacing();
    const QRectF frameRect = m_laid->documentLayout()->frameBoundingRect(table);

    struct Group
    {
        int start = INT_MAX;
        qreal top = std::numeric_limits<qreal>::max();
        qreal bottom = std::numeric_limits<qreal>::lowest();
    };
    std::vector<Group> groups;
    int r = 0;
    while (r < rows) {
        // Rows joined by a vertically merged cell form one group that moves as a whole.
        Group g;
        int last = r;
        for (int row = r; row <= last && row < rows; ++row) {
            for (int c = 0; c < columns; ++c) {
                const QTextTableCell cell = table->cellAt(row, c);
                if (!cell.isValid() || cell.row() != row || cell.column() != c)
                    continue;
                last = std::max(last, row + cell.rowSpan() - 1);
                g.start = std::min(g.start, cell.firstPosition());
                const QTextTableCellFormat cf = cell.format().toTableCellFormat();
                const QRectF first = m_laid->documentLayout()->blockBoundingRect(m_laid->findBlock(cell.firstPosition()));
                const QRectF lastRect = m_laid->documentLayout()->blockBoundingRect(m_laid->findBlock(cell.lastPosition()));
                g.top = std::min(g.top, first.top() - cellPadding(cf, tableFormat, QTextFormat::TableCellTopPadding) - border - spacing);
                g.bottom = std::max(g.bottom, lastRect.bottom() + cellPadding(cf, tableFormat, QTextFormat::TableCellBottomPadding) + border + spacing);
            }
        }
        if (g.start != INT_MAX)
            groups.push_back(g);
        r = std::min(last, rows - 1) + 1;
    }
    for (size_t i = 0; i < groups.size(); ++i) {
        Group &g = groups[i];
        if (i == 0)
            g.top = std::min(g.top, frameRect.top());
        if (i + 1 == groups.size())
            g.bottom = std::max(g.bottom, frameRect.bottom());
        const int end = i + 1 < groups.size() ? groups[i + 1].start : table->lastPosition() + 1;
        const int firstLine = static_cast<int>(m_lines.size());
        for (QTextBlock b = m_laid->findBlock(g.start); b.isValid() && b.position() < end; b = b.next())
            addBlockLines(b, false);
        std::sort(m_lines.begin() + firstLine, m_lines.end(), [](const Line &a, const Line &b) { return a.pos < b.pos; });
        const bool breakBefore = i == 0 && (tableFormat.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
        m_units.push_back({g.start, end, g.top, g.bottom, firstLine, static_cast<int>(m_lines.size()) - firstLine, breakBefore});
    }
}

size_t FormatRange::unitAt(int pos) const
{
    auto it = std::upper_bound(m_units.begin(), m_units.end(), pos, [](int p, const Unit &u) { return p < u.start; });
    if (it != m_units.begin() && pos < std::prev(it)->end)
        --it;
    return static_cast<size_t>(it - m_units.begin());
}

qreal FormatRange::startTop(const Unit &unit, int pos) const
{
    if (unit.lineCount == 0 || pos <= unit.start)
        return unit.top;
    // Inside a split row: the range goes on at the top of the line the position is in
    // (the split chose that line because its top is where the previous range was cut).
    const auto first = m_lines.begin() + unit.firstLine;
    const auto last = first + unit.lineCount;
    auto it = std::upper_bound(first, last, pos, [](int p, const Line &l) { return p < l.pos; });
    if (it != first)
        --it;
    return it->top;
}

int FormatRange::formatRange(QPaintDevice *device, const QRect &areaTwips, int start)
{
    return layRange(device, areaTwips, start, true);
}

int FormatRange::measureRange(QPaintDevice *device, const QRect &areaTwips, int start)
{
    return layRange(device, areaTwips, start, false);
}

int FormatRange::layRange(QPaintDevice *device, const QRect &areaTwips, int start, bool draw)
{
    if (!device || areaTwips.isEmpty() || start < 0)
        return -1;
    const int length = textLength();
    if (start > length)
        return -1;
    const int dpiX = device->logicalDpiX();
    const int dpiY = device->logicalDpiY();
    if (dpiX <= 0 || dpiY <= 0)
        return -1;
    if (draw)
        m_drawn = Drawn();
    // Edges in 64 bits: a rectangle near the ends of the int range must not overflow, and
    // no layout wider or taller than kMaxPixels is made whatever the caller asks.
    const auto px = [](qint64 twips, int dpi) { return std::clamp<qint64>(twips * dpi / 1440, -kMaxPixels, kMaxPixels); };
    const qint64 left = px(areaTwips.left(), dpiX);
    const qint64 top = px(areaTwips.top(), dpiY);
    const qint64 width = std::min<qint64>(px(qint64(areaTwips.right()) + 1, dpiX) - left, kMaxPixels);
    const qint64 height = std::min<qint64>(px(qint64(areaTwips.bottom()) + 1, dpiY) - top, kMaxPixels);
    if (width <= 0 || height <= 0)
        return -1;
    const int leftPx = static_cast<int>(left);
    const int topPx = static_cast<int>(top);
    const int widthPx = static_cast<int>(width);
    const int heightPx = static_cast<int>(height);
    if (start == length)
        return length;
    if (!ensureLayout(widthPx, heightPx, dpiX, dpiY))
        return -1;

    const size_t first = unitAt(start);
    if (first >= m_units.size())
        return length;
    const qreal y0 = startTop(m_units[first], start);
    const qreal limit = y0 + heightPx + kEpsilon;
    qreal yEnd = y0;
    int next = start;
    for (size_t i = first; i < m_units.size(); ++i) {
        const Unit &u = m_units[i];
        if (u.breakBefore && i != first)
            break;
        if (u.bottom <= limit) {
            yEnd = std::max(yEnd, u.bottom);
            next = u.end;
            continue;
        }
        if (i == first && u.lineCount > 0) {
            // A row taller than the whole rectangle: cut it between lines. The cut goes
            // at the top of the highest line below y0 that does not fit, moved up past
            // any line it would cross; the range returns a line whose top is at the cut,
            // so the next range starts exactly there. In a row of several cells that
            // line may lie in an earlier cell than start: the position can go back while
            // the page still moves down, and every line is drawn exactly once.
            const auto lb = m_lines.begin() + u.firstLine;
            const auto le = lb + u.lineCount;
            qreal cut = std::numeric_limits<qreal>::max();
            for (auto it = lb; it != le; ++it)
                if (it->top >= y0 - kEpsilon && it->bottom > limit)
                    cut = std::min(cut, it->top);
            for (bool moved = true; moved;) {
                moved = false;
                for (auto it = lb; it != le; ++it) {
                    if (it->top >= y0 - kEpsilon && it->top < cut - kEpsilon && it->bottom > cut + kEpsilon) {
                        cut = it->top;
                        moved = true;
                    }
                }
            }
            int resume = INT_MAX;
            if (cut > y0 + kEpsilon && cut != std::numeric_limits<qreal>::max()) {
                for (auto it = lb; it != le; ++it)
                    if (std::abs(it->top - cut) <= kEpsilon)
                        resume = std::min(resume, it->pos);
            }
            if (resume != INT_MAX && resume != start) {
                yEnd = cut;
                next = resume;
            }
        }
        break;
    }
    if (next == start)
        return start; // nothing fits: no progress
    if (!draw)
        return std::min(next, length);

    QPainter painter(device);
    if (!painter.isActive())
        return -1;
    const qreal drawHeight = std::min<qreal>(yEnd - y0, heightPx);
    painter.setClipRect(QRectF(leftPx, topPx, widthPx, drawHeight));
    painter.translate(leftPx - m_origin, topPx - y0);
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.clip = QRectF(m_origin, y0, widthPx, drawHeight);
    ctx.palette.setColor(QPalette::Text, Qt::black);
    m_laid->documentLayout()->draw(&painter, ctx);
    m_listNumbers.draw(painter, *m_laid, ctx.clip);
    m_drawn = {m_units[first].start, next, y0, y0 + drawHeight, leftPx, topPx};
    return std::min(next, length);
}

namespace {

// A line's characters as a reader finds them: pictures, controls and soft hyphens drop
// out, every run of blanks is one space.
QString lineText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.isSpace() || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            out += QLatin1Char(' ');
        else if (c.category() != QChar::Other_Control && c.category() != QChar::Other_Format
                 && c != QChar::ObjectReplacementCharacter && !c.isNonCharacter() && c != QChar(0x00AD))
            out += c;
    }
    return out.simplified();
}

} // namespace

std::vector<FormatRange::TextLine> FormatRange::drawnLines() const
{
    std::vector<TextLine> out;
    if (!m_laid || m_drawn.from < 0 || m_revision != m_source.revision())
        return out;
    const qreal dx = m_drawn.left - m_origin;
    const qreal dy = m_drawn.top - m_drawn.y0;
    // Blocks come in document order, cells of a table row by row: the order of reading.
    for (QTextBlock block = m_laid->findBlock(m_drawn.from); block.isValid() && block.position() < m_drawn.to;
         block = block.next()) {
        const QTextLayout *layout = block.layout();
        if (!layout || !block.isVisible())
            continue;
        const QRectF docRect = m_laid->documentLayout()->blockBoundingRect(block);
        // The bounding rectangle is placed at the layout's position (plus its frames'),
        // whatever its own left edge; lines are counted from that position.
        const QPointF offset(docRect.left(), docRect.top() - layout->boundingRect().top());
        const QString text = block.text();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const qreal top = offset.y() + line.y();
            // A line belongs to the page that drew it whole (a split table row leaves
            // lines of its earlier cells to the next page).
            if (top < m_drawn.y0 - kEpsilon || top + line.height() > m_drawn.yEnd + kEpsilon)
                continue;
            const QString shown = lineText(text.mid(line.textStart(), line.textLength()));
            if (shown.isEmpty())
                continue;
            const QRectF rect = line.naturalTextRect().translated(offset + QPointF(dx, dy));
            out.push_back({shown, rect, offset.y() + line.y() + line.ascent() + dy});
        }
    }
    return out;
}

int FormatRange::formatRange(const QTextDocument &doc, QPaintDevice *device, const QRect &areaTwips, int start)
{
    FormatRange range(doc);
    return range.formatRange(device, areaTwips, start);
}
