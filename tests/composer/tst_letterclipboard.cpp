#include "composer/LetterClipboard.h"
#include "richtext/layout/TableGeometry.h"
#include "richtext/LetterDocument.h"

#include <QBuffer>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QtTest>

namespace {

QByteArray png(QColor color)
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray rtfPicture(QColor color)
{
    return "{\\pict\\pngblip\\picw8\\pich6\\picwgoal120\\pichgoal90 " + png(color).toHex() + "}";
}

QList<QTextImageFormat> imagesOf(const QTextDocument &doc)
{
    QList<QTextImageFormat> images;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                images.append(it.fragment().charFormat().toImageFormat());
    return images;
}

QColor colourOf(const QTextDocument &doc, const QTextImageFormat &image)
{
    return doc.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>().pixelColor(0, 0);
}

QTextTable *firstTable(const QTextDocument &doc)
{
    for (QTextFrame *frame : doc.rootFrame()->childFrames())
        if (auto *table = qobject_cast<QTextTable *>(frame))
            return table;
    return nullptr;
}

// The first table of the document, checked for its grid.
QTextTable *tableOf(const QTextDocument &doc, int rows, int columns)
{
    QTextTable *table = firstTable(doc);
    if (!table || table->rows() != rows || table->columns() != columns)
        return nullptr;
    return table;
}

// What our RTF writer saves and our reader reads back.
void saveAndReload(const QTextDocument &doc, QTextDocument &again)
{
    LetterDocument::load(LetterDocument::save(doc), &again);
}

bool paste(QTextDocument &doc, const QString &type, const QByteArray &bytes)
{
    QMimeData data;
    data.setData(type, bytes);
    QTextCursor c(&doc);
    c.movePosition(QTextCursor::End);
    return LetterClipboard::insert(c, &data);
}

// As LibreOffice Writer puts a table with borders and merged cells and a bullet list on
// the clipboard.
const char *const kWriterHtml =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\n"
    "<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\"/><title></title>\n"
    "<meta name=\"generator\" content=\"LibreOffice 7.4.7.2 (Linux)\"/>\n"
    "<style type=\"text/css\">@page { size: 21cm 29.7cm; margin: 2cm } p { line-height: 115%; margin-bottom: 0.25cm; background: transparent }</style>\n"
    "</head><body lang=\"en-GB\" link=\"#000080\" vlink=\"#800000\" dir=\"ltr\">\n"
    "<table width=\"100%\" cellpadding=\"4\" cellspacing=\"0\"><col width=\"128*\"/><col width=\"64*\"/><col width=\"64*\"/>\n"
    "<tr valign=\"top\"><td colspan=\"2\" width=\"66%\" style=\"border-top: 1px solid #000000; border-bottom: 1px solid #000000; border-left: 1px solid #000000; border-right: none; padding: 0.1cm\"><p><font face=\"Liberation Serif\"><b>Merged</b></font></p></td>\n"
    "<td rowspan=\"2\" style=\"border: 1px solid #000000; padding: 0.1cm\"><p>Tall</p></td></tr>\n"
    "<tr valign=\"top\"><td style=\"border: 1px solid #000000\"><p>A</p></td><td style=\"border: 1px solid #000000\"><p><font color=\"#c9211e\">B</font></p></td></tr>\n"
    "</table>\n"
    "<ul><li><p style=\"margin-bottom: 0cm\">First point</p></li><li><p>Second point</p></li></ul>\n"
    "</body></html>\n";

} // namespace

class TestLetterClipboard : public QObject
{
    Q_OBJECT

private slots:
    void writerTableAndListSurviveSaving()
    {
        QTextDocument doc;
        QVERIFY(paste(doc, QStringLiteral("text/html"), kWriterHtml));
        QTextDocument again;
        saveAndReload(doc, again);
        for (const QTextDocument *d : {&doc, &again}) {
            QTextTable *table = tableOf(*d, 2, 3);
            QVERIFY(table);
            QCOMPARE(table->cellAt(0, 0).columnSpan(), 2);
            QCOMPARE(table->cellAt(0, 2).rowSpan(), 2);
            QTextCursor merged = table->cellAt(0, 0).firstCursorPosition();
            merged.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            QCOMPARE(merged.selectedText(), QStringLiteral("Merged"));
            QVERIFY(table->cellAt(0, 0).firstCursorPosition().block().begin().fragment().charFormat().fontWeight()
                    >= QFont::Bold);
            const QTextCharFormat b = table->cellAt(1, 1).firstCursorPosition().block().begin().fragment().charFormat();
            QCOMPARE(b.foreground().color(), QColor(0xc9, 0x21, 0x1e));
            QVERIFY(d->toPlainText().contains(QStringLiteral("Second point")));
            const QTextBlock first = d->find(QStringLiteral("First point")).block();
            QVERIFY(first.textList());
            QCOMPARE(first.textList()->count(), 2);
        }
    }

