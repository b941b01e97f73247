#include "composer/windows/ComposerEditor.h"

#include "composer/LetterClipboard.h"
#include "composer/ParagraphBreak.h"
#include "os/DefaultFont.h"
#include "richtext/LetterDocument.h"
#include "text/Ansi.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

ComposerEditor::ComposerEditor(QWidget *parent)
    : QTextEdit(parent)
{
    setAcceptRichText(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setAccessibleName(QStringLiteral("Letter"));
    usePaperColours();
    prepare(document());
}

void ComposerEditor::usePaperColours()
{
    // The letter is sent as white pages: it stays paper-white with black "automatic" text
    // on a dark desktop too, so that its colours look as they will be read. The selection
    // keeps the desktop's colours.
    QPalette p = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, Qt::white);
        p.setColor(group, QPalette::Text, Qt::black);
    }
    setPalette(p);
}

void ComposerEditor::changeEvent(QEvent *event)
{
    QTextEdit::changeEvent(event);
    // A palette set on the whole program (a desktop switching to dark) must not turn the
    // paper.
    if (event->type() == QEvent::PaletteChange && palette().color(QPalette::Base) != Qt::white)
        usePaperColours();
}

void ComposerEditor::prepare(QTextDocument *doc)
{
    doc->setDefaultFont(letterFont());
    // The text starts 6 pixels in from the left, top and right edges.
    doc->setDocumentMargin(kTextMargin);
}

void ComposerEditor::loadLetter(std::string_view bytes)
{
    loadLetter(bytes, Ansi::toQString(bytes));
}

void ComposerEditor::loadLetter(std::string_view bytes, const QString &plainText)
{
    auto *doc = new QTextDocument(this);
    LetterDocument::load(bytes, plainText, doc);
    // The letter's own default font is what the reader set; the margin is the editor's.
    doc->setDocumentMargin(kTextMargin);
    doc->setModified(false);
    // The first document belongs to the editor's text control, which deletes it; the ones
    // read here belong to the editor.
    QTextDocument *old = document();
    const bool ours = old->parent() == this;
    setDocument(doc);
    if (ours)
        delete old;
    emit documentReplaced();
}

QFont ComposerEditor::letterFont()
{
    QFont font = DefaultFont::font();
    font.setPixelSize(11);
    return font;
}

void ComposerEditor::keyPressEvent(QKeyEvent *event)
{
    // Tab writes a tab into the letter; Ctrl+Tab (with Shift: back) leaves it for the next
    // control, as in any text area of the desktop.
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (tab && (event->modifiers() & Qt::ControlModifier)) {
        const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        QWidget::focusNextPrevChild(!back);
        event->accept();
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Shift+Enter stays a line break inside the paragraph; Ctrl+Enter is a window key.
    if (!enter || isReadOnly() || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QTextEdit::keyPressEvent(event);
        return;
    }
    QTextCursor cursor = textCursor();
    ParagraphBreak::insert(cursor);
    setTextCursor(cursor);
    ensureCursorVisible();
    event->accept();
}

namespace {

// The files of a drop or paste that holds only local files; empty otherwise.
QList<QUrl> localFiles(const QMimeData *source)
{
    const QList<QUrl> urls = source->hasUrls() ? source->urls() : QList<QUrl>();
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            return {};
    }
    return urls;
}

} // namespace

bool ComposerEditor::canInsertFromMimeData(const QMimeData *source) const
{
    return !localFiles(source).isEmpty() || LetterClipboard::canInsert(source);
}

void ComposerEditor::insertFromMimeData(const QMimeData *source)
{
    if (const QList<QUrl> files = localFiles(source); !files.isEmpty()) {
        emit filesDropped(files);
        return;
    }
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

bool ComposerEditor::fromHere(const QDropEvent *event) const
{
    // The text control starts its drags from the viewport.
    return event->source() == this || event->source() == viewport();
}

void ComposerEditor::copyOnly(QDropEvent *event) const
{
    if (fromHere(event) || !event->isAccepted())
        return;
    if (event->possibleActions() & Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ComposerEditor::dragEnterEvent(QDragEnterEvent *event)
{
    QTextEdit::dragEnterEvent(event);
    copyOnly(event);
}

void ComposerEditor::dragMoveEvent(QDragMoveEvent *event)
{
    QTextEdit::dragMoveEvent(event);
    copyOnly(event);
}

void ComposerEditor::dropEvent(QDropEvent *event)
{
    // Refused before the text control sees it: a drop that may not copy changes nothing.
    if (!fromHere(event) && !(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return;
    }
    // The text control removes the dragged selection only for a move from this editor.
    if (!fromHere(event))
        event->setDropAction(Qt::CopyAction);
    QTextEdit::dropEvent(event);
    copyOnly(event);
}
