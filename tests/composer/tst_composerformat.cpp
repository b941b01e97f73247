#include "ActiveAttributes.h"
#include "AlignmentTag.h"
#include "CaretFormat.h"
#include "FontSizeStep.h"
#include "HoverShift.h"
#include "LetterContent.h"
#include "LetterStamp.h"
#include "ParagraphBreak.h"
#include "ParagraphFormat.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QtTest>

class TestComposerFormat : public QObject
{
    Q_OBJECT

private:
    // "plain BOLD plain": characters 6 to 10 bold.
    static void fill(QTextDocument &doc)
    {
        QFont font(QStringLiteral("MS Sans Serif"));
        font.setPixelSize(11);
        doc.setDefaultFont(font);
        QTextCursor c(&doc);
        c.insertText(QStringLiteral("plain "));
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        c.insertText(QStringLiteral("BOLD"), bold);
        c.insertText(QStringLiteral(" plain"), QTextCharFormat());
    }
    static QTextCursor select(QTextDocument &doc, int from, int to)
    {
        QTextCursor c(&doc);
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        return c;
    }
    static bool boldAt(QTextDocument &doc, int position)
    {
        QTextCursor c(&doc);
        c.setPosition(position);
        return c.charFormat().fontWeight() >= QFont::DemiBold;
    }

private slots:
    void styleChangesOnlyTheSelection()
    {
        QTextDocument doc;
        fill(doc);
        QTextCursor c = select(doc, 0, 3);
        QTextCharFormat italic;
        italic.setFontItalic(true);
        c.mergeCharFormat(italic);
        ActiveAttributes(c).setStyle(ActiveAttributes::Style::Bold, true);
        QVERIFY(boldAt(doc, 1) && boldAt(doc, 3));
        QVERIFY(!boldAt(doc, 4));
        QVERIFY(!boldAt(doc, 13));
        c.setPosition(2);
        QVERIFY(c.charFormat().fontItalic()); // the other styles stay
    }

    void styleWithoutSelectionSetsTheInsertionFormat()
    {
        QTextDocument doc;
        fill(doc);
        QTextCursor c(&doc);
        c.setPosition(3);
        ActiveAttributes(c).setStyle(ActiveAttributes::Style::Underline, true);
        QVERIFY(!doc.begin().begin().fragment().charFormat().fontUnderline());
        c.insertText(QStringLiteral("x"));
        c.setPosition(4);
        QVERIFY(c.charFormat().fontUnderline());
        c.setPosition(3);
        QVERIFY(!c.charFormat().fontUnderline());
    }

    void sizeAndFaceIgnoreWhatIsNoFont()
    {
        QTextDocument doc;
        fill(doc);
        QTextCursor c = select(doc, 0, 5);
        ActiveAttributes a(c);
        QVERIFY(!a.setSize(0));
        QVERIFY(!a.setSize(-3));
        QVERIFY(!a.setSize(5000));
        a.setFace(QStringLiteral("  "));
        QVERIFY(!a.format().hasProperty(QTextFormat::FontPointSize));
        QVERIFY(a.setSize(1));
        a.setFace(QStringLiteral("Courier New"));
        QCOMPARE(a.format().fontPointSize(), 1.0);
        QCOMPARE(a.format().fontFamilies().toStringList(), QStringList{QStringLiteral("Courier New")});
    }

    void caretStateFollowsTheText()
    {
        QTextDocument doc;
        fill(doc);
        QTextCursor c(&doc);
        c.setPosition(8);
        ToolBarState s = CaretFormat::read(c);
        QVERIFY(s.bold);
        QCOMPARE(s.fontSize, 8); // 11 pixels
        QCOMPARE(s.fontName, QStringLiteral("MS Sans Serif"));
        QCOMPARE(s.alignment, AlignmentTag::Left);

        // A selection is bold only when all of it is; mixed sizes and faces show nothing.
        c = select(doc, 4, 9);
        QVERIFY(!CaretFormat::read(c).bold);
        c = select(doc, 6, 10);
        QVERIFY(CaretFormat::read(c).bold);
        c = select(doc, 0, 16);
        ActiveAttributes(c).setSize(12);
        c = select(doc, 0, 3);
        ActiveAttributes(c).setFace(QStringLiteral("Arial"));
        c = select(doc, 0, 16);
        s = CaretFormat::read(c);
        QCOMPARE(s.fontSize, 12);
        QVERIFY(s.fontName.isEmpty());

        for (int tag : {AlignmentTag::Center, AlignmentTag::Right, AlignmentTag::Left}) {
            ParagraphFormat::setAlignment(c, tag);
            QCOMPARE(CaretFormat::read(c).alignment, tag);
        }
        QTextBlockFormat justify;
        justify.setAlignment(Qt::AlignJustify);
        c.mergeBlockFormat(justify);
        QCOMPARE(CaretFormat::read(c).alignment, -1);
        ParagraphFormat::setAlignment(c, 7); // no such tag
        QCOMPARE(CaretFormat::read(c).alignment, -1);
    }