    void browserPicturesAreTakenOrDropped()
    {
        QTemporaryDir dir;
        const QString local = dir.filePath(QStringLiteral("local.png"));
        QFile file(local);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(png(Qt::green));
        file.close();
        // As a browser puts a fragment on the clipboard (Firefox marks it with comments).
        const QByteArray html = "<html><body>\n<!--StartFragment--><meta charset='utf-8'>"
            "<table border=\"1\" style=\"border-collapse: collapse\"><tbody><tr><td>x</td><td>y</td></tr></tbody></table>"
            "<p>Pictures: <img src=\"data:image/png;base64," + png(Qt::red).toBase64() + "\" width=\"8\">"
            "<img src='https://example.com/track.png'>"
            "<img src=\"" + QUrl::fromLocalFile(local).toEncoded() + "\" alt=x>"
            "<img src=\"relative/pic.png\"><img src=\"file:///nonexistent/none.png\"></p>"
            "<!--EndFragment-->\n</body></html>";
        QTextDocument doc;
        QVERIFY(paste(doc, QStringLiteral("text/html"), html));
        const QList<QTextImageFormat> images = imagesOf(doc);
        QCOMPARE(images.size(), 2);
        QCOMPARE(colourOf(doc, images[0]), QColor(Qt::red));
        QCOMPARE(colourOf(doc, images[1]), QColor(Qt::green));
        QCOMPARE(images[0].width(), 8.0);
        QVERIFY(firstTable(doc));

        QTextDocument again;
        saveAndReload(doc, again);
        QCOMPARE(imagesOf(again).size(), 2);
        QCOMPARE(firstTable(again)->columns(), 2);
    }

    void rtfTableAndPictureKeepTheLettersOwn()
    {
        // The letter already holds a picture under the reader's first name.
        QTextDocument doc;
        LetterDocument::load("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}mine " + rtfPicture(Qt::blue).toStdString() + "\\par}", &doc);
        QCOMPARE(imagesOf(doc).size(), 1);
        const QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\r\n"
                               "\\trowd\\cellx2000\\clmgf\\cellx4000\\clmrg\\cellx6000\\intbl one\\cell two\\cell\\cell\\row\r\n"
                               "\\trowd\\cellx2000\\cellx4000\\cellx6000\\intbl three\\cell four " + rtfPicture(Qt::yellow) +
                               "\\cell five\\cell\\row\r\n\\pard after\\par}";
        QVERIFY(paste(doc, QStringLiteral("application/rtf"), rtf));
        QTextDocument again;
        saveAndReload(doc, again);
        for (const QTextDocument *d : {&doc, &again}) {
            QTextTable *table = tableOf(*d, 2, 3);
            QVERIFY(table);
            QCOMPARE(table->cellAt(0, 1).columnSpan(), 2);
            const QList<QTextImageFormat> images = imagesOf(*d);
            QCOMPARE(images.size(), 2);
            QCOMPARE(colourOf(*d, images[0]), QColor(Qt::blue));
            QCOMPARE(colourOf(*d, images[1]), QColor(Qt::yellow));
        }
    }

    void copiedTableKeepsTheWidthsItShows()
    {
        // A pasted table sized by its content, copied as RTF into another letter.
        QTextDocument doc;
        doc.setTextWidth(600);
        QVERIFY(paste(doc, QStringLiteral("text/html"),
                      "<table cellspacing=0 cellpadding=4><tr><td>Name</td><td>A longer value</td></tr></table>"));
        QTextCursor all(&doc);
        all.select(QTextCursor::Document);
        QTextDocument other;
        QVERIFY(paste(other, QStringLiteral("text/rtf"), LetterClipboard::rtfOf(all)));
        const QList<qreal> edges = TableGeometry::columnEdges(doc, *firstTable(doc));
        QTextTable *copy = tableOf(other, 1, 2);
        QVERIFY(copy && edges.size() == 3);
        const QList<QTextLength> widths = copy->format().columnWidthConstraints();
        for (int c = 0; c < 2; ++c)
            QVERIFY2(qAbs(widths.value(c).rawValue() - (edges[c + 1] - edges[c])) < 0.1,
                     qPrintable(QStringLiteral("column %1: %2").arg(c).arg(widths.value(c).rawValue())));
        QCOMPARE(copy->cellAt(0, 1).format().toTableCellFormat().topPadding(), 4.0);
    }

    void plainTextAndWhatIsNoRtf()
    {
        QTextDocument doc;
        QMimeData empty;
        QTextCursor c(&doc);
        QVERIFY(!LetterClipboard::canInsert(&empty));
        QVERIFY(!LetterClipboard::insert(c, &empty));
        // Enriched text under "text/richtext" is not RTF: the plain text is taken.
        QMimeData data;
        data.setData(QStringLiteral("text/richtext"), "<bold>hi</bold>");
        data.setText(QStringLiteral("hi\tthere"));
        QVERIFY(LetterClipboard::insert(c, &data));
        QCOMPARE(doc.toPlainText(), QStringLiteral("hi\tthere"));
    }

    void copiedSelectionCarriesRtfWithPictures()
    {
        QTextDocument doc;
        LetterDocument::load("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}a \\b bold\\b0  " + rtfPicture(Qt::magenta).toStdString() + " z\\par}", &doc);
        QTextCursor c(&doc);
        c.setPosition(2);
        c.setPosition(9, QTextCursor::KeepAnchor); // "bold " and the picture
        const QByteArray rtf = LetterClipboard::rtfOf(c);
        QVERIFY(rtf.startsWith("{\\rtf1"));
        QTextDocument other;
        QVERIFY(paste(other, QStringLiteral("text/rtf"), rtf));
        QVERIFY(other.toPlainText().startsWith(QStringLiteral("bold ")));
        QVERIFY(other.find(QStringLiteral("bold")).charFormat().fontWeight() >= QFont::Bold);
        QCOMPARE(imagesOf(other).size(), 1);
        QCOMPARE(colourOf(other, imagesOf(other)[0]), QColor(Qt::magenta));
    }
};

QTEST_MAIN(TestLetterClipboard)
#include "tst_letterclipboard.moc"
