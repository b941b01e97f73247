#include "FormatRange.h"
#include "RtfReader.h"
#include "RtfWriter.h"
#include "TestFiles.h"

#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

// Letters as other word processors write them: Word's lists, symbol fonts, page breaks,
// footnotes and code pages, checked on the document and on the drawn pages.
class TstWordLetters : public QObject
{
    Q_OBJECT

private:
    static std::string fixture(const char *name)
    {
        return TestFiles::readString(TestFiles::dataPath(QStringLiteral("rtf/") + QLatin1String(name)));
    }
    static QTextBlock block(const QTextDocument &doc, const QString &start)
    {
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            if (b.text().startsWith(start))
                return b;
        return QTextBlock();
    }
    static QString text(const QTextDocument &doc)
    {
        return doc.toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    }
    // A 600 x 800 page at 96 dpi, text area 10..590 x 25..775.
    static QImage page()
    {
        QImage image(600, 800, QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        image.fill(Qt::white);
        return image;
    }
    static QRect area() { return QRect(QPoint(150, 375), QPoint(8849, 11624)); }
    static int darkPixels(const QImage &image, const QRect &rect)
    {
        int n = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                n += qGray(image.pixel(x, y)) < 128;
        return n;
    }

private slots:
    void wordLists();
    void wordListsDrawTheirBullets();
    void wordListsWrittenBack();
    void hostileLists_data();
    void hostileLists();
};

void TstWordLetters::wordLists()
{
    QTextDocument doc;
    RtfReader::read(fixture("word_lists.rtf"), &doc);
    // The labels written as \listtext are gone where the list is known, kept where not.
    QCOMPARE(text(doc), QStringLiteral("Shopping\nApples\nGreen\nSmall\nPears\nRipe\nSteps\nFifth\nDetail\nBetween\n"
                                       "Sixth\nAgain\n-\tUnknown\nNo label"));
    const QTextList *apples = block(doc, QStringLiteral("Apples")).textList();
    QVERIFY(apples);
    QCOMPARE(apples->format().style(), QTextListFormat::ListDisc);
    QCOMPARE(block(doc, QStringLiteral("Pears")).textList(), apples);
    QCOMPARE(block(doc, QStringLiteral("Apples")).blockFormat().leftMargin(), 48.0);
    QCOMPARE(block(doc, QStringLiteral("Green")).blockFormat().leftMargin(), 96.0);

    const QTextList *green = block(doc, QStringLiteral("Green")).textList();
    const QTextList *ripe = block(doc, QStringLiteral("Ripe")).textList();
    QVERIFY(green && ripe);
    QCOMPARE(green->format().style(), QTextListFormat::ListCircle);
    QVERIFY(ripe != green); // a higher level's item restarts the deeper level
    QCOMPARE(block(doc, QStringLiteral("Small")).textList()->format().style(), QTextListFormat::ListSquare);

    // A numbered list goes on across a paragraph outside it, from its start number.
    const QTextList *fifth = block(doc, QStringLiteral("Fifth")).textList();
    QVERIFY(fifth);
    QCOMPARE(block(doc, QStringLiteral("Sixth")).textList(), fifth);
    QCOMPARE(fifth->format().style(), QTextListFormat::ListDecimal);
    QCOMPARE(fifth->format().property(RtfReader::ListStartProperty).toInt(), 5);
    QCOMPARE(fifth->format().numberSuffix(), QStringLiteral("."));
    const QTextList *detail = block(doc, QStringLiteral("Detail")).textList();
    QVERIFY(detail && detail != fifth);
    QCOMPARE(detail->format().style(), QTextListFormat::ListLowerAlpha);
    QCOMPARE(detail->format().numberPrefix(), QStringLiteral("("));
    QCOMPARE(detail->format().numberSuffix(), QStringLiteral(")"));
    QVERIFY(block(doc, QStringLiteral("Again")).textList() != detail);

    QVERIFY(!block(doc, QStringLiteral("Between")).textList());
    QVERIFY(!block(doc, QStringLiteral("-")).textList());
    QVERIFY(!block(doc, QStringLiteral("No label")).textList());
}

void TstWordLetters::wordListsDrawTheirBullets()
{
    // The same paragraph as a Word list item and without its list: only the item has a
    // mark in the indent, and no mark sits at a far tab stop after it.
    const auto draw = [](const char *paragraph) {
        const std::string rtf = std::string("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f3\\fcharset2 Symbol;}}"
                                            "{\\*\\listtable{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}\\f3\\fi-360\\li720}\\listid7}}"
                                            "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}")
            + paragraph + "}";
        QTextDocument doc;
        RtfReader::read(rtf, &doc);
        QImage image = page();
        FormatRange::formatRange(doc, &image, area(), 0);
        return image;
    };
    const QImage item = draw("{\\listtext\\f3 \\'b7\\tab}\\pard\\ls1\\fi-360\\li720\\fs24 Item\\par");
    const QImage plain = draw("\\pard\\li720\\fs24 Item\\par");
    const QRect indent(10, 25, 47, 30);
    QVERIFY(darkPixels(item, indent) > 4);
    QCOMPARE(darkPixels(plain, indent), 0);
    QCOMPARE(darkPixels(item, QRect(10, 25, 580, 30)) - darkPixels(item, indent), darkPixels(plain, QRect(10, 25, 580, 30)));
}

void TstWordLetters::wordListsWrittenBack()
{
    QTextDocument doc;
    RtfReader::read(fixture("word_lists.rtf"), &doc);
    QTextDocument again;
    RtfReader::read(RtfWriter::write(doc), &again);
    QCOMPARE(text(again), text(doc));
    for (const char *item : {"Apples", "Green", "Small", "Fifth", "Detail"}) {
        const QTextList *before = block(doc, QLatin1String(item)).textList();
        const QTextList *after = block(again, QLatin1String(item)).textList();
        QVERIFY2(after, item);
        QCOMPARE(after->format().style(), before->format().style());
        QCOMPARE(after->format().numberPrefix(), before->format().numberPrefix());
        QCOMPARE(after->format().property(RtfReader::ListStartProperty), before->format().property(RtfReader::ListStartProperty));
    }
}

void TstWordLetters::hostileLists_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    const QByteArray table = "{\\*\\listtable{\\list{\\listlevel\\levelnfc0\\levelstartat2147483647{\\leveltext\\'7f\\'00;}}\\listid1}}"
                             "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid99\\ls2}}";
    QTest::newRow("level out of range") << table + "\\pard\\ls1\\ilvl2147483647 A\\par" << "A";
    QTest::newRow("list id that does not exist") << table + "{\\listtext x\\tab}\\pard\\ls2 B\\par" << "x\tB";
    QTest::newRow("override never defined") << table + "{\\listtext y}\\pard\\ls-5 C\\par" << "yC";
    QTest::newRow("listtext never closed") << table + "{\\listtext\\pard\\ls1 D\\par" << "D";
    QTest::newRow("list outside its table") << QByteArray("{\\list{\\listlevel\\levelnfc0}\\listid1}E") << "E";
    QByteArray many = "{\\*\\listtable";
    for (int i = 0; i < 3000; ++i)
        many += "{\\list{\\listlevel{\\listlevel{\\leveltext\\'01\\'00;}}}\\listid" + QByteArray::number(i) + "}";
    QTest::newRow("many lists and nested levels") << many + "}\\ls1 F" << "F";
}

void TstWordLetters::hostileLists()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QTextDocument doc;
    RtfReader::read(std::string("{\\rtf1\\ansi ") + body.constData() + "}", &doc);
    QCOMPARE(doc.toPlainText(), text);
    if (QTextList *list = doc.begin().textList())
        QVERIFY(!list->itemText(doc.begin()).isEmpty());
}

QTEST_MAIN(TstWordLetters)
#include "tst_wordletters.moc"
