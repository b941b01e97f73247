#include "richtext/layout/FormatRange.h"

#include "os/DefaultFont.h"
#include "richtext/LetterDocument.h"
#include "richtext/reading/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <climits>
#include <memory>

// The page layout over QTextDocument: what one rectangle takes, where the next begins.
class TestFormatRange : public QObject
{
    Q_OBJECT

private:
    // The default page: 600 x 800 pixels at 96 dpi with margins 10, 10, 25, 25.
    static QImage page()
    {
        QImage image(600, 800, QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        image.fill(Qt::white);
        return image;
    }
    static QRect area(int heightPx = 750)
    {
        const int left = 10 * 1440 / 96, top = 25 * 1440 / 96;
        return QRect(QPoint(left, top), QSize(590 * 1440 / 96 - left, (25 + heightPx) * 1440 / 96 - top));
    }

    static void setUp(QTextDocument &doc)
    {
        doc.setDefaultFont(DefaultFont::font());
    }

    // A picture of the given size as the document's resource "wide", and its format.
    static QTextImageFormat addWidePicture(QTextDocument &doc, int width, int height, Qt::GlobalColor color)
    {
        QImage wide(width, height, QImage::Format_RGB32);
        wide.fill(color);
        doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("wide")), wide);
        QTextImageFormat picture;
        picture.setName(QStringLiteral("wide"));
        return picture;
    }

    static bool inkIn(const QImage &image, const QRect &rect)
    {
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    return true;
        return false;
    }

    static QRect inkBox(const QImage &image)
    {
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    box |= QRect(x, y, 1, 1);
        return box;
    }

    // Runs ranges as the page renderer does; returns the start of every page (at most
    // maxPages).
    static QList<int> paginate(const QTextDocument &doc, const QRect &rect, QList<QImage> *pages = nullptr, int maxPages = 500)
    {
        FormatRange range(doc);
        const int length = range.textLength();
        QList<int> starts;
        int s = 0;
        while (starts.size() < maxPages) {
            QImage image = page();
            starts.append(s);
            const int e = range.formatRange(&image, rect, s);
            if (pages)
                pages->append(image);
            if (e == -1 || e == s || e >= length)
                break;
            s = e;
        }
        return starts;
    }

    // Whether pos is where a line of the document begins, in a layout of the same width.
    static bool isLineStart(const QTextDocument &doc, int pos)
    {
        const QTextBlock block = doc.findBlock(pos);
        const QTextLayout *layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i)
            if (block.position() + layout->lineAt(i).textStart() == pos)
                return true;
        return false;
    }

