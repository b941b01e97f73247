#pragma once

#include <QString>
#include <QTextListFormat>
#include <vector>

class QPainter;
class QRectF;
class QTextDocument;
class QTextList;

// Qt 6.4 numbers every list from 1, while a letter's list may start at any number (the
// reader keeps it as RtfReader::ListStartProperty). On a document that is laid out for
// drawing, such lists lose the numbers Qt would draw, and draw() paints their own.
class ListNumbers
{
public:
    // Takes Qt's numbering off the lists of doc that start elsewhere than 1; call before
    // the layout.
    void prepare(QTextDocument &doc);
    // Whether prepare() would change anything in doc: a numbered list in it starts
    // elsewhere than 1.
    static bool changes(const QTextDocument &doc);
    // Draws the numbers of those items inside clip (document coordinates); the document
    // must be laid out and stay so.
    void draw(QPainter &painter, const QTextDocument &doc, const QRectF &clip);

    // The label of item number in a list of this format: "5.", "(c)", "iv." ...
    static QString label(const QTextListFormat &format, int number);

private:
    struct List
    {
        QTextList *list;
        QTextListFormat format; // the format with its numbering style
        int start;
    };
    struct Item
    {
        qreal top;
        qreal bottom;
        size_t list;
        int index;
    };
    void collect(const QTextDocument &doc);
    // Whether a list of this format gets its numbers from draw().
    static bool ownsNumbers(const QTextListFormat &format);

    std::vector<List> m_lists;
    std::vector<Item> m_items; // sorted by top, made at the first draw
    bool m_collected = false;
    qreal m_tallest = 0;
};
