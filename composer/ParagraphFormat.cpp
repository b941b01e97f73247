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

// The list format of a numbering, and which numbering a list format is.
QTextListFormat numberingFormat(Numbering numbering)
{
    QTextListFormat f;
    switch (numbering) {
    case Numbering::Decimal: f.setStyle(QTextListFormat::ListDecimal); break;
    case Numbering::LowerAlpha: f.setStyle(QTextListFormat::ListLowerAlpha); break;
    case Numbering::LowerRoman: f.setStyle(QTextListFormat::ListLowerRoman); break;
    case Numbering::None: break;
    }
    f.setNumberSuffix(numbering == Numbering::LowerAlpha ? QStringLiteral(")") : QStringLiteral("."));
    return f;
}

Numbering numberingOfList(const QTextList *list)
{
    if (!list)
        return Numbering::None;
    const QTextListFormat f = list->format();
    if (!f.numberPrefix().isEmpty())
        return Numbering::None;
    // A list without a suffix of its own shows "."
    const QString suffix = f.hasProperty(QTextFormat::ListNumberSuffix) ? f.numberSuffix() : QStringLiteral(".");
    for (const Numbering n : {Numbering::Decimal, Numbering::LowerAlpha, Numbering::LowerRoman}) {
        const QTextListFormat wanted = numberingFormat(n);
        if (f.style() == wanted.style() && suffix == wanted.numberSuffix())
            return n;
    }
    return Numbering::None;
}

// Takes a paragraph out of its list; leaving a list adds the list's indent to the
// paragraph, so it keeps its own instead.
void leaveList(const QTextBlock &block)
{
    QTextList *list = block.textList();
    if (!list)
        return;
    const int indent = block.blockFormat().indent();
    list->remove(block);
    QTextCursor c(block);
    QTextBlockFormat f = c.blockFormat();
    f.setIndent(indent);
    c.setBlockFormat(f);
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
        leaveList(block);
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

Numbering numberingOf(const QTextCursor &cursor)
{
    return numberingOfList(cursor.currentList());
}

void setNumbering(QTextCursor &cursor, Numbering numbering)
{
    cursor.beginEditBlock();
    const std::vector<QTextBlock> blocks = blocksOf(cursor);
    for (const QTextBlock &block : blocks) {
        if (block.textList() && (numbering == Numbering::None || numberingOfList(block.textList()) != numbering))
            leaveList(block);
    }
    if (numbering != Numbering::None) {
        // Numbering goes on from the paragraph above when it is numbered the same way.
        QTextList *joined = nullptr;
        if (!blocks.empty()) {
            QTextList *above = blocks.front().previous().textList();
            if (numberingOfList(above) == numbering)
                joined = above;
        }
        for (const QTextBlock &block : blocks) {
            if (QTextList *own = block.textList()) {
                joined = own;
                continue;
            }
            if (!joined) {
                QTextCursor c(block);
                joined = c.createList(numberingFormat(numbering));
            } else {
                joined->add(block);
            }
        }
    }
    cursor.endEditBlock();
}

} // namespace ParagraphFormat
