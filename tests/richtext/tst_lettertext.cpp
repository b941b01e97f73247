#include "richtext/LetterText.h"
#include "richtext/reading/RtfReader.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QtTest>

class TstLetterText : public QObject
{
    Q_OBJECT

private slots:
    void letters_data();
    void letters();
    void mergedCellsReadOnce();
    void pagesReadTheirOwnCharacters();
};

namespace {

QString text(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n'));
}

const char *const kHead = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fcharset2 Symbol;}}\\fs24 ";

} // namespace

void TstLetterText::letters_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");

    QTest::newRow("paragraphs, blanks collapsed, empty paragraph a blank line")
        << QByteArray("Dear Anna,\\par\\par  thank you\\tab for   the letter. \\par\\par\\par Yours\\par}")
        << "Dear Anna,\n\nthank you for the letter.\n\nYours";
    QTest::newRow("space after paragraphs separates them")
        << QByteArray("\\pard\\sa200 First.\\par Second.\\par\\pard\\sa0 Third.\\par Fourth.\\par}")
        << "First.\n\nSecond.\n\nThird.\nFourth.";
    QTest::newRow("manual line break")
        << QByteArray("Street 1\\line 0150 Oslo\\par}") << "Street 1\n0150 Oslo";
    QTest::newRow("bullets, then numbers from five")
        << QByteArray("Items:\\par{\\pard{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'b7}}\\li720 Apples\\par Pears\\par}"
                      "\\pard{\\*\\pn\\pnlvlbody\\pndec\\pnstart5{\\pntxta.}}\\li720 Fifth\\par Sixth\\par}")
        << QString::fromUtf8("Items:\n\u2022 Apples\n\u2022 Pears\n5. Fifth\n6. Sixth");
    QTest::newRow("table rows with their cells in order")
        << QByteArray("Before.\\par\\trowd\\cellx2000\\cellx4000\\cellx6000\\intbl Name\\cell Age\\cell City\\cell\\row"
                      "\\trowd\\cellx2000\\cellx4000\\cellx6000\\intbl Anna\\cell 31\\cell Oslo\\par Norway\\cell\\row"
                      "\\pard After.\\par}")
        << "Before.\n\nName | Age | City\nAnna | 31 | Oslo Norway\n\nAfter.";
    QTest::newRow("footnotes after the letter, under a rule")
        << QByteArray("See{\\super\\chftn}{\\footnote\\pard\\plain\\fs20{\\super\\chftn} First note.\\par Its second line.}"
                      " this.\\par End.\\par}")
        << "See1 this.\nEnd.\n\n__________\n\n1 First note.\nIts second line.";
    QTest::newRow("pictures have no text")
        << QByteArray("Logo {\\pict\\pngblip\\picw1\\pich1\\picwgoal20\\pichgoal20 89504e47}here.\\par}")
        << "Logo here.";
    QTest::newRow("characters beyond the code page")
        << QByteArray("\\u1055?\\u1088?\\u1080?\\u1074?\\u1077?\\u1090? \\u37038?\\u20214?\\par}")
        << QString::fromUtf8("Привет 邮件");
    QTest::newRow("nothing") << QByteArray("\\par\\par }") << QString();
}

void TstLetterText::letters()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    QTextDocument doc;
    RtfReader::read((QByteArray(kHead) + body).toStdString(), &doc);
    const QStringList lines = LetterText::lines(doc);
    QCOMPARE(text(lines), expected);
    for (const QString &line : lines) {
        QVERIFY(!line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\t')));
        QCOMPARE(line, line.trimmed().isEmpty() ? QString() : line);
    }
}

void TstLetterText::mergedCellsReadOnce()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextTable *table = cursor.insertTable(2, 3);
    const char *cells[2][3] = {{"Wide", "", "Right"}, {"a", "b", "c"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            table->cellAt(r, c).firstCursorPosition().insertText(QString::fromLatin1(cells[r][c]));
    table->mergeCells(0, 0, 1, 2);
    QCOMPARE(text(LetterText::lines(doc)), QStringLiteral("Wide | Right\na | b | c"));

    LetterText::Options spoken;
    spoken.cellSeparator = QStringLiteral(" ");
    QCOMPARE(LetterText::collapsed(LetterText::lines(doc, spoken)), QStringLiteral("Wide Right a b c"));
}

// A page's range gives that page's words: a paragraph split between two pages is read
// half on each, a list label only where its item begins, a rule only as a gap.
void TstLetterText::pagesReadTheirOwnCharacters()
{
    QTextDocument doc;
    RtfReader::read(std::string(kHead) + "One two three four.\\par{\\pard{\\*\\pn\\pnlvlbody\\pndec{\\pntxta.}}"
                                         "\\li720 Item text\\par}\\pard Last{\\footnote Note.}\\par}",
                    &doc);
    const QString whole = doc.toPlainText();
    const int split = int(whole.indexOf(QStringLiteral("three")));
    const int item = int(whole.indexOf(QStringLiteral("Item")));
    const int text = int(whole.indexOf(QStringLiteral("text")));

    LetterText::Options page;
    page.rules = false;
    page.end = split;
    QCOMPARE(LetterText::lines(doc, page), QStringList{QStringLiteral("One two")});
    page.start = split;
    page.end = text;
    QCOMPARE(LetterText::lines(doc, page), (QStringList{QStringLiteral("three four."), QStringLiteral("1. Item")}));
    page.start = text;
    page.end = doc.characterCount();
    QCOMPARE(LetterText::lines(doc, page),
             (QStringList{QStringLiteral("text"), QStringLiteral("Last"), QString(), QStringLiteral("Note.")}));
    QVERIFY(item < text);
}

QTEST_MAIN(TstLetterText)
#include "tst_lettertext.moc"
