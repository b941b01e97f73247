#include "composer/LetterContent.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>

namespace LetterContent {

bool hasContent(const QTextDocument &letter)
{
    // A table is content even while its cells are empty: someone laid it out.
    if (!letter.rootFrame()->childFrames().isEmpty())
        return true;
    // Pictures stand in the text as the object replacement character, which is not blank.
    const QString text = letter.toPlainText();
    for (const QChar c : text) {
        if (!c.isSpace())
            return true;
    }
    return false;
}

void clear(QTextCursor &cursor)
{
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    if (QTextList *list = cursor.currentList())
        list->remove(cursor.block());
    cursor.setBlockFormat(QTextBlockFormat());
    cursor.setBlockCharFormat(QTextCharFormat());
    cursor.setCharFormat(QTextCharFormat());
    cursor.endEditBlock();
}

} // namespace LetterContent
