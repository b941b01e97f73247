#include "composer/ActiveAttributes.h"
#include "composer/AlignmentTag.h"
#include "composer/CaretFormat.h"
#include "composer/ComposerTitle.h"
#include "composer/FontSizeStep.h"
#include "composer/LetterContent.h"
#include "composer/LetterStamp.h"
#include "composer/ParagraphBreak.h"
#include "composer/ParagraphFormat.h"

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

    void sizeArrowsStepFromTheText()
    {
        // {shown, first selected character's size, steps, result}
        const int cases[][4] = {{12, 9, 1, 13}, {0, 9, 1, 10}, {0, 9, -1, 8},  {0, 9, 10, 19},
                                {1, 9, -1, 1},  {100, 9, 1, 100}, {0, 300, -1, 99}, {0, 0, 1, 2}};
        for (const auto &c : cases)
            QCOMPARE(FontSizeStep::stepped(c[0], c[1], c[2]), c[3]);
    }

    // Bold 14-point centred text, Enter twice: what is typed next looks the same.
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
        const QTextCharFormat typed = doc.lastBlock().begin().fragment().charFormat();
        QVERIFY(typed.fontPointSize() == 14 && typed.fontWeight() == QFont::Bold);
        QCOMPARE(doc.findBlockByNumber(1).charFormat().fontPointSize(), 14.0);
        QCOMPARE(AlignmentTag::of(doc.lastBlock().blockFormat().alignment()), AlignmentTag::Center);
        doc.undo(); // the x
        doc.undo(); // one Enter
        QCOMPARE(doc.toPlainText(), QStringLiteral("Title\n"));

        // Enter in an empty bullet ends the list; after a picture the new paragraph's
        // typing format is text.
        ParagraphFormat::setBullets(c, true);
        ParagraphBreak::insert(c);
        QCOMPARE(doc.blockCount(), 2);
        QVERIFY(!c.currentList());
        c.insertImage(QStringLiteral("pic"));
        ParagraphBreak::insert(c);
        QVERIFY(!c.charFormat().isImageFormat() && !c.charFormat().hasProperty(QTextFormat::ImageName));
    }

    void letterContentAndClearing()
    {
        QTextDocument doc;
        QTextCursor c(&doc);
        c.insertText(QStringLiteral(" \n\t"));
        QVERIFY(!LetterContent::hasContent(doc));
        c.insertTable(1, 2); // empty cells are content
        QVERIFY(LetterContent::hasContent(doc));
        doc.undo();
        c.insertImage(QStringLiteral("pic"));
        QVERIFY(LetterContent::hasContent(doc));

        // Emptying: text, tables, lists and formats go in one undo step.
        fill(doc);
        c.insertTable(1, 2);
        c.movePosition(QTextCursor::End);
        ParagraphFormat::setBullets(c, true);
        ParagraphFormat::setAlignment(c, AlignmentTag::Right);
        const QString before = doc.toPlainText();
        LetterContent::clear(c);
        QVERIFY(doc.isEmpty() && doc.rootFrame()->childFrames().isEmpty() && !c.currentList());
        QCOMPARE(AlignmentTag::of(c.blockFormat().alignment()), AlignmentTag::Left);
        QVERIFY(!c.charFormat().hasProperty(QTextFormat::FontWeight));
        doc.undo();
        QCOMPARE(doc.toPlainText(), before);
    }

    void titleShowsTheSubject()
    {
        QCOMPARE(ComposerTitle::of(QStringLiteral("  ")), QStringLiteral("Compose Vellorn"));
        QCOMPARE(ComposerTitle::of(QStringLiteral(" Spring\tconcert\r\n\x01 中文 😀")),
                 QStringLiteral("Compose Vellorn - Spring concert 中文 😀"));
        // "[*]" would be the window's modified mark.
        QCOMPARE(ComposerTitle::of(QStringLiteral("[*] news")), QStringLiteral("Compose Vellorn - [*][*] news"));
    }

    void stampsInTheLocaleFormats()
    {
        const QDateTime now(QDate(2002, 12, 2), QTime(10, 20, 30), Qt::UTC);
        const QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(LetterStamp::date(now, german), QStringLiteral("02.12.02"));
        QVERIFY(LetterStamp::time(now, german).startsWith(QStringLiteral("10:20:30")));
    }
};

QTEST_MAIN(TestComposerFormat)
#include "tst_composerformat.moc"
