#include "richtext/reading/RtfDocumentBuilder.h"

#include "richtext/JpegPicture.h"
#include "richtext/reading/RtfFormatFactory.h"
#include "richtext/reading/RtfReader.h"
#include "richtext/reading/RtfTableBuilder.h"

#include <QImage>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <algorithm>

RtfDocumentBuilder::RtfDocumentBuilder(QTextDocument *doc, RtfFormatFactory &formats)
    : m_doc(doc), m_formats(formats)
{
    m_body.cursor = QTextCursor(doc);
}

void RtfDocumentBuilder::closeDeeper(size_t depth)
{
    while (m_open.size() > depth) {
        std::unique_ptr<RtfTable> table = std::move(m_open.back());
        m_open.pop_back();
        // Content after the last \row (no \row came) still forms a row.
        if (!table->openCell.items.empty())
            table->openCells.push_back(std::move(table->openCell));
        if (!table->openCells.empty()) {
            RtfRow row;
            if (!table->rows.empty())
                row.def = table->rows.back().def;
            row.cells = std::move(table->openCells);
            table->rows.push_back(std::move(row));
        }
        if (m_open.empty()) {
            emitTable(m_body, *table);
        } else {
            RtfCellItem item;
            item.table = std::move(table);
            m_open.back()->openCell.items.push_back(std::move(item));
        }
    }
}

void RtfDocumentBuilder::ensureOpen(size_t depth)
{
    while (m_open.size() < depth)
        m_open.push_back(std::make_unique<RtfTable>());
}

void RtfDocumentBuilder::addParagraph(RtfParagraph &paragraph, int depth)
{
    const size_t d = static_cast<size_t>(std::clamp(depth, 0, kMaxDepth));
    closeDeeper(d);
    if (d == 0) {
        emitParagraph(m_body, paragraph);
        return;
    }
    ensureOpen(d);
    RtfCellItem item;
    item.paragraph = std::move(paragraph);
    // The text may come in a buffer a long paragraph before it left: a table's cells wait
    // for the table's end, and should not each keep such room.
    QString &text = item.paragraph.text;
    if (text.capacity() > 2 * text.size() + 64)
        text.squeeze();
    m_open[d - 1]->openCell.items.push_back(std::move(item));
}

void RtfDocumentBuilder::endCell(RtfParagraph &&paragraph, int depth)
{
    const int d = std::clamp(depth, 1, kMaxDepth);
    addParagraph(paragraph, d);
    RtfTable &table = *m_open[static_cast<size_t>(d) - 1];
    table.openCells.push_back(std::move(table.openCell));
    table.openCell = RtfCell();
}

void RtfDocumentBuilder::endRow(const RtfRowDef &def, int depth)
{
    const size_t d = static_cast<size_t>(std::clamp(depth, 1, kMaxDepth));
    closeDeeper(d);
    ensureOpen(d);
    RtfTable &table = *m_open[d - 1];
    if (!table.openCell.items.empty()) {
        table.openCells.push_back(std::move(table.openCell));
        table.openCell = RtfCell();
    }
    if (table.openCells.empty() && def.cells.empty())
        return;
    RtfRow row;
    row.def = def;
    row.cells = std::move(table.openCells);
    table.openCells.clear();
    table.rows.push_back(std::move(row));
}

void RtfDocumentBuilder::finish()
{
    closeDeeper(0);
}

void RtfDocumentBuilder::addNotes(std::vector<RtfParagraph> &&notes)
{
    closeDeeper(0);
    // An empty paragraph that draws a rule of a third of the width.
    RtfParagraph rule;
    rule.para.spaceBefore = 240;
    emitParagraph(m_body, rule);
    QTextBlockFormat ruleFormat = m_body.cursor.blockFormat();
    ruleFormat.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth,
                           QTextLength(QTextLength::PercentageLength, 33));
    m_body.cursor.setBlockFormat(ruleFormat);
    m_body.list = nullptr;
    m_body.wordLists.clear();
    for (const RtfParagraph &note : notes)
        emitParagraph(m_body, note);
}