    void bulletsOnAndOff()
    {
        QTextDocument doc;
        QTextCursor c(&doc);
        c.insertText(QStringLiteral("one\ntwo\nthree\nfour"));
        // "two" starts a numbered list; bullets over "one" to "three" make one bullet list.
        QTextCursor two(doc.findBlockByNumber(1));
        QTextListFormat numbered;
        numbered.setStyle(QTextListFormat::ListDecimal);
        two.createList(numbered);
        QTextBlockFormat indented;
        indented.setIndent(2);
        QTextCursor(doc.findBlockByNumber(2)).mergeBlockFormat(indented);

        c = select(doc, 1, doc.findBlockByNumber(2).position() + 1);
        ParagraphFormat::setBullets(c, true);
        QVERIFY(ParagraphFormat::isBulletParagraph(c));
        QTextList *list = doc.findBlockByNumber(0).textList();
        QVERIFY(list);
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->format().style(), QTextListFormat::ListDisc);
        QVERIFY(!doc.findBlockByNumber(3).textList());

        ParagraphFormat::setBullets(c, false);
        for (int i = 0; i < 3; ++i)
            QVERIFY(!doc.findBlockByNumber(i).textList());
        QCOMPARE(doc.findBlockByNumber(2).blockFormat().indent(), 2);
        doc.undo(); // one step
        QCOMPARE(doc.findBlockByNumber(0).textList()->count(), 3);
    }

    void sizeArrowsStepFromTheText_data()
    {
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("expected");
        QTest::newRow("from the shown size") << 12 << 9 << 1 << 13;
        QTest::newRow("mixed: from the first character") << 0 << 9 << 1 << 10;
        QTest::newRow("mixed, down") << 0 << 9 << -1 << 8;
        QTest::newRow("page up") << 0 << 9 << 10 << 19;
        QTest::newRow("never below one point") << 1 << 9 << -1 << 1;
        QTest::newRow("never past the range") << 100 << 9 << 1 << 100;
        QTest::newRow("a huge title steps into the range") << 0 << 300 << -1 << 99;
        QTest::newRow("an unknown size is no zero") << 0 << 0 << 1 << 2;
    }
    void sizeArrowsStepFromTheText()
    {
        QFETCH(int, shown);
        QFETCH(int, first);
        QFETCH(int, steps);
        QFETCH(int, expected);
        QCOMPARE(FontSizeStep::stepped(shown, first, steps), expected);
    }

    void firstSizeIsTheFirstSelectedCharacters()
    {
        QTextDocument doc;
        fill(doc);
        QTextCursor c = select(doc, 0, 16);
        ActiveAttributes(c).setSize(10);
        c = select(doc, 2, 5);
        ActiveAttributes(c).setSize(20);
        QCOMPARE(CaretFormat::firstSize(select(doc, 2, 16)), 20);
        QCOMPARE(CaretFormat::read(select(doc, 2, 16)).fontSize, 0); // the box is blank
        QCOMPARE(CaretFormat::firstSize(select(doc, 16, 0)), 10);   // selected backwards
        QCOMPARE(CaretFormat::firstSize(select(doc, 4, 4)), 20);    // the caret
    }

    // Bold 14-point centred text, Enter twice: what is typed next looks the same, and the
    // empty paragraph between keeps the size too.
    void enterKeepsTheTypingFormat()
    {
        QTextDocument doc;
        QTextCursor c(&doc);
        QTextCharFormat big;
        big.setFontPointSize(14);
        big.setFontWeight(QFont::Bold);
        ParagraphFormat::setAlignment(c, AlignmentTag::Center);
        c.insertText(QStringLiteral("Title"), big);
        ParagraphBreak::insert(c);
        ParagraphBreak::insert(c);
        c.insertText(QStringLiteral("x"));
        QCOMPARE(doc.blockCount(), 3);
        const QTextCharFormat typed = doc.lastBlock().begin().fragment().charFormat();
        QCOMPARE(typed.fontPointSize(), 14.0);
        QCOMPARE(typed.fontWeight(), int(QFont::Bold));
        QCOMPARE(doc.findBlockByNumber(1).charFormat().fontPointSize(), 14.0);
        QCOMPARE(AlignmentTag::of(doc.lastBlock().blockFormat().alignment()), AlignmentTag::Center);
        // Each Enter is one undo step.
        doc.undo();
        doc.undo();
        QCOMPARE(doc.toPlainText(), QStringLiteral("Title\n"));

        // Enter in the middle splits the paragraph; the caret keeps the text's format.
        c.setPosition(2);
        ParagraphBreak::insert(c);
        QCOMPARE(doc.findBlockByNumber(1).text(), QStringLiteral("tle"));
        QCOMPARE(c.charFormat().fontPointSize(), 14.0);
    }

    void enterInAnEmptyBulletEndsTheList()
    {
        QTextDocument doc;
        QTextCursor c(&doc);
        c.insertText(QStringLiteral("item"));
        ParagraphFormat::setBullets(c, true);
        ParagraphBreak::insert(c);
        QVERIFY(ParagraphFormat::isBulletParagraph(c)); // the next item
        ParagraphBreak::insert(c);
        QCOMPARE(doc.blockCount(), 2);                  // no third paragraph
        QVERIFY(!ParagraphFormat::isBulletParagraph(c));

        // After a picture the caret's format is the picture's; the new paragraph's is text.
        QTextImageFormat picture;
        picture.setName(QStringLiteral("pic"));
        c.insertImage(picture);
        ParagraphBreak::insert(c);
        QVERIFY(!c.charFormat().isImageFormat());
        QVERIFY(!c.charFormat().hasProperty(QTextFormat::ImageName));
    }

    void letterContent_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("object");
        QTest::addColumn<bool>("content");
        QTest::newRow("empty") << QString() << QString() << false;
        QTest::newRow("blank lines") << QStringLiteral(" \n\t\n") << QString() << false;
        QTest::newRow("a word") << QStringLiteral("\n  a") << QString() << true;
        QTest::newRow("an empty table") << QString() << QStringLiteral("table") << true;
        QTest::newRow("a picture") << QStringLiteral(" ") << QStringLiteral("picture") << true;
    }
    void letterContent()
    {
        QFETCH(QString, text);
        QFETCH(QString, object);
        QFETCH(bool, content);
        QTextDocument doc;
        QTextCursor c(&doc);
        c.insertText(text);
        if (object == QLatin1String("table"))
            c.insertTable(2, 2);
        else if (object == QLatin1String("picture"))
            c.insertImage(QStringLiteral("pic"));
        QCOMPARE(LetterContent::hasContent(doc), content);
    }

    // Emptying the letter: text, tables, lists and formats go in one undo step.
    void clearingIsOneUndoStep()
    {
        QTextDocument doc;
        fill(doc);
        QTextCursor c(&doc);
        c.movePosition(QTextCursor::End);
        c.insertTable(1, 2);
        c.movePosition(QTextCursor::End);
        c.insertText(QStringLiteral("last"));
        ParagraphFormat::setBullets(c, true);
        ParagraphFormat::setAlignment(c, AlignmentTag::Right);
        const QString before = doc.toPlainText();
        doc.setModified(false);

        LetterContent::clear(c);
        QVERIFY(doc.isEmpty());
        QVERIFY(doc.rootFrame()->childFrames().isEmpty());
        QVERIFY(!c.currentList());
        QCOMPARE(AlignmentTag::of(c.blockFormat().alignment()), AlignmentTag::Left);
        QVERIFY(!c.charFormat().hasProperty(QTextFormat::FontWeight));
        QVERIFY(doc.isModified());
        doc.undo();
        QCOMPARE(doc.toPlainText(), before);
        QVERIFY(boldAt(doc, 8));
    }

    void stampsInTheLocaleFormats()
    {
        const QDateTime now(QDate(2002, 12, 2), QTime(10, 20, 30), Qt::UTC);
        const QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(LetterStamp::date(now, german), QStringLiteral("02.12.02"));
        QVERIFY(LetterStamp::time(now, german).startsWith(QStringLiteral("10:20:30")));
    }

    void hoverShiftMovesOnceAndBackOnTheBand()
    {
        HoveredToolImage = 0;
        int tag = 0;
        QVERIFY(HoverShift::overImage(3, tag));
        QCOMPARE(tag, 1);
        QVERIFY(!HoverShift::overImage(3, tag));
        QCOMPARE(HoveredToolImage, 3);
        QCOMPARE(HoverShift::overBand(), 3);
        QCOMPARE(HoveredToolImage, 0);
        QCOMPARE(HoverShift::overBand(), 0);
        HoveredToolImage = 12; // not an image: only reset
        QCOMPARE(HoverShift::overBand(), 0);
        QCOMPARE(HoveredToolImage, 0);
    }
};

QTEST_MAIN(TestComposerFormat)
#include "tst_composerformat.moc"
