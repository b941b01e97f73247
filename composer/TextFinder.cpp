#include "composer/TextFinder.h"

#include <QTextDocument>

TextFinder::TextFinder(QTextDocument &doc, const QString &text, Options options)
    : m_doc(doc)
    , m_text(text)
    , m_options(options)
{
}

QTextCursor TextFinder::findFrom(const QTextCursor &from) const
{
    QTextDocument::FindFlags flags;
    if (m_options.matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (m_options.wholeWords)
        flags |= QTextDocument::FindWholeWords;
    if (m_options.backward)
        flags |= QTextDocument::FindBackward;
    return m_doc.find(m_text, from, flags);
}

TextFinder::Match TextFinder::find(const QTextCursor &from) const
{
    if (m_text.isEmpty())
        return {};
    // Forward the search starts at the selection's end, backward at its start, so a
    // selected match is never found again.
    QTextCursor start(&m_doc);
    start.setPosition(m_options.backward ? from.selectionStart() : from.selectionEnd());
    QTextCursor found = findFrom(start);
    if (!found.isNull())
        return {found, false};
    QTextCursor other(&m_doc);
    other.movePosition(m_options.backward ? QTextCursor::End : QTextCursor::Start);
    found = findFrom(other);
    return {found, !found.isNull()};
}

bool TextFinder::selects(const QTextCursor &cursor) const
{
    if (m_text.isEmpty() || !cursor.hasSelection() || cursor.document() != &m_doc)
        return false;
    QTextCursor before(&m_doc);
    before.setPosition(cursor.selectionStart());
    const Options forward{m_options.matchCase, m_options.wholeWords, false};
    const QTextCursor found = TextFinder(m_doc, m_text, forward).findFrom(before);
    return !found.isNull() && found.selectionStart() == cursor.selectionStart()
           && found.selectionEnd() == cursor.selectionEnd();
}

bool TextFinder::replace(QTextCursor &cursor, const QString &replacement) const
{
    if (!selects(cursor))
        return false;
    // The replacement is written in the run the match starts in (the format of a
    // position is that of the character before it).
    QTextCursor first(&m_doc);
    first.setPosition(cursor.selectionStart() + 1);
    QTextCharFormat format = first.charFormat();
    if (format.isImageFormat())
        format = QTextCharFormat();
    const int start = cursor.selectionStart();
    cursor.beginEditBlock();
    cursor.insertText(replacement, format);
    cursor.endEditBlock();
    cursor.setPosition(start + static_cast<int>(replacement.size()));
    return true;
}

int TextFinder::replaceAll(const QString &replacement) const
{
    if (m_text.isEmpty())
        return 0;
    const Options forward{m_options.matchCase, m_options.wholeWords, false};
    const TextFinder finder(m_doc, m_text, forward);
    QTextCursor edit(&m_doc);
    int count = 0;
    edit.beginEditBlock();
    // Each search starts after the last replacement, so a replacement that holds the
    // text is not searched again.
    for (QTextCursor at(&m_doc);;) {
        QTextCursor found = finder.findFrom(at);
        if (found.isNull())
            break;
        finder.replace(found, replacement);
        at = found;
        ++count;
    }
    edit.endEditBlock();
    return count;
}
