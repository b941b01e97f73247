#include "ComposerEditor.h"

#include "DefaultFont.h"
#include "LetterClipboard.h"

#include <QMimeData>
#include <QTextCursor>

ComposerEditor::ComposerEditor(QWidget *parent)
    : QTextEdit(parent)
{
    setAcceptRichText(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    document()->setDefaultFont(letterFont());
    // The text starts 6 pixels in from the left, top and right edges.
    document()->setDocumentMargin(kTextMargin);
}

QFont ComposerEditor::letterFont()
{
    QFont font = DefaultFont::font();
    font.setPixelSize(11);
    return font;
}

bool ComposerEditor::canInsertFromMimeData(const QMimeData *source) const
{
    return LetterClipboard::canInsert(source);
}

void ComposerEditor::insertFromMimeData(const QMimeData *source)
{
    QTextCursor cursor = textCursor();
    if (LetterClipboard::insert(cursor, source)) {
        setTextCursor(cursor);
        ensureCursorVisible();
    }
}

QMimeData *ComposerEditor::createMimeDataFromSelection() const
{
    QMimeData *data = QTextEdit::createMimeDataFromSelection();
    const QTextCursor cursor = textCursor();
    if (cursor.hasSelection())
        data->setData(QString::fromLatin1(LetterClipboard::kRtfTypes[0]), LetterClipboard::rtfOf(cursor));
    return data;
}
