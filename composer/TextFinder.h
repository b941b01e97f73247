#pragma once

#include <QString>
#include <QTextCursor>

class QTextDocument;

// Find and replace in a letter. A search never crosses a paragraph end; it goes on from
// the other end of the letter when it reaches one (wrapping), and says so. A replacement
// takes the format of the character the match starts with, so text on either side keeps
// its own runs' formatting; Replace All is one undo step.
class TextFinder
{
public:
    struct Options
    {
        bool matchCase = false;
        bool wholeWords = false;
        bool backward = false;
    };
    struct Match
    {
        QTextCursor cursor; // null when nothing was found; else selects the match
        bool wrapped = false; // found only after going round the end of the letter
    };

    TextFinder(QTextDocument &doc, const QString &text, Options options);

    // The next match after `from` (before it, backward), wrapping once round the letter.
    // A cursor selecting a match is passed over, so repeated calls step from match to match.
    Match find(const QTextCursor &from) const;
    // Whether `cursor` selects exactly a match of the text.
    bool selects(const QTextCursor &cursor) const;
    // Replaces the match `cursor` selects (nothing when it selects none) and leaves the
    // cursor after the replacement; true when it replaced.
    bool replace(QTextCursor &cursor, const QString &replacement) const;
    // Every match in the letter, as one undo step; returns how many.
    int replaceAll(const QString &replacement) const;

private:
    QTextCursor findFrom(const QTextCursor &from) const;

    QTextDocument &m_doc;
    QString m_text;
    Options m_options;
};
