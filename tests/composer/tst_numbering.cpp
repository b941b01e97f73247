// Numbered paragraphs as the composer makes them ("1.", "a)", "i."): on, continued and
// off in the letter, written by the RTF writer and read back, and drawn on the pages.
#include "composer/ParagraphFormat.h"
#include "config/ConfigSettings.h"
#include "picture/PageRenderer.h"
#include "richtext/LetterDocument.h"
#include "richtext/LetterText.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QtTest>

using ParagraphFormat::Numbering;
Q_DECLARE_METATYPE(ParagraphFormat::Numbering)

namespace {

// A letter of paragraphs "one" to "five"; the second to the fourth numbered.
void numberedLetter(QTextDocument &doc, Numbering numbering)
{
    doc.clear();
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("one\ntwo\nthree\nfour\nfive"));
    c.setPosition(doc.findBlockByNumber(1).position());
    c.setPosition(doc.findBlockByNumber(2).position() + 2, QTextCursor::KeepAnchor);
    ParagraphFormat::setNumbering(c, numbering);
    // Numbering the fourth on its own goes on from the third.
    QTextCursor four(doc.findBlockByNumber(3));
    ParagraphFormat::setNumbering(four, numbering);
}

QStringList expectedLines(const QStringList &labels)
{
    return {QStringLiteral("one"), labels[0] + QStringLiteral(" two"), labels[1] + QStringLiteral(" three"),
            labels[2] + QStringLiteral(" four"), QStringLiteral("five")};
}

} // namespace

class TestNumbering : public QObject
{
    Q_OBJECT

private slots:
    void styles_data()
    {
        QTest::addColumn<Numbering>("numbering");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("1.") << Numbering::Decimal << QStringList{"1.", "2.", "3."};
        QTest::newRow("a)") << Numbering::LowerAlpha << QStringList{"a)", "b)", "c)"};
        QTest::newRow("i.") << Numbering::LowerRoman << QStringList{"i.", "ii.", "iii."};
    }

    void onContinuedAndOff_data() { styles_data(); }
    void onContinuedAndOff()
    {
        QFETCH(Numbering, numbering);
        QFETCH(QStringList, labels);
        QTextDocument doc;
        numberedLetter(doc, numbering);
        QCOMPARE(LetterText::lines(doc), expectedLines(labels));
        QTextCursor three(doc.findBlockByNumber(2));
        QCOMPARE(ParagraphFormat::numberingOf(three), numbering);
        QVERIFY(!ParagraphFormat::isBulletParagraph(three));
        QCOMPARE(ParagraphFormat::numberingOf(QTextCursor(doc.findBlockByNumber(4))), Numbering::None);

        // Another style over the third and fourth: they leave the list for one of theirs.
        const Numbering other = numbering == Numbering::Decimal ? Numbering::LowerRoman : Numbering::Decimal;
        QTextCursor c(doc.findBlockByNumber(2));
        c.setPosition(doc.findBlockByNumber(3).position(), QTextCursor::KeepAnchor);
        ParagraphFormat::setNumbering(c, other);
        QCOMPARE(ParagraphFormat::numberingOf(QTextCursor(doc.findBlockByNumber(1))), numbering);
        QCOMPARE(ParagraphFormat::numberingOf(c), other);
        QCOMPARE(doc.findBlockByNumber(3).textList()->count(), 2);

        // Off, and bullets over a numbered paragraph: each one step of undo.
        ParagraphFormat::setNumbering(c, Numbering::None);
        QVERIFY(!doc.findBlockByNumber(2).textList() && !doc.findBlockByNumber(3).textList());
        QCOMPARE(doc.findBlockByNumber(2).blockFormat().indent(), 0);
        doc.undo();
        QCOMPARE(ParagraphFormat::numberingOf(c), other);
        QTextCursor two(doc.findBlockByNumber(1));
        ParagraphFormat::setBullets(two, true);
        QVERIFY(ParagraphFormat::isBulletParagraph(two));
        QCOMPARE(ParagraphFormat::numberingOf(two), Numbering::None);
    }

    // The letter is stored as RTF: the lists come back as the same lists.
    void throughTheRtfWriter_data() { styles_data(); }
    void throughTheRtfWriter()
    {
        QFETCH(Numbering, numbering);
        QFETCH(QStringList, labels);
        QTextDocument doc;
        numberedLetter(doc, numbering);
        const std::string rtf = LetterDocument::save(doc);
        QTextDocument read;
        LetterDocument::load(rtf, &read);
        QCOMPARE(LetterText::lines(read), expectedLines(labels));
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(ParagraphFormat::numberingOf(QTextCursor(read.findBlockByNumber(i))), numbering);
        QCOMPARE(read.findBlockByNumber(1).textList(), read.findBlockByNumber(3).textList());
    }

    // The pages show a label before each item, left of its text, and each style its own.
    void ontoThePages()
    {
        // The pages in their own pixels, where the lines' places are.
        ConfigSettings settings = ConfigSettings::firstRun();
        settings.PIC_Sharp = false;
        QList<QImage> labelStrips;
        for (const Numbering numbering : {Numbering::Decimal, Numbering::LowerAlpha, Numbering::LowerRoman}) {
            QTextDocument written;
            numberedLetter(written, numbering);
            QTextDocument doc;
            LetterDocument::load(LetterDocument::save(written), &doc);
            PageRenderer renderer(settings);
            QImage page;
            renderer.surfaceReady = [&](int, const QImage &surface) { page = surface.copy(); };
            QCOMPARE(renderer.render(doc), 1);
            const std::vector<FormatRange::TextLine> &lines = renderer.pageLines().at(0);
            QCOMPARE(int(lines.size()), 5);
            const auto inkLeftOf = [&](const FormatRange::TextLine &line) {
                const QRect strip(settings.PIC_ML, int(line.rect.top()), int(line.rect.left()) - 1 - settings.PIC_ML,
                                  int(line.rect.height()));
                int ink = 0;
                for (int y = strip.top(); y <= strip.bottom(); ++y)
                    for (int x = strip.left(); x <= strip.right(); ++x)
                        ink += qGray(page.pixel(x, y)) < 128;
                return ink;
            };
            QCOMPARE(inkLeftOf(lines[0]), 0);
            for (int i = 1; i <= 3; ++i)
                QVERIFY2(inkLeftOf(lines[i]) > 0, qPrintable(lines[i].text));
            QCOMPARE(inkLeftOf(lines[4]), 0);
            // The second item's label ("2.", "b)", "ii.").
            const FormatRange::TextLine &second = lines[2];
            labelStrips << page.copy(settings.PIC_ML, int(second.rect.top()), int(second.rect.left()) - settings.PIC_ML,
                                     int(second.rect.height()));
        }
        QVERIFY(labelStrips[0] != labelStrips[1]);
        QVERIFY(labelStrips[1] != labelStrips[2]);
        QVERIFY(labelStrips[0] != labelStrips[2]);
    }
};

QTEST_MAIN(TestNumbering)
#include "tst_numbering.moc"
