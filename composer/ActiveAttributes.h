#pragma once

#include <QString>
#include <QTextCharFormat>

class QColor;
class QFont;
class QTextCursor;

// The character attributes a format command acts on: those of the selection when at
// least one character is selected, else the insertion format at the caret (what the next
// typed character gets). Every change is a merge, so the attributes it does not name stay.
class ActiveAttributes
{
public:
    enum class Style { Bold, Italic, Underline };

    explicit ActiveAttributes(QTextCursor &cursor);

    bool selected() const;
    // The format the attributes start from (the first selected character, or the caret's).
    QTextCharFormat format() const;

    void setStyle(Style style, bool on);
    void setFace(const QString &face);
    // Whole points from 1 up; anything else changes nothing and returns false.
    bool setSize(int points);
    // Face, size and styles of a font (as the font dialog returns it).
    void assign(const QFont &font);
    // Text colour and highlight (the background behind the text). An invalid colour
    // (TextColors::automatic) takes it away: the default text colour, no highlight.
    void setColor(const QColor &color);
    void setHighlight(const QColor &color);

private:
    void merge(const QTextCharFormat &modifier);
    void setBrush(int property, const QColor &color);

    QTextCursor &m_cursor;
};
