#pragma once

#include <QtGlobal>

class QTextDocument;
class QTextTable;
class QTextFrame;

// Fits a document into a page's text area before it is drawn, so that nothing lies past
// the right edge and no picture is too tall for a page: pictures are scaled down keeping
// their aspect ratio, tables shrink with their columns in proportion, and indents leave
// room for text. Changes only the private copy a page layout draws, never the letter
// the user edits; the dry runs (fitsBeforeLayout, tablesFit) tell whether a letter can be
// laid out as it is. Tab stops need nothing: a tab whose stop lies past the edge already
// moves the text after it to the next line.
class PageFit
{
public:
    // Before the layout: pictures and indents of top-level paragraphs and the fixed
    // column widths of top-level tables, against a text area of width x height pixels.
    static void beforeLayout(QTextDocument &doc, qreal width, qreal height);
    // Whether beforeLayout() would leave the document as it is.
    static bool fitsBeforeLayout(const QTextDocument &doc, qreal width, qreal height);

    // After a layout: pictures wider than their cells are fitted into them, and every
    // top-level table that is still wider than the text area shrinks by the factor it is
    // too wide, contents included. Returns whether anything changed (the caller lays out
    // again).
    static bool shrinkWideTables(QTextDocument &doc, qreal width);
    // Whether shrinkWideTables() would leave the laid-out document as it is; origin is
    // where its text area begins (the document margin of a letter laid out as it is).
    static bool tablesFit(const QTextDocument &doc, qreal width, qreal origin);

private:
    // shrinkWideTables(), or with apply false only whether anything needs it.
    static bool fitTables(QTextDocument &doc, qreal width, qreal origin, bool apply);
    // Fits the frame's paragraphs, or with apply false only tells whether any needs it.
    static bool fitFrame(QTextDocument &doc, QTextFrame *frame, qreal width, qreal height, bool apply);
    static void scaleTable(QTextDocument &doc, QTextTable *table, qreal factor);
    // Pictures wider than the cell they stand in; returns whether any was scaled (would be).
    static bool fitPicturesInCells(QTextDocument &doc, QTextTable *table, qreal width, qreal origin, bool apply);
    // Right edge of the widest line of the paragraphs in [from, to), from origin.
    static qreal contentRight(const QTextDocument &doc, int from, int to, qreal origin = 0);
    // Scales the pictures of [from, to) so that none is wider than maxWidth or taller than
    // maxHeight, or all of them by factor when it is below 1; returns whether any changed
    // (with apply false, whether any would).
    static bool scalePictures(QTextDocument &doc, int from, int to, qreal maxWidth, qreal maxHeight, qreal factor,
                              bool apply = true);
};
