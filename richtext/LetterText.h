#pragma once

#include <QString>
#include <QStringList>
#include <climits>

class QTextDocument;

// The letter as text, read the way its reader sees it on the page: one line per paragraph
// (and per manual line break), list items with their labels ("•", "1.", "c)"), table rows
// with their cells in order, and a blank line where the letter leaves space between
// paragraphs. Footnotes stand after the letter in the document, so they come last here
// too, under a short rule. Pictures have no text and are left out.
class LetterText
{
public:
    struct Options
    {
        // Only the characters at positions start .. end-1 (one page of the layout); list
        // labels only for items that begin there.
        int start = 0;
        int end = INT_MAX;
        // Between the cells of a table row.
        QString cellSeparator = QStringLiteral(" | ");
        // A rule in the letter (the one above the footnotes) as a line of its own; without
        // it, a rule only separates like a blank line.
        bool rules = true;
    };

    // The lines hold no line breaks and no blanks at their ends; there is no blank line
    // at the start or the end, and never two in a row.
    static QStringList lines(const QTextDocument &doc, const Options &options);
    static QStringList lines(const QTextDocument &doc) { return lines(doc, Options()); }

    // The lines as one line: every run of blanks one space, none at the ends.
    static QString collapsed(const QStringList &lines);

    // The line a rule becomes.
    static QString ruleLine() { return QStringLiteral("__________"); }
};
