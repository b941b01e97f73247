#include "richtext/layout/PageFit.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <vector>

namespace {

// Room left below a picture in its line (the font's descent and leading) when it is fitted
// to the page height.
constexpr qreal kLineRoom = 32;
// Indents take at most this share of the width, so text keeps room beside them.
constexpr qreal kMaxIndentShare = 0.5;
// Rounding noise of the layout's fixed-point positions.
constexpr qreal kEpsilon = 0.5;

QSizeF naturalSize(const QTextDocument &doc, const QTextImageFormat &image)
{
    const QVariant resource = doc.resource(QTextDocument::ImageResource, QUrl(image.name()));
    QSizeF size;
    if (resource.canConvert<QImage>())
        size = resource.value<QImage>().size();
    if (size.isEmpty() && resource.canConvert<QPixmap>())
        size = resource.value<QPixmap>().size();
    const qreal w = image.width(), h = image.height();
    if (w > 0 && h > 0)
        return QSizeF(w, h);
    if (size.isEmpty())
        return QSizeF(w, h);
    if (w > 0)
        return QSizeF(w, w * size.height() / size.width());
    if (h > 0)
        return QSizeF(h * size.width() / size.height(), h);
    return size;
}

QTextLength scaled(const QTextLength &length, qreal factor)
{
    return length.type() == QTextLength::FixedLength ? QTextLength(QTextLength::FixedLength, length.rawValue() * factor)
                                                     : length;
}

} // namespace

void PageFit::beforeLayout(QTextDocument &doc, qreal width, qreal height)
{
    if (width <= 0 || height <= 0)
        return;
    fitFrame(doc, doc.rootFrame(), width, height, true);
}

bool PageFit::fitsBeforeLayout(const QTextDocument &doc, qreal width, qreal height)
{
    // Nothing is changed when apply is false.
    QTextDocument &unchanged = const_cast<QTextDocument &>(doc);
    return width <= 0 || height <= 0 || !fitFrame(unchanged, unchanged.rootFrame(), width, height, false);
}

bool PageFit::fitFrame(QTextDocument &doc, QTextFrame *frame, qreal width, qreal height, bool apply)
{
    bool changed = false;
    for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
        if (QTextFrame *child = it.currentFrame()) {
            // Pictures in cells are fitted with their table, after a layout shows its widths.
            if (!qobject_cast<QTextTable *>(child))
                changed = fitFrame(doc, child, width, height, apply) || changed;
            continue;
        }
        const QTextBlock block = it.currentBlock();
        QTextBlockFormat format = block.blockFormat();
        const qreal indents = format.leftMargin() + format.rightMargin() + std::max<qreal>(format.textIndent(), 0);
        if (indents > width * kMaxIndentShare) {
            const qreal f = width * kMaxIndentShare / indents;
            format.setLeftMargin(format.leftMargin() * f);
            format.setRightMargin(format.rightMargin() * f);
            format.setTextIndent(format.textIndent() * f);
            if (!apply)
                return true;
            QTextCursor(block).setBlockFormat(format);
            changed = true;
        }
        const qreal room = width - format.leftMargin() - format.rightMargin() - std::max<qreal>(format.textIndent(), 0);
        if (scalePictures(doc, block.position(), block.position() + block.length(), room, height - kLineRoom, 1, apply)) {
            if (!apply)
                return true;
            changed = true;
        }
    }
    return changed;
}

bool PageFit::scalePictures(QTextDocument &doc, int from, int to, qreal maxWidth, qreal maxHeight, qreal factor, bool apply)
{
    struct Change
    {
        int position;
        int length;
        QTextImageFormat format;
    };
    std::vector<Change> changes;
    for (QTextBlock b = doc.findBlock(from); b.isValid() && b.position() < to; b = b.next()) {
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QSizeF size = naturalSize(doc, image);
            if (size.width() <= 0 || size.height() <= 0)
                continue;
            qreal f = factor;
            f = std::min(f, std::max<qreal>(maxWidth, 1) / size.width());
            f = std::min(f, std::max<qreal>(maxHeight, 1) / size.height());
            if (f >= 1)
                continue;
            if (!apply)
                return true;
            image.setWidth(std::max<qreal>(size.width() * f, 1));
            image.setHeight(std::max<qreal>(size.height() * f, 1));
            changes.push_back({fragment.position(), fragment.length(), image});
        }
    }
    for (const Change &c : changes) {
        QTextCursor cursor(&doc);
        cursor.setPosition(c.position);
        cursor.setPosition(c.position + c.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(c.format);
    }
    return !changes.empty();
}

bool PageFit::shrinkWideTables(QTextDocument &doc, qreal width)
{
    return fitTables(doc, width, 0, true);
}

bool PageFit::tablesFit(const QTextDocument &doc, qreal width, qreal origin)
{
    // Nothing is changed when apply is false.
    return !fitTables(const_cast<QTextDocument &>(doc), width, origin, false);
}

