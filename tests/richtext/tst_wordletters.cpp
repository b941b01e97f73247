#include "richtext/layout/FormatRange.h"
#include "richtext/ListNumbers.h"
#include "richtext/reading/RtfReader.h"
#include "richtext/writing/RtfWriter.h"
#include "tests/support/TestFiles.h"

#include <QFontDatabase>
#include <QImage>
#include <QTextLayout>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextCursor>
#include <QTextList>

#include <vector>

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
    // The ink as coverage: the sum of each pixel's darkness. A count of dark pixels changes
    // when the same glyph lands a fraction of a pixel elsewhere or is hinted otherwise, which
    // depends on the fonts a machine has installed; the coverage hardly does.
    static qint64 coverage(const QImage &image)
    {
        qint64 sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sum += 255 - qGray(image.pixel(x, y));
        return sum;
    }
    // A face loaded from the file scripts/setup installs, so that no machine's choice for
    // a face the letter names enters what is compared.
    static QString installedSans()
    {
        static const QString family = [] {
            const int id = QFontDatabase::addApplicationFont(
                QStringLiteral("/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"));
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            return families.isEmpty() ? QString() : families.first();
        }();
        return family;
    }
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
    void startNumbersDrawn();
    void hostileLists_data();
    void hostileLists();
    void symbolCharacters_data();
    void symbolCharacters();
    void pageBreaksKeptAndWritten();
    void footnotes();
    void hostileFootnotes();
    void codePages_data();
    void codePages();
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
    // Written as Word lists too, their items stay one list across other paragraphs.
    QCOMPARE(block(again, QStringLiteral("Sixth")).textList(), block(again, QStringLiteral("Fifth")).textList());
    QCOMPARE(block(again, QStringLiteral("Pears")).textList(), block(again, QStringLiteral("Apples")).textList());
}

void TstWordLetters::startNumbersDrawn()
{
    QTextListFormat f;
    f.setStyle(QTextListFormat::ListUpperRoman);
    f.setNumberPrefix(QStringLiteral("("));
    f.setNumberSuffix(QStringLiteral(")"));
    QCOMPARE(ListNumbers::label(f, 1994), QStringLiteral("(MCMXCIV)"));
    f.setStyle(QTextListFormat::ListLowerAlpha);
    QCOMPARE(ListNumbers::label(f, 28), QStringLiteral("(ab)"));
    QCOMPARE(ListNumbers::label(QTextListFormat(), 32767), QStringLiteral("32767."));

    // The first item of a list that starts at 5 shows what the fifth item of a list from
    // 1 shows; the document keeps its own list numbering.
    const QString face = installedSans();
    QVERIFY2(!face.isEmpty(), "Liberation Sans (fonts-liberation) is not installed");
    const auto labels = [&face](int start) {
        std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss " + face.toStdString()
            + ";}}\\pard{\\*\\pn\\pnlvlbody\\pndec\\pnstart" + std::to_string(start) + "{\\pntxta.}}\\li720\\f0\\fs24 ";
        for (int i = 0; i < 5; ++i)
            rtf += "Item\\par ";
        QTextDocument doc;
        RtfReader::read(rtf + "}", &doc);
        QImage image = page();
        FormatRange::formatRange(doc, &image, area(), 0);
        // The labels in the indent, one band of inked rows each.
        std::vector<QImage> bands;
        int top = -1;
        for (int y = 25; y < 400; ++y) {
            const bool ink = darkPixels(image, QRect(10, y, 48, 1)) > 0;
            if (ink && top < 0)
                top = y;
            if (!ink && top >= 0) {
                bands.push_back(image.copy(10, top, 48, y - top));
                top = -1;
            }
        }
        return bands;
    };
    const std::vector<QImage> fromOne = labels(1);
    const std::vector<QImage> fromFive = labels(5);
    QCOMPARE(fromOne.size(), size_t(5));
    QCOMPARE(fromFive.size(), size_t(5));
    const QImage fifth = fromOne[4];
    const QImage first = fromFive[0];
    // Same place and size ("5." drawn by us, by Qt's list), up to a pixel of rounding.
    QCOMPARE(first.size(), fifth.size());
    const qint64 a = coverage(first);
    const qint64 b = coverage(fifth);
    QVERIFY2(std::abs(a - b) * 20 <= b, qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
    // and not what the list would number without its start: "1." is less ink.
    QVERIFY(coverage(fromOne[0]) * 20 < b * 17);
}

void TstWordLetters::hostileLists_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    const QByteArray table = "{\\*\\listtable{\\list{\\listlevel\\levelnfc0\\levelstartat2147483647{\\leveltext\\'7f\\'00;}}\\listid1}}"
                             "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid99\\ls2}}";
    QTest::newRow("level out of range") << table + "\\pard\\ls1\\ilvl2147483647 A\\par" << "A";
    QTest::newRow("level the list does not give") << table + "{\\listtext z\\tab}\\pard\\ls1\\ilvl1 G\\par" << "z\tG";
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

void TstWordLetters::symbolCharacters_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("Symbol byte") << QByteArray("{\\f1 \\'b7 \\'61\\'b3}") << QStringLiteral("• α≥");
    QTest::newRow("private use in Symbol") << QByteArray("{\\f1\\u-3913?}") << QStringLiteral("•");
    QTest::newRow("private use in a text font") << QByteArray("\\u61623?") << QStringLiteral("•");
    QTest::newRow("Wingdings") << QByteArray("{\\f2 \\'a7\\'d8\\'fc\\'76}") << QStringLiteral("▪➢✓❖");
    QTest::newRow("Wingdings private use") << QByteArray("{\\f2\\u-3880?\\u-3844?}") << QStringLiteral("➢✓");
    QTest::newRow("Wingdings without charset") << QByteArray("{\\f3 \\'fc}") << QStringLiteral("✓");
    QTest::newRow("Webdings") << QByteArray("{\\f4 \\'61}") << QStringLiteral("✔");
    QTest::newRow("unmapped stays private") << QByteArray("{\\f2 \\'ff}") << QString(QChar(0xF0FF));
    QTest::newRow("outside the range") << QByteArray("{\\f1\\u-3809?}") << QString(QChar(0xF11F));
}

