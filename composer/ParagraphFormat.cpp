#include "composer/ParagraphFormat.h"

#include "composer/AlignmentTag.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <vector>

namespace ParagraphFormat {

namespace {

bool isBulletStyle(QTextListFormat::Style style)
{
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle
        || style == QTextListFormat::ListSquare;
}

std::vector<QTextBlock> blocksOf(const QTextCursor &cursor)
{
    std::vector<QTextBlock> blocks;
    const QTextDocument *doc = cursor.document();
    QTextBlock block = doc->findBlock(cursor.selectionStart());
    const QTextBlock last = doc->findBlock(cursor.selectionEnd());
    for (; block.isValid(); block = block.next()) {
        blocks.push_back(block);
        if (block == last)
            break;
    }
    return blocks;
}

} // namespace

void setAlignment(QTextCursor &cursor, int tag)
{
    if (!AlignmentTag::valid(tag))
        return;
    QTextBlockFormat f;
    f.setAlignment(AlignmentTag::alignment(tag));
    cursor.mergeBlockFormat(f);
}

bool isBulletParagraph(const QTextCursor &cursor)
{
    const QTextList *list = cursor.currentList();
    return list && isBulletStyle(list->format().style());
}

void setBullets(QTextCursor &cursor, bool on)
{
    cursor.beginEditBlock();
    const std::vector<QTextBlock> blocks = blocksOf(cursor);
    for (const QTextBlock &block : blocks) {
        QTextList *list = block.textList();
        if (!list || (on && isBulletStyle(list->format().style())))
            continue;
        // Leaving a list adds the list's indent to the paragraph; keep its own instead.
        const int indent = block.blockFormat().indent();
        list->remove(block);
        QTextCursor c(block);
        QTextBlockFormat f = c.blockFormat();
        f.setIndent(indent);
        c.setBlockFormat(f);
    }
    if (on) {
        // Paragraphs already in a bullet list stay in theirs; the others join one new list.
        QTextList *joined = nullptr;
        for (const QTextBlock &block : blocks) {
            if (block.textList())
                continue;
            if (!joined) {
                QTextCursor c(block);
                QTextListFormat lf;
                lf.setStyle(QTextListFormat::ListDisc);
                joined = c.createList(lf);
            } else {
                joined->add(block);
            }
        }
    }
    cursor.endEditBlock();
}

} // namespace ParagraphFormat
