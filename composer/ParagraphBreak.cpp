#include "composer/ParagraphBreak.h"

#include "composer/ParagraphFormat.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>

namespace ParagraphBreak {

void insert(QTextCursor &cursor)
{
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    QTextCharFormat typing = cursor.charFormat();
    // After a picture the caret's format is the picture's; text keeps only its font.
    for (int property : {int(QTextFormat::ObjectType), int(QTextFormat::ImageName), int(QTextFormat::ImageWidth),
                         int(QTextFormat::ImageHeight)})
        typing.clearProperty(property);
    if (cursor.currentList() && cursor.block().length() == 1) {
        ParagraphFormat::setBullets(cursor, false);
    } else {
        QTextBlockFormat paragraph = cursor.blockFormat();
        // A rule under a paragraph belongs to that one paragraph only.
        paragraph.clearProperty(QTextFormat::BlockTrailingHorizontalRulerWidth);
        cursor.insertBlock(paragraph, typing);
        // An empty paragraph gives its own character format to what is typed into it,
        // also after the caret has left it and come back.
        if (cursor.block().length() == 1)
            cursor.setBlockCharFormat(typing);
    }
    cursor.setCharFormat(typing);
    cursor.endEditBlock();
}

} // namespace ParagraphBreak