void TstWordLetters::symbolCharacters()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QTextDocument doc;
    RtfReader::read(std::string("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}{\\f2\\fcharset2 Wingdings;}"
                                "{\\f3 Wingdings;}{\\f4\\fcharset2 Webdings;}}")
                        + body.constData() + "}",
                    &doc);
    QCOMPARE(doc.toPlainText(), text);
}

void TstWordLetters::pageBreaksKeptAndWritten()
{
    QTextDocument doc;
    RtfReader::read("{\\rtf1\\ansi One\\page Two\\par\\pard\\pagebb Three\\par\\pard Four}", &doc);
    QCOMPARE(text(doc), QStringLiteral("One\nTwo\nThree\nFour"));
    QVERIFY(block(doc, QStringLiteral("Two")).blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    QVERIFY(block(doc, QStringLiteral("Three")).blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    QCOMPARE(block(doc, QStringLiteral("Four")).blockFormat().pageBreakPolicy(), QTextFormat::PageBreak_Auto);

    // The format range stops at each break; a break after a paragraph counts too.
    QTextCursor(block(doc, QStringLiteral("Four")).previous()).mergeBlockFormat([] {
        QTextBlockFormat f;
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore | QTextFormat::PageBreak_AlwaysAfter);
        return f;
    }());
    std::vector<int> starts{0};
    FormatRange range(doc);
    QImage image = page();
    while (starts.back() < range.textLength() && starts.size() < 10)
        starts.push_back(range.formatRange(&image, area(), starts.back()));
    QCOMPARE(starts, (std::vector<int>{0, 4, 8, 14, 18}));

    QTextDocument again;
    RtfReader::read(RtfWriter::write(doc), &again);
    QCOMPARE(text(again), text(doc));
    for (const char *start : {"Two", "Three", "Four"})
        QVERIFY2(block(again, QLatin1String(start)).blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore, start);
}

void TstWordLetters::footnotes()
{
    // As Word writes them: the mark in the text and again at the start of the note.
    QTextDocument doc;
    RtfReader::read("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard\\fs24 See{\\super\\chftn}"
                    "{\\footnote\\pard\\plain\\fs20{\\super\\chftn} First note.\\par Its second line.}"
                    " and{\\super\\chftn}{\\*\\footnote\\chftn\\pard\\plain A\\cell B} this.\\par"
                    "\\trowd\\cellx2000 In a cell{\\super\\chftn}{\\footnote Cell note.}\\cell\\row End.}",
                    &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("See1 and2 this.\nIn a cell3\nEnd.\n\n1 First note.\nIts second line.\n2A\nB\n"
                                       "Cell note."));
    QTextCursor mark(&doc);
    mark.setPosition(4);
    QCOMPARE(mark.charFormat().verticalAlignment(), QTextCharFormat::AlignSuperScript);
    const QTextBlock rule = block(doc, QStringLiteral("End.")).next();
    QVERIFY(rule.text().isEmpty());
    QVERIFY(rule.blockFormat().hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth));
    QCOMPARE(block(doc, QStringLiteral("1 First")).blockFormat().pageBreakPolicy(), QTextFormat::PageBreak_Auto);
}

