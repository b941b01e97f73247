#include "ActiveAttributes.h"

#include <QFont>
#include <QTextCursor>

ActiveAttributes::ActiveAttributes(QTextCursor &cursor)
    : m_cursor(cursor)
{
}

bool ActiveAttributes::selected() const
{
    return m_cursor.hasSelection();
}

QTextCharFormat ActiveAttributes::format() const
{
    if (!m_cursor.hasSelection())
        return m_cursor.charFormat();
    // The format at a position is that of the character before it.
    QTextCursor first(m_cursor.document());
    first.setPosition(m_cursor.selectionStart() + 1);
    return first.charFormat();
}

void ActiveAttributes::merge(const QTextCharFormat &modifier)
{
    // With a selection this changes the selected characters; without one, the cursor's
    // insertion format only.
    m_cursor.mergeCharFormat(modifier);
}

void ActiveAttributes::setStyle(Style style, bool on)
{
    QTextCharFormat f;
    switch (style) {
    case Style::Bold: f.setFontWeight(on ? QFont::Bold : QFont::Normal); break;
    case Style::Italic: f.setFontItalic(on); break;
    case Style::Underline: f.setFontUnderline(on); break;
    }
    merge(f);
}

void ActiveAttributes::setFace(const QString &face)
{
    if (face.trimmed().isEmpty())
        return;
    QTextCharFormat f;
    f.setFontFamilies(QStringList{face});
    merge(f);
}

bool ActiveAttributes::setSize(int points)
{
    // Qt has no font of zero points; rich text stores sizes up to 1638 points.
    if (points < 1 || points > 1638)
        return false;
    QTextCharFormat f;
    f.setFontPointSize(points);
    merge(f);
    return true;
}

void ActiveAttributes::assign(const QFont &font)
{
    QTextCharFormat f;
    f.setFontFamilies(QStringList{font.family()});
    if (font.pointSizeF() > 0)
        f.setFontPointSize(font.pointSizeF());
    else if (font.pixelSize() > 0)
        f.setFontPointSize(font.pixelSize() * 0.75);
    f.setFontWeight(font.bold() ? QFont::Bold : QFont::Normal);
    f.setFontItalic(font.italic());
    f.setFontUnderline(font.underline());
    f.setFontStrikeOut(font.strikeOut());
    merge(f);
}