bool PageFit::fitTables(QTextDocument &doc, qreal width, qreal origin, bool apply)
{
    // Layout positions are taken relative to origin, so a letter laid out with its
    // margin is measured as its copy without one would be.
    bool changed = false;
    std::vector<QTextFrame *> frames{doc.rootFrame()};
    while (!frames.empty()) {
        QTextFrame *frame = frames.back();
        frames.pop_back();
        for (QTextFrame *child : frame->childFrames()) {
            frames.push_back(child);
            auto *table = qobject_cast<QTextTable *>(child);
            if (!table)
                continue;
            if (fitPicturesInCells(doc, table, width, origin, apply)) {
                if (!apply)
                    return true;
                changed = true;
            }
            // Only a top-level table is measured against the page: a nested one shrinks
            // with the table around it.
            if (table->parentFrame() != doc.rootFrame() && qobject_cast<QTextTable *>(table->parentFrame()))
                continue;
            const qreal right = std::max(doc.documentLayout()->frameBoundingRect(table).right() - origin,
                                         contentRight(doc, table->firstPosition(), table->lastPosition() + 1, origin));
            if (right > width + kEpsilon && right > 0) {
                if (!apply)
                    return true;
                scaleTable(doc, table, width / right);
                changed = true;
            }
        }
    }
    return changed;
}

qreal PageFit::contentRight(const QTextDocument &doc, int from, int to, qreal origin)
{
    qreal right = 0;
    for (QTextBlock b = doc.findBlock(from); b.isValid() && b.position() < to; b = b.next()) {
        const qreal left = doc.documentLayout()->blockBoundingRect(b).left() - origin;
        const QTextLayout *layout = b.layout();
        for (int i = 0; layout && i < layout->lineCount(); ++i)
            right = std::max(right, left + layout->lineAt(i).x() + layout->lineAt(i).naturalTextWidth());
    }
    return right;
}

bool PageFit::fitPicturesInCells(QTextDocument &doc, QTextTable *table, qreal width, qreal origin, bool apply)
{
    // The layout keeps its column widths to itself; each column's content begins where
    // the first paragraph of its cells does, and the gap before the first column's
    // content (border and padding) stands for the gaps between columns.
    const int rows = table->rows();
    const int columns = table->columns();
    const QRectF frameRect = doc.documentLayout()->frameBoundingRect(table).translated(-origin, 0);
    std::vector<qreal> lefts(static_cast<size_t>(columns) + 1, -1);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (!cell.isValid() || cell.column() != c)
                continue;
            const qreal left = doc.documentLayout()->blockBoundingRect(doc.findBlock(cell.firstPosition())).left() - origin;
            qreal &known = lefts[static_cast<size_t>(c)];
            known = known < 0 ? left : std::min(known, left);
        }
    }
    const qreal gap = std::max<qreal>(lefts[0] - frameRect.left(), 0);
    lefts[static_cast<size_t>(columns)] = std::min(frameRect.right(), width) + gap;
    bool changed = false;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (!cell.isValid() || cell.row() != r || cell.column() != c)
                continue;
            qreal next = -1;
            for (int n = c + cell.columnSpan(); n <= columns && next < 0; ++n)
                next = lefts[static_cast<size_t>(n)];
            const qreal room = next - 2 * gap - lefts[static_cast<size_t>(c)];
            if (room <= 0 || contentRight(doc, cell.firstPosition(), cell.lastPosition(), origin) <= lefts[static_cast<size_t>(c)] + room + kEpsilon)
                continue;
            if (scalePictures(doc, cell.firstPosition(), cell.lastPosition(), room, 1e9, 1, apply)) {
                if (!apply)
                    return true;
                changed = true;
            }
        }
    }
    return changed;
}

void PageFit::scaleTable(QTextDocument &doc, QTextTable *table, qreal factor)
{
    // Lengths of the table and of every table and paragraph inside it shrink alike, so
    // the columns keep their proportions.
    std::vector<QTextFrame *> frames{table};
    while (!frames.empty()) {
        QTextFrame *frame = frames.back();
        frames.pop_back();
        for (QTextFrame *child : frame->childFrames())
            frames.push_back(child);
        if (auto *t = qobject_cast<QTextTable *>(frame)) {
            QTextTableFormat format = t->format();
            QList<QTextLength> widths = format.columnWidthConstraints();
            for (QTextLength &w : widths)
                w = scaled(w, factor);
            format.setColumnWidthConstraints(widths);
            format.setWidth(scaled(format.width(), factor));
            format.setLeftMargin(format.leftMargin() * factor);
            format.setRightMargin(format.rightMargin() * factor);
            t->setFormat(format);
        }
    }
    const int from = table->firstPosition();
    const int to = table->lastPosition();
    for (QTextBlock b = doc.findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        QTextBlockFormat format = b.blockFormat();
        if (format.leftMargin() > 0 || format.rightMargin() > 0 || format.textIndent() > 0) {
            format.setLeftMargin(format.leftMargin() * factor);
            format.setRightMargin(format.rightMargin() * factor);
            format.setTextIndent(format.textIndent() * factor);
            QTextCursor(b).setBlockFormat(format);
        }
    }
    scalePictures(doc, from, to + 1, 1e9, 1e9, factor);
}