void TstWordLetters::hostileFootnotes()
{
    // Nested footnotes are not read; an unclosed one ends with the text; the notes are bounded.
    QByteArray rtf = "{\\rtf1\\ansi A{\\footnote B{\\footnote C{\\footnote D}} E} F{\\footnote G\\par";
    QTextDocument doc;
    RtfReader::read(rtf.toStdString(), &doc);
    QCOMPARE(text(doc), QStringLiteral("A F\n\nB E\nG"));
    // A footnote's rows and page breaks do not reach the letter's table or pages.
    RtfReader::read("{\\rtf1\\ansi\\trowd\\cellx1000 a{\\footnote n\\cell\\row\\page m}\\cell b\\cell\\row After}", &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("\na\nb\nAfter\n\nn\n\nm"));
    QCOMPARE(block(doc, QStringLiteral("After")).blockFormat().pageBreakPolicy(), QTextFormat::PageBreak_Auto);
    QByteArray many = "{\\rtf1\\ansi X";
    for (int i = 0; i < 20000; ++i)
        many += "{\\footnote n\\par}";
    RtfReader::read(many.toStdString(), &doc);
    QVERIFY(doc.blockCount() <= 10003);
}

void TstWordLetters::codePages_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("mac") << QByteArray("{\\rtf1\\mac\\deff0{\\fonttbl{\\f0 Times;}}\\'8e\\'a5\\'d2\\'d3}") << QStringLiteral("é•“”");
    QTest::newRow("mac with ansicpg") << QByteArray("{\\rtf1\\mac\\ansicpg10000{\\fonttbl{\\f0 Times;}}\\'8a}") << QStringLiteral("ä");
    // "日本語" in Shift_JIS under a Mac Japanese font.
    QTest::newRow("Mac Japanese charset") << QByteArray("{\\rtf1\\mac{\\fonttbl{\\f0\\fcharset78 Osaka;}}\\f0 \\'93\\'fa\\'96\\'7b\\'8c\\'ea}")
                                          << QStringLiteral("日本語");
    QTest::newRow("Mac Cyrillic charset") << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset89 Geneva CY;}}\\f0 \\'8f\\'f0\\'e8}")
                                          << QStringLiteral("При");
    QTest::newRow("Mac Roman charset") << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset77 Geneva;}}\\f0 \\'87}") << QStringLiteral("á");
    QTest::newRow("font cpg UTF-8") << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0\\cpg65001 Arial;}}\\f0 \\'e6\\'97\\'a5x\\'c3\\'a9}")
                                    << QStringLiteral("日xé");
    QTest::newRow("font cpg 1251") << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0\\cpg1251 Arial;}}\\f0 \\'c4\\'e0}") << QStringLiteral("Да");
    QTest::newRow("pc") << QByteArray("{\\rtf1\\pc{\\fonttbl{\\f0 Courier;}}\\'82}") << QStringLiteral("é");
    QTest::newRow("cut UTF-8 sequence") << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0\\cpg65001 Arial;}}\\f0 \\'e6\\'97}") << QStringLiteral("\uFFFD\uFFFD");
}

void TstWordLetters::codePages()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QTextDocument doc;
    RtfReader::read(rtf.toStdString(), &doc);
    QCOMPARE(doc.toPlainText(), text);
}

QTEST_MAIN(TstWordLetters)
#include "tst_wordletters.moc"
