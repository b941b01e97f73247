#include "composer/TextFinder.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

namespace {

QTextCharFormat boldFormat()
{
    QTextCharFormat f;
    f.setFontWeight(QFont::Bold);
    return f;
}

QTextCharFormat italicFormat()
{
    QTextCharFormat f;
    f.setFontItalic(true);
    return f;
}

// "Hello " plain, "bold" bold, " world" italic.
void fillRuns(QTextDocument &doc)
{
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("Hello "), QTextCharFormat());
    c.insertText(QStringLiteral("bold"), boldFormat());
    c.insertText(QStringLiteral(" world"), italicFormat());
}

// The formats of the text as runs: "text:b" bold, "text:i" italic, "text:" plain.
QStringList runs(const QTextDocument &doc)
{
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            out << it.fragment().text() + QLatin1Char(':') + (f.fontWeight() >= QFont::Bold ? QStringLiteral("b") : QString())
                       + (f.fontItalic() ? QStringLiteral("i") : QString());
        }
    return out;
}

} // namespace

class TestTextFinder : public QObject
{
    Q_OBJECT

private slots:
    // Find Next from the start of the letter, round and round: the places found, and
    // which step went round the end.
    void findStepsAndWraps_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("wholeWords");
        QTest::addColumn<bool>("backward");
        QTest::addColumn<QList<int>>("starts");
        QTest::addColumn<QList<int>>("wraps"); // the steps that went round the end

        // "The cat sat. Cat scattered\ncats, CAT."
        QTest::newRow("any case") << "cat" << false << false << false << QList<int>{4, 13, 18, 27, 33, 4} << QList<int>{5};
        QTest::newRow("match case") << "cat" << true << false << false << QList<int>{4, 18, 27, 4} << QList<int>{3};
        QTest::newRow("whole words") << "cat" << false << true << false << QList<int>{4, 13, 33, 4} << QList<int>{3};
        QTest::newRow("both") << "Cat" << true << true << false << QList<int>{13, 13} << QList<int>{1};
        QTest::newRow("backward") << "cat" << false << true << true << QList<int>{33, 13, 4, 33} << QList<int>{0, 3};
        QTest::newRow("nowhere") << "dog" << false << false << false << QList<int>{-1} << QList<int>{};
        QTest::newRow("empty") << "" << false << false << false << QList<int>{-1} << QList<int>{};
    }
    void findStepsAndWraps()
    {
        QFETCH(QString, text);
        QFETCH(bool, matchCase);
        QFETCH(bool, wholeWords);
        QFETCH(bool, backward);
        QFETCH(QList<int>, starts);
        QFETCH(QList<int>, wraps);
        QTextDocument doc;
        doc.setPlainText(QStringLiteral("The cat sat. Cat scattered\ncats, CAT."));
        const TextFinder finder(doc, text, {matchCase, wholeWords, backward});
        QTextCursor at(&doc);
        for (int i = 0; i < starts.size(); ++i) {
            const TextFinder::Match m = finder.find(at);
            QCOMPARE(m.cursor.isNull() ? -1 : m.cursor.selectionStart(), starts[i]);
            QCOMPARE(m.wrapped, wraps.contains(i));
            if (m.cursor.isNull())
                break;
            QCOMPARE(m.cursor.selectedText().size(), text.size());
            QVERIFY(finder.selects(m.cursor));
            at = m.cursor;
        }
    }

    // The replacement is written in the run the match starts in; the text around it
    // keeps its runs' formatting.
    void replaceKeepsTheRuns_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("starts plain") << "lo bo" << "XY" << QStringList{"HelXY:", "ld:b", " world:i"};
        QTest::newRow("starts bold") << "old w" << "Z" << QStringList{"Hello :", "bZ:b", "orld:i"};
        QTest::newRow("inside a run") << "wor" << "WOR" << QStringList{"Hello :", "bold:b", " WORld:i"};
        QTest::newRow("removed") << "o bold w" << "" << QStringList{"Hell:", "orld:i"};
    }
    void replaceKeepsTheRuns()
    {
        QFETCH(QString, text);
        QFETCH(QString, replacement);
        QFETCH(QStringList, expected);
        QTextDocument doc;
        fillRuns(doc);
        const TextFinder finder(doc, text, {});
        QTextCursor match = finder.find(QTextCursor(&doc)).cursor;
        QVERIFY(!match.isNull());
        QVERIFY(finder.replace(match, replacement));
        QCOMPARE(runs(doc), expected);
        QVERIFY(!match.hasSelection());
        QCOMPARE(match.position(), QStringLiteral("Hello bold world").indexOf(text) + replacement.size());
    }

    // Replace acts only on a selected match; with anything else selected it changes nothing.
    void replaceNeedsASelectedMatch()
    {
        QTextDocument doc;
        fillRuns(doc);
        const TextFinder finder(doc, QStringLiteral("bold"), {});
        QTextCursor c(&doc);
        c.setPosition(6);
        c.setPosition(9, QTextCursor::KeepAnchor); // "bol"
        QVERIFY(!finder.replace(c, QStringLiteral("x")));
        c.setPosition(0);
        QVERIFY(!finder.replace(c, QStringLiteral("x")));
        QCOMPARE(doc.toPlainText(), QStringLiteral("Hello bold world"));
    }

    // Replace All: every place, a replacement holding the text is not searched again,
    // each place keeps its run's format, and one Undo takes it all back.
    void replaceAllIsOneUndoStep()
    {
        QTextDocument doc;
        QTextCursor c(&doc);
        c.insertText(QStringLiteral("a-"), QTextCharFormat());
        c.insertText(QStringLiteral("a"), boldFormat());
        c.insertText(QStringLiteral("-A"), italicFormat());
        doc.clearUndoRedoStacks();
        const TextFinder finder(doc, QStringLiteral("a"), {});
        QCOMPARE(finder.replaceAll(QStringLiteral("aa")), 3);
        QCOMPARE(runs(doc), (QStringList{"aa-:", "aa:b", "-aa:i"}));
        doc.undo();
        QCOMPARE(doc.toPlainText(), QStringLiteral("a-a-A"));
        QCOMPARE(runs(doc), (QStringList{"a-:", "a:b", "-A:i"}));
        QVERIFY(!doc.isUndoAvailable());
        QCOMPARE(TextFinder(doc, QStringLiteral("z"), {}).replaceAll(QStringLiteral("y")), 0);
        QVERIFY(!doc.isUndoAvailable());
    }
};

QTEST_GUILESS_MAIN(TestTextFinder)
#include "tst_textfinder.moc"
