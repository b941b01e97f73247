#pragma once

#include "richtext/reading/RtfContent.h"

#include <QTextCursor>
#include <QTextFormat>
#include <map>
#include <memory>
#include <vector>

class QImage;
class QTextDocument;
class QTextList;
class RtfFormatFactory;

// Places what the parser reads into the document: body paragraphs at once, table content
// into open tables (one per nesting depth) that are built when they end.
class RtfDocumentBuilder
{
public:
    // Where paragraphs go: the body or one table cell.
    struct Container
    {
        QTextCursor cursor;
        bool fresh = true;          // the cursor's block is still empty and unused
        bool cellStart = false;     // that block starts a table cell: its char format is the cell's
        QTextList *list = nullptr;  // the list the previous paragraph belonged to
        QTextListFormat listFormat;
        // Word lists by (\ls, level): their items continue the list across other
        // paragraphs, as their numbers do.
        std::map<std::pair<int, int>, QTextList *> wordLists;
    };

    // Table nesting: the layout's cost doubles with each level, so deeper cells (a few
    // bytes of \itap can ask for many) are read into the deepest table allowed.
    static constexpr int kMaxDepth = 5;
    static constexpr size_t kMaxPictures = 10000;

    RtfDocumentBuilder(QTextDocument *doc, RtfFormatFactory &formats);

    // depth 0 is the body, 1 a table, 2 a table in a table cell ... A body paragraph is
    // placed at once and left as it was, so that its caller can reuse its buffers; one in
    // a table is taken (moved from) until the table ends.
    void addParagraph(RtfParagraph &paragraph, int depth);
    // The paragraph (possibly empty) ends the cell at depth (>= 1).
    void endCell(RtfParagraph &&paragraph, int depth);
    void endRow(const RtfRowDef &def, int depth);
    // Closes open tables.
    void finish();
    // Places footnotes after the letter, under a short rule.
    void addNotes(std::vector<RtfParagraph> &&notes);

    // Registers a picture as a document resource; returns its index for runs, -1 when the
    // document already holds kMaxPictures.
    int addPicture(const QImage &image, double width, double height, const QByteArray &jpeg = {});

    // Used by the table builder to fill cells.
    void emitItems(Container &container, std::vector<RtfCellItem> &items);
    RtfFormatFactory &formats() { return m_formats; }

private:
    void emitParagraph(Container &container, const RtfParagraph &paragraph);
    void emitTable(Container &container, RtfTable &table);
    // The list a list item joins; nullptr when it starts a new one.
    QTextList *listToJoin(Container &c, const RtfListProps &props, const QTextListFormat &format);
    void closeDeeper(size_t depth);
    void ensureOpen(size_t depth);

    QTextDocument *m_doc;
    RtfFormatFactory &m_formats;
    Container m_body;
    std::vector<std::unique_ptr<RtfTable>> m_open; // m_open[d - 1]: the table at depth d
    std::vector<RtfPicture> m_pictures;
    QString m_piece; // part of a paragraph's text on its way into the document
};
