#include "composer/ActiveAttributes.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <utility>
#include <vector>

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

void ActiveAttributes::setColor(const QColor &color)
{
    setBrush(QTextFormat::ForegroundBrush, color);
}

void ActiveAttributes::setHighlight(const QColor &color)
{
    setBrush(QTextFormat::BackgroundBrush, color);
}

void ActiveAttributes::setBrush(int property, const QColor &color)
{
    if (color.isValid()) {
        QTextCharFormat f;
        f.setProperty(property, QBrush(color));
        merge(f);
        return;
    }
    // A merge cannot take a property away: the caret's format, or each run of the
    // selection, is set again without it (pictures keep their image, SetFormat keeps
    // object indices).
    if (!m_cursor.hasSelection()) {
        QTextCharFormat f = m_cursor.charFormat();
        f.clearProperty(property);
        m_cursor.setCharFormat(f);
        return;
    }
    const int start = m_cursor.selectionStart();
    const int end = m_cursor.selectionEnd();
    // Collected first: setting a format splits the fragments being walked.
    std::vector<std::pair<int, int>> runs;
    const QTextDocument *doc = m_cursor.document();
    for (QTextBlock block = doc->findBlock(start); block.isValid() && block.position() < end; block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = std::max(start, fragment.position());
            const int to = std::min(end, fragment.position() + fragment.length());
            if (from < to && fragment.charFormat().hasProperty(property))
                runs.emplace_back(from, to);
        }
    }
    QTextCursor run(m_cursor);
    m_cursor.beginEditBlock(); // one undo step
    for (const auto &[from, to] : runs) {
        run.setPosition(from);
        run.setPosition(to, QTextCursor::KeepAnchor);
        QTextCharFormat f = run.charFormat();
        f.clearProperty(property);
        run.setCharFormat(f);
    }
    m_cursor.endEditBlock();
}
