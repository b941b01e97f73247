#pragma once

#include "richtext/ListNumbers.h"

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QSizeF>
#include <memory>
#include <vector>

class QPaintDevice;
class QTextDocument;
class QTextFrame;
class QTextBlock;
class QTextTable;

// Page-wise layout of a letter: draws the part of a document that fits into a rectangle,
// starting at a character position, and tells where the next rectangle has to go on.
//
// The document is laid out once per width and resolution and split into units that never
// break across rectangles: a line of a paragraph, or a table row with every line in it
// (rows joined by vertically merged cells count as one). Each call only looks the start
// up and walks the units that fit, so rendering n pages costs one layout, not n, and the
// text is shaped once: drawing uses the glyphs the layout made.
//
// Pictures, tables and indents that would reach past the rectangle's edges are fitted into
// it first (PageFit), so every word is drawn inside the rectangle on some page.
//
// A letter that nothing needs to change in (no layout of its own yet, no frame but tables,
// no list to renumber, nothing PageFit must fit) is laid out in place: the layout is
// attached to it for the FormatRange's life and taken off again by release(), which gives
// the letter back its page size. Whether its tables fit shows only after the layout; if
// one does not, the letter is given back and copied. Any other letter is laid out on a
// private copy. Either way width, margin
// and layout device are set before the layout begins, so the letter is laid out once,
// and the caller's document (and any editor showing it) is left as it was. The document
// must outlive the FormatRange.
class FormatRange
{
public:
    explicit FormatRange(const QTextDocument &doc);
    ~FormatRange();
    FormatRange(const FormatRange &) = delete;
    FormatRange &operator=(const FormatRange &) = delete;

    // The document's text length in character positions: a range that returns this (or
    // more) has drawn the end of the text.
    static int textLength(const QTextDocument &doc);
    int textLength() const;

    // Lays out the document in the width of areaTwips (twips are converted with the
    // device's resolution, truncating), draws what fits from start into that rectangle on
    // the device and returns the position of the first character not drawn; -1 on bad
    // arguments. A range stops before a paragraph that starts a new page (a page break
    // before it, or after the paragraph above). A unit that is still taller than the whole
    // rectangle is not
    // drawn and start comes back: the caller sees no progress and stops. A table row that
    // is taller than the rectangle is split between its lines rather than stopping there.
    int formatRange(QPaintDevice *device, const QRect &areaTwips, int start);

    // Where a range from start ends, as formatRange() would draw it, without drawing:
    // the device only lends its resolution (page counting).
    int measureRange(QPaintDevice *device, const QRect &areaTwips, int start);

    // A line of text as a page shows it: its characters (blanks run together, pictures
    // left out) and where they stand on the device, in pixels.
    struct TextLine
    {
        QString text;
        QRectF rect;    // the line's text, from its first to its last character
        qreal baseline; // the y of the line's baseline
    };
    // The text lines the last formatRange() drew, top to bottom as laid out; empty when it
    // drew nothing or the layout has changed since.
    std::vector<TextLine> drawnLines() const;

    // One call without keeping the layout.
    static int formatRange(const QTextDocument &doc, QPaintDevice *device, const QRect &areaTwips, int start);

    // The document laid out by the last call (tests and diagnosis look at it): the copy, or
    // the letter itself when it was laid out in place; null before.
    const QTextDocument *layoutDocument() const { return m_laid; }

    // Frees the cached layout (the next call lays out again).
    void release();

    // Twips to device pixels on one axis, truncating.
    static int twipsToPixels(int twips, int dpi);

private:
    struct Line
    {
        int pos;
        qreal top;
        qreal bottom;
    };
    struct Unit
    {
        int start;      // first position
        int end;        // first position after the unit
        qreal top;
        qreal bottom;
        int firstLine;  // rows: their lines in m_lines, in position order
        int lineCount;
        bool breakBefore; // a page break comes before the unit: no range draws past it
    };

    int layRange(QPaintDevice *device, const QRect &areaTwips, int start, bool draw);
    bool ensureLayout(int widthPx, int heightPx, int dpiX, int dpiY);
    bool canLayOutInPlace(int widthPx, int heightPx) const;
    // Whether frame holds only tables, none of them too wide for sure by its fixed columns.
    static bool onlyTablesFitting(const QTextFrame *frame, int widthPx);
    // Lays out the letter itself or a copy of it; false when the letter laid out in
    // place needs its tables fitted (its layout stays until release()).
    bool layOut(bool inPlace, int widthPx, int heightPx);
    void collectFrame(QTextFrame *frame);
    void addBlockLines(const QTextBlock &block, bool asUnits);
    void addTable(QTextTable *table);
    size_t unitAt(int pos) const;
    qreal startTop(const Unit &unit, int pos) const;

    // What the last formatRange() drew: the units from `from` to the first position not
    // drawn, the layout's rows y0 to yEnd, placed at left, top on the device.
    struct Drawn
    {
        int from = -1;
        int to = -1;
        qreal y0 = 0;
        qreal yEnd = 0;
        int left = 0;
        int top = 0;
    };
    Drawn m_drawn;

    const QTextDocument &m_source;
    std::unique_ptr<QTextDocument> m_copy; // the copy laid out and drawn, unless in place
    QTextDocument *m_laid = nullptr;       // m_copy, or the letter itself
    QSizeF m_sourcePageSize;               // the letter's, given back after an in-place layout
    qreal m_origin = 0;                    // where the text area begins in the layout (its margin)
    ListNumbers m_listNumbers;
    QImage m_metricsDevice;
    int m_revision = -1;
    int m_widthPx = -1;
    int m_heightPx = -1;
    int m_dpiX = 0;
    int m_dpiY = 0;
    std::vector<Unit> m_units;
    std::vector<Line> m_lines;
};