QTextList *RtfDocumentBuilder::listToJoin(Container &c, const RtfListProps &props, const QTextListFormat &format)
{
    if (props.ls <= 0)
        return c.list && c.listFormat == format ? c.list : nullptr;
    // An item of a level ends the lists of the deeper levels: they count anew.
    auto deeper = c.wordLists.upper_bound({props.ls, props.level});
    while (deeper != c.wordLists.end() && deeper->first.first == props.ls)
        deeper = c.wordLists.erase(deeper);
    const auto it = c.wordLists.find({props.ls, props.level});
    if (it != c.wordLists.end() && it->second->format() == format)
        return it->second;
    return nullptr;
}

int RtfDocumentBuilder::addPicture(const QImage &image, double width, double height, const QByteArray &jpeg)
{
    if (m_pictures.size() >= kMaxPictures)
        return -1;
    RtfPicture picture;
    picture.name = QStringLiteral("%1://%2").arg(QLatin1String(RtfReader::kImageScheme)).arg(m_pictures.size() + 1);
    picture.width = width;
    picture.height = height;
    picture.jpeg = jpeg;
    m_doc->addResource(QTextDocument::ImageResource, QUrl(picture.name), QVariant(image));
    m_pictures.push_back(picture);
    return static_cast<int>(m_pictures.size()) - 1;
}

void RtfDocumentBuilder::emitItems(Container &container, std::vector<RtfCellItem> &items)
{
    for (RtfCellItem &item : items) {
        if (item.table)
            emitTable(container, *item.table);
        else
            emitParagraph(container, item.paragraph);
    }
}

void RtfDocumentBuilder::emitParagraph(Container &c, const RtfParagraph &paragraph)
{
    QTextBlockFormat block = m_formats.blockFormat(paragraph);
    const QTextCharFormat mark = m_formats.charFormat(paragraph.mark);
    const QTextListFormat listFormat = m_formats.listFormat(paragraph.para.list);
    const bool listItem = listFormat.style() != QTextListFormat::ListStyleUndefined;
    bool newList = false;
    if (listItem) {
        if (QTextList *join = listToJoin(c, paragraph.para.list, listFormat)) {
            block.setObjectIndex(join->objectIndex());
            c.list = join;
            c.listFormat = listFormat;
        } else {
            newList = true;
        }
    }
    if (c.fresh) {
        c.cursor.setBlockFormat(block);
        if (!c.cellStart)
            c.cursor.setBlockCharFormat(mark);
        c.fresh = false;
        c.cellStart = false;
    } else {
        c.cursor.insertBlock(block, mark);
    }
    if (newList) {
        c.list = c.cursor.createList(listFormat);
        c.listFormat = listFormat;
        if (paragraph.para.list.ls > 0)
            c.wordLists[{paragraph.para.list.ls, paragraph.para.list.level}] = c.list;
    } else if (!listItem) {
        c.list = nullptr;
    }
    const std::vector<RtfRun> &runs = paragraph.runs;
    for (size_t i = 0; i < runs.size(); ++i) {
        const RtfRun &run = runs[i];
        if (run.image >= 0 && static_cast<size_t>(run.image) < m_pictures.size()) {
            const RtfPicture &picture = m_pictures[static_cast<size_t>(run.image)];
            QTextImageFormat image;
            image.merge(m_formats.charFormat(run.chars));
            image.setName(picture.name);
            image.setWidth(picture.width);
            image.setHeight(picture.height);
            if (!picture.jpeg.isEmpty())
                JpegPicture::keep(image, picture.jpeg);
            c.cursor.insertImage(image);
        } else if (run.length > 0) {
            // Runs of equal format that follow one another in the text go in as one piece:
            // the document would join them into one fragment anyway, and each insertion
            // costs a format lookup.
            qsizetype length = run.length;
            while (i + 1 < runs.size() && runs[i + 1].image < 0 && runs[i + 1].chars == run.chars
                   && runs[i + 1].begin == run.begin + length) {
                length += runs[i + 1].length;
                ++i;
            }
            const QTextCharFormat format = m_formats.charFormat(run.chars);
            if (run.begin == 0 && length == paragraph.text.size()) {
                c.cursor.insertText(paragraph.text, format);
            } else {
                // Part of the text: copied into a buffer kept for it (a raw view could end
                // up shared by the document's text and outlive the paragraph).
                m_piece.resize(0);
                m_piece.append(paragraph.text.constData() + run.begin, length);
                c.cursor.insertText(m_piece, format);
            }
        }
    }
}

void RtfDocumentBuilder::emitTable(Container &c, RtfTable &table)
{
    RtfTableBuilder::build(c, table, *this);
}