private slots:
    void fitsInOneRange()
    {
        QTextDocument doc;
        setUp(doc);
        doc.setPlainText(QStringLiteral("Dear friend,\nA short letter.\n\nRegards"));
        QImage image = page();
        QCOMPARE(FormatRange::formatRange(doc, &image, area(), 0), FormatRange::textLength(doc));
        // Drawn inside the text area only.
        QVERIFY(inkIn(image, QRect(10, 25, 580, 750)));
        QVERIFY(!inkIn(image, QRect(0, 0, 600, 25)));
        QVERIFY(!inkIn(image, QRect(0, 775, 600, 25)));
        QVERIFY(!inkIn(image, QRect(0, 0, 10, 800)));
    }

    void emptyDocumentAndBadArguments()
    {
        QTextDocument doc;
        setUp(doc);
        QCOMPARE(FormatRange::textLength(doc), 0);
        QImage image = page();
        QCOMPARE(FormatRange::formatRange(doc, &image, area(), 0), 0);
        QVERIFY(!inkIn(image, image.rect()));

        doc.setPlainText(QStringLiteral("text"));
        QCOMPARE(FormatRange::textLength(doc), 4);
        QCOMPARE(FormatRange::formatRange(doc, nullptr, area(), 0), -1);
        QCOMPARE(FormatRange::formatRange(doc, &image, QRect(), 0), -1);
        QCOMPARE(FormatRange::formatRange(doc, &image, QRect(0, 0, 10, 10), 0), -1); // under a pixel
        QCOMPARE(FormatRange::formatRange(doc, &image, area(), -1), -1);
        QCOMPARE(FormatRange::formatRange(doc, &image, area(), 5), -1);
        QCOMPARE(FormatRange::formatRange(doc, &image, area(), 4), 4);

        // Rectangles at the ends of the int range: no overflow, the text still fits.
        QCOMPARE(FormatRange::formatRange(doc, &image, QRect(QPoint(0, 0), QPoint(INT_MAX - 1, INT_MAX - 1)), 0), 4);
        QCOMPARE(FormatRange::formatRange(doc, &image, QRect(QPoint(INT_MIN, INT_MIN), QPoint(INT_MAX, INT_MAX)), 0), 4);
        QCOMPARE(FormatRange::formatRange(doc, &image, QRect(QPoint(-3000, -3000), QPoint(3000, 3000)), 0), 4);
    }

    void linesNeverSplit_data()
    {
        QTest::addColumn<int>("heightPx");
        QTest::newRow("page") << 750;
        QTest::newRow("odd height") << 97;
        QTest::newRow("one line") << 20;
    }

    void linesNeverSplit()
    {
        QFETCH(int, heightPx);
        QTextDocument doc;
        setUp(doc);
        QString text;
        for (int i = 0; i < 120; ++i)
            text += QStringLiteral("Paragraph %1 with enough words to wrap over more than one line of the page, "
                                   "so that ranges end inside paragraphs as well as between them.\n").arg(i);
        doc.setPlainText(text);
        const QList<int> starts = paginate(doc, area(heightPx), nullptr, 5000);
        QVERIFY(starts.size() > 1);

        // Every range begins where a line begins, in a layout of the same width.
        QTextDocument check;
        check.setDefaultFont(DefaultFont::font());
        check.setPlainText(text);
        QImage metrics(1, 1, QImage::Format_RGB32);
        metrics.setDotsPerMeterX(3780);
        metrics.setDotsPerMeterY(3780);
        check.documentLayout()->setPaintDevice(&metrics);
        check.setDocumentMargin(0);
        check.setTextWidth(580);
        check.documentLayout()->documentSize();
        for (int s : starts)
            QVERIFY2(isLineStart(check, s), qPrintable(QString::number(s)));
        // The last page reaches the end of the text.
        QImage image = page();
        QCOMPARE(FormatRange::formatRange(doc, &image, area(heightPx), starts.last()), FormatRange::textLength(doc));
    }

    // Only the start of a long letter keeps its shaped glyphs from the layout; the pages
    // further on are shaped again as they are drawn. Both must draw the same pixels: the
    // letter repeats one page of mixed formats, each copy on a page of its own, far past
    // the part that is kept.
    void longLetterDrawsItsLastPageAsItsFirst()
    {
        QTextDocument doc;
        setUp(doc);
        QTextCursor c(&doc);
        QTextCharFormat bold, big;
        bold.setFontWeight(QFont::Bold);
        big.setFontPointSize(14);
        QTextBlockFormat newPage;
        newPage.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        constexpr int kCopies = 60;
        for (int copy = 0; copy < kCopies; ++copy) {
            for (int line = 0; line < 12; ++line) {
                if (copy > 0 || line > 0)
                    c.insertBlock(line == 0 ? newPage : QTextBlockFormat());
                c.insertText(QStringLiteral("A line of the letter, with "), QTextCharFormat());
                c.insertText(QStringLiteral("bold words"), bold);
                c.insertText(QStringLiteral(", a larger one "), big);
                c.insertText(QStringLiteral("and the rest of it, long enough to wrap once over the width of "
                                            "the page and to go on for a while on the next line."),
                             QTextCharFormat());
            }
        }
        QVERIFY(doc.characterCount() > 100000);
        QList<QImage> pages;
        QCOMPARE(paginate(doc, area(), &pages).size(), kCopies);
        QVERIFY(inkIn(pages.first(), pages.first().rect()));
        QCOMPARE(pages.last(), pages.first());
        QCOMPARE(pages.at(kCopies / 2), pages.first());
    }

    void cachedLayoutMatchesFreshOneAndFollowsEdits()
    {
        QTextDocument doc;
        setUp(doc);
        doc.setPlainText(QString(QStringLiteral("a line of text that wraps in a narrow column\n")).repeated(200));
        FormatRange range(doc);
        QImage a = page();
        QImage b = page();
        const int first = range.formatRange(&a, area(), 0);
        QVERIFY(first > 0 && first < range.textLength());
        const int second = range.formatRange(&a, area(), first);
        QCOMPARE(FormatRange::formatRange(doc, &b, area(), first), second);

        // A different width lays out again.
        QImage c = page();
        QVERIFY(range.formatRange(&c, QRect(150, 375, 1500, 11250), 0) < first);

        // An edit of the document is seen by the next call.
        QTextCursor(&doc).insertText(QString(QStringLiteral("new line\n")).repeated(50));
        QImage d = page();
        QVERIFY(range.formatRange(&d, area(), 0) != first);
        QCOMPARE(range.textLength(), doc.characterCount() - 1);
    }

    void documentSettingsComeBack()
    {
        QTextDocument doc;
        setUp(doc);
        doc.setPlainText(QStringLiteral("some text"));
        doc.setTextWidth(321);
        doc.setDocumentMargin(7);
        const QString before = doc.toHtml();
        {
            FormatRange range(doc);
            QImage image = page();
            QCOMPARE(range.formatRange(&image, area(), 0), 9);
            range.release();
            QCOMPARE(doc.textWidth(), 321.0);
            QCOMPARE(doc.documentMargin(), 7.0);
            QCOMPARE(range.formatRange(&image, area(), 0), 9); // lays out again
        }
        QCOMPARE(doc.textWidth(), 321.0);
        QCOMPARE(doc.documentMargin(), 7.0);
        QCOMPARE(doc.documentLayout()->paintDevice(), nullptr);
        QCOMPARE(doc.toHtml(), before);
    }

    void tableRowsMoveWhole()
    {
        QTextDocument doc;
        setUp(doc);
        QTextCursor cur(&doc);
        cur.insertText(QStringLiteral("Before the table"));
        QTextTable *table = cur.insertTable(40, 3);
        for (int r = 0; r < 40; ++r)
            for (int c = 0; c < 3; ++c)
                table->cellAt(r, c).firstCursorPosition().insertText(
                    QString(QStringLiteral("row %1 cell %2\n")).arg(r).arg(c).repeated(1 + (r + c) % 4).trimmed());
        table->mergeCells(10, 0, 3, 1); // rows 10 to 12 move together
        cur.movePosition(QTextCursor::End);
        cur.insertText(QStringLiteral("After the table"));

        QList<int> rowStarts;
        for (int r = 0; r < 40; ++r)
            rowStarts.append(table->cellAt(r, 0).firstPosition());
        const QList<int> starts = paginate(doc, area(200));
        QVERIFY(starts.size() > 3);
        for (int s : starts.mid(1)) {
            if (s >= table->firstPosition() && s <= table->lastPosition()) {
                QVERIFY2(rowStarts.contains(s), qPrintable(QString::number(s)));
                QVERIFY(s != rowStarts[11] && s != rowStarts[12]);
            }
        }
        QImage image = page();
        QCOMPARE(FormatRange::formatRange(doc, &image, area(200), starts.last()), FormatRange::textLength(doc));
    }

    void rowTallerThanRangeIsSplit_data()
    {
        QTest::addColumn<int>("firstLines");
        QTest::addColumn<int>("secondLines");
        QTest::addColumn<int>("secondPoints");
        QTest::newRow("one tall cell") << 100 << 1 << 8;
        QTest::newRow("two tall cells, different line heights") << 100 << 70 << 13;
        QTest::newRow("taller second cell") << 10 << 120 << 10;
    }

    void rowTallerThanRangeIsSplit()
    {
        QFETCH(int, firstLines);
        QFETCH(int, secondLines);
        QFETCH(int, secondPoints);
        QTextDocument doc;
        setUp(doc);
        QTextCursor cur(&doc);
        cur.insertText(QStringLiteral("Before"));
        QTextTable *table = cur.insertTable(1, 2);
        QString first, second;
        for (int i = 0; i < firstLines; ++i)
            first += QStringLiteral("left %1\n").arg(i);
        for (int i = 0; i < secondLines; ++i)
            second += QStringLiteral("right %1\n").arg(i);
        table->cellAt(0, 0).firstCursorPosition().insertText(first.trimmed());
        QTextCharFormat big;
        big.setFontPointSize(secondPoints);
        table->cellAt(0, 1).firstCursorPosition().insertText(second.trimmed(), big);
        cur.movePosition(QTextCursor::End);
        cur.insertText(QStringLiteral("After"));

        // The page keeps moving down, so the ranges end; the last one draws the end.
        const QList<int> starts = paginate(doc, area(300), nullptr, 200);
        QVERIFY(starts.size() > 3);
        QVERIFY(starts.size() < 200);
        QImage image = page();
        QCOMPARE(FormatRange::formatRange(doc, &image, area(300), starts.last()), FormatRange::textLength(doc));
    }

    // A picture taller than the range is scaled down to fit it, so the text after it
    // still comes on the next range.
    void pictureTallerThanRangeIsScaledToFit()
    {
        QTextDocument doc;
        setUp(doc);
        QImage tall(50, 2000, QImage::Format_RGB32);
        tall.fill(Qt::black);
        doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("tall")), tall);
        QTextCursor cur(&doc);
        cur.insertText(QStringLiteral("Text before"));
        cur.insertBlock();
        QTextImageFormat image;
        image.setName(QStringLiteral("tall"));
        cur.insertImage(image);
        cur.insertBlock();
        cur.insertText(QStringLiteral("Text after"));

        QList<QImage> pages;
        const QList<int> starts = paginate(doc, area(), &pages);
        QImage p = page();
        QCOMPARE(FormatRange::formatRange(doc, &p, area(), starts.last()), FormatRange::textLength(doc));
        QRect ink;
        for (const QImage &drawn : pages)
            ink = ink.united(inkBox(drawn));
        QVERIFY2(ink.height() > 600 && ink.bottom() < 775, qPrintable(QStringLiteral("%1x%2").arg(ink.width()).arg(ink.height())));
    }

    // A compact table whose columns size themselves keeps its width in the stored letter
    // the page is drawn from, rather than filling the page.
    void storedNarrowTableIsDrawnNarrow()
    {
        QTextDocument editor;
        setUp(editor);
        editor.setTextWidth(580);
        QTextCursor(&editor).insertHtml(QStringLiteral(
            "<table border=1 cellspacing=0 cellpadding=4><tr><td>Name</td><td>Value</td></tr></table>"));
        QTextDocument letter;
        LetterDocument::load(LetterDocument::save(editor), &letter);
        QImage image = page();
        QCOMPARE(FormatRange::formatRange(letter, &image, area(), 0), FormatRange::textLength(letter));
        const QRect ink = inkBox(image);
        QVERIFY2(ink.width() > 20 && ink.right() < 10 + 200, qPrintable(QStringLiteral("%1 to %2").arg(ink.left()).arg(ink.right())));
    }

    // Tables, pictures, indents and tab stops that reach past the right edge are fitted
    // into the range: no line or table ends past it, and every range together draws the
    // whole text.
    void wideContentStaysInsideTheArea_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("table of fixed columns") << QStringLiteral("fixed table");
        QTest::newRow("picture") << QStringLiteral("picture");
        QTest::newRow("picture in a cell") << QStringLiteral("picture cell");
        QTest::newRow("nested wide table") << QStringLiteral("nested");
        QTest::newRow("tab stop past the edge") << QStringLiteral("tab");
        QTest::newRow("indent past the edge") << QStringLiteral("indent");
    }

    void wideContentStaysInsideTheArea()
    {
        QFETCH(QString, what);
        QTextDocument doc;
        setUp(doc);
        const QTextImageFormat picture = addWidePicture(doc, 1500, 300, Qt::blue);
        QTextTableFormat fixed;
        fixed.setColumnWidthConstraints(QList<QTextLength>(4, QTextLength(QTextLength::FixedLength, 300)));
        QTextCursor cur(&doc);
        cur.insertText(QStringLiteral("Letter"));
        cur.insertBlock();
        if (what == QLatin1String("fixed table") || what == QLatin1String("nested")) {
            QTextTable *table = cur.insertTable(2, 4, fixed);
            for (int c = 0; c < 4; ++c)
                table->cellAt(0, c).firstCursorPosition().insertText(QStringLiteral("Column%1 words").arg(c));
            if (what == QLatin1String("nested")) {
                QTextCursor inner = table->cellAt(1, 3).firstCursorPosition();
                QTextTable *nested = inner.insertTable(1, 3, fixed);
                nested->cellAt(0, 2).firstCursorPosition().insertText(QStringLiteral("Innermost"));
            }
        } else if (what == QLatin1String("picture")) {
            cur.insertImage(picture);
        } else if (what == QLatin1String("picture cell")) {
            QTextTable *table = cur.insertTable(1, 2);
            table->cellAt(0, 0).firstCursorPosition().insertImage(picture);
            table->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("Beside"));
        } else if (what == QLatin1String("tab")) {
            QTextBlockFormat far;
            far.setTabPositions({QTextOption::Tab(900, QTextOption::LeftTab)});
            cur.setBlockFormat(far);
            cur.insertText(QStringLiteral("Label\tText at a far tab stop"));
        } else {
            QTextBlockFormat far;
            far.setLeftMargin(2000);
            cur.setBlockFormat(far);
            cur.insertText(QStringLiteral("Indented text"));
        }
        cur.movePosition(QTextCursor::End);
        cur.insertBlock();
        cur.insertText(QStringLiteral("The end"));

        FormatRange range(doc);
        QImage image = page();
        QCOMPARE(range.formatRange(&image, area(), 0), FormatRange::textLength(doc));
        const QTextDocument *laid = range.layoutDocument();
        QVERIFY(laid);
        QAbstractTextDocumentLayout *layout = laid->documentLayout();
        const qreal width = 580 + 0.5;
        for (QTextBlock b = laid->begin(); b.isValid(); b = b.next()) {
            const QRectF rect = layout->blockBoundingRect(b);
            for (int i = 0; i < b.layout()->lineCount(); ++i) {
                const QTextLine line = b.layout()->lineAt(i);
                const qreal right = rect.left() + line.x() + line.naturalTextWidth();
                QVERIFY2(right <= width, qPrintable(QStringLiteral("%1: %2").arg(b.text()).arg(right)));
            }
        }
        for (QTextFrame *frame : laid->rootFrame()->childFrames()) {
            QVERIFY2(layout->frameBoundingRect(frame).right() <= width, qPrintable(QString::number(layout->frameBoundingRect(frame).right())));
            for (QTextFrame *inner : frame->childFrames())
                QVERIFY(layout->frameBoundingRect(inner).right() <= width);
        }
        // The rightmost column is drawn near the right edge, not cut off.
        if (what != QLatin1String("tab") && what != QLatin1String("indent"))
            QVERIFY(inkBox(image).right() > 450);
        // The letter the user edits is left as it was.
        if (what != QLatin1String("tab"))
            QVERIFY(doc.documentLayout()->documentSize().width() > 580);
    }

    // Letters with lists and tables are laid out as they are when nothing in them needs
    // fitting, else on a copy: either way the pages are those of the copy, and the letter
    // is given back unchanged, without a layout.
    void listsAndTablesLaidOutInPlaceOrCopied_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("lists") << QStringLiteral("lists") << true;
        QTest::newRow("table that fits") << QStringLiteral("table") << true;
        QTest::newRow("table too wide") << QStringLiteral("wide word") << false;
        QTest::newRow("picture in a cell too wide") << QStringLiteral("picture cell") << false;
        QTest::newRow("list counting from 3") << QStringLiteral("from 3") << false;
    }

    void listsAndTablesLaidOutInPlaceOrCopied()
    {
        QFETCH(QString, what);
        QFETCH(bool, inPlace);
        QTextDocument doc;
        setUp(doc);
        const QTextImageFormat picture = addWidePicture(doc, 900, 60, Qt::darkGreen);
        QTextCursor cur(&doc);
        for (int section = 0; section < 12; ++section) {
            cur.insertText(QStringLiteral("Section %1 of a letter with text that wraps over the width of the page").arg(section));
            cur.insertBlock();
            if (what == QLatin1String("lists") || what == QLatin1String("from 3")) {
                QTextListFormat list;
                list.setStyle(section % 2 ? QTextListFormat::ListDisc : QTextListFormat::ListDecimal);
                if (what == QLatin1String("from 3") && section == 4)
                    list.setProperty(RtfReader::ListStartProperty, 3);
                cur.createList(list);
                for (int item = 0; item < 4; ++item) {
                    if (item > 0)
                        cur.insertBlock(); // the next item of the list
                    cur.insertText(QStringLiteral("item %1 ").arg(item).repeated(item * 9 + 1));
                }
                cur.insertBlock(QTextBlockFormat()); // out of the list
                continue;
            }
            QTextTableFormat format;
            format.setBorder(1);
            QTextTable *table = cur.insertTable(3, 3, format);
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    table->cellAt(r, c).firstCursorPosition().insertText(QStringLiteral("cell %1 %2 words").arg(r).arg(c));
            if (section == 7 && what == QLatin1String("wide word"))
                table->cellAt(1, 1).firstCursorPosition().insertText(QString(120, QLatin1Char('W')));
            if (section == 7 && what == QLatin1String("picture cell"))
                table->cellAt(2, 0).firstCursorPosition().insertImage(picture);
            cur.movePosition(QTextCursor::End);
        }
        const QString html = doc.toHtml();
        const int revision = doc.revision();
        const int undoSteps = doc.availableUndoSteps();
        doc.setPageSize(QSizeF(333, 444));

        // The same letter with a layout of its own is always copied.
        std::unique_ptr<QTextDocument> copied(doc.clone());
        copied->documentLayout();
        QList<QImage> expected;
        const QList<int> copiedStarts = paginate(*copied, area(300), &expected);
        QVERIFY(copiedStarts.size() > 2);

        QList<QImage> pages;
        {
            FormatRange range(doc);
            int start = 0;
            for (int i = 0; i < copiedStarts.size(); ++i) {
                QImage image = page();
                const int end = range.formatRange(&image, area(300), start);
                QCOMPARE(start, copiedStarts[i]);
                QCOMPARE(range.layoutDocument() == &doc, inPlace);
                pages.append(image);
                start = end;
            }
            QCOMPARE(start, FormatRange::textLength(doc));
        }
        for (int i = 0; i < pages.size(); ++i)
            QVERIFY2(pages[i] == expected[i], qPrintable(QStringLiteral("page %1").arg(i + 1)));
        QVERIFY(!doc.findChild<QAbstractTextDocumentLayout *>(QString(), Qt::FindDirectChildrenOnly));
        QCOMPARE(doc.pageSize(), QSizeF(333, 444));
        QCOMPARE(doc.revision(), revision);
        QCOMPARE(doc.availableUndoSteps(), undoSteps);
        QCOMPARE(doc.toHtml(), html);
    }
};

QTEST_MAIN(TestFormatRange)
#include "tst_formatrange.moc"
