#include "picture/PictureMailText.h"

#include <QtTest>

class TestPictureMailText : public QObject
{
    Q_OBJECT

private slots:
    void wrapping_data();
    void wrapping();
    void plainBody();
    void altTextCut_data();
    void altTextCut();
    void pageAlt_data();
    void pageAlt();
};

void TestPictureMailText::wrapping_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("width");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("short") << "Dear Anna," << 76 << QStringList{"Dear Anna,"};
    QTest::newRow("exactly the width") << "aaaa bbbb" << 9 << QStringList{"aaaa bbbb"};
    QTest::newRow("at the last blank in reach") << "aaaa bbbb cccc dd" << 10 << QStringList{"aaaa bbbb", "cccc dd"};
    QTest::newRow("a word longer than a line stands alone")
        << "to https://example.org/a/very/long/path ok" << 12
        << QStringList{"to", "https://example.org/a/very/long/path", "ok"};
    QTest::newRow("numbers between blanks")
        << "Totals: 1001 1002 1003 1004 end" << 12 << QStringList{"Totals: 1001", "1002 1003", "1004 end"};
    QTest::newRow("a word's last piece starts the next line")
        << QString(340, u'x') + QStringLiteral(" hi") << 76 << QStringList{QString(332, u'x'), QStringLiteral("xxxxxxxx hi")};
    QTest::newRow("no-break space holds its words") << QString::fromUtf8("ab\u00a0cd ef") << 6
                                                    << QStringList{QString::fromUtf8("ab\u00a0cd"), "ef"};
    QTest::newRow("never half a character") << QString(331, u'a') + QString::fromUtf8("𝐀cd") << 76
                                            << QStringList{QString(331, u'a'), QString::fromUtf8("𝐀cd")};
    // A mail's line holds 998 bytes: a width beyond them is cut to what three-byte characters fit.
    QTest::newRow("within the mail's line limit") << QString(700, u'\u20ac') << 5000
                                                  << QStringList{QString(332, u'\u20ac'), QString(332, u'\u20ac'), QString(36, u'\u20ac')};
    QTest::newRow("indent of a nested item kept") << "  - item one two" << 10 << QStringList{"  - item", "one two"};
    QTest::newRow("ideographs break between them")
        << QString::fromUtf8("邮件邮件邮件邮件邮件") << 4
        << QStringList{QString::fromUtf8("邮件邮件"), QString::fromUtf8("邮件邮件"), QString::fromUtf8("邮件")};
    QTest::newRow("empty") << QString() << 76 << QStringList{QString()};
}

void TestPictureMailText::wrapping()
{
    QFETCH(QString, line);
    QFETCH(int, width);
    QFETCH(QStringList, expected);
    QCOMPARE(PictureMailText::wrapped(line, width).join(QLatin1Char('|')), expected.join(QLatin1Char('|')));
}

// The plain text keeps every word in order, no line reaches 78 characters where words
// allow, and the credit line ends it only when the footer link is on.
void TestPictureMailText::plainBody()
{
    QString paragraph;
    for (int i = 0; i < 60; ++i)
        paragraph += QStringLiteral("word%1 ").arg(i);
    const QStringList letter{QStringLiteral("Dear Anna,"), QString(), paragraph.trimmed()};
    const QString body = PictureMailText::plainBody(letter, true);
    QVERIFY(body.endsWith(QStringLiteral("\n\n") + PictureMailText::footerLine() + QStringLiteral("\n")));
    const QStringList lines = body.split(QLatin1Char('\n'));
    for (const QString &line : lines)
        QVERIFY2(line.size() < 78, qPrintable(line));
    QCOMPARE(body.simplified(), (QStringLiteral("Dear Anna, ") + paragraph + PictureMailText::footerLine()).simplified());

    QCOMPARE(PictureMailText::plainBody(letter, false).count(QStringLiteral("Composed by")), 0);
    QCOMPARE(PictureMailText::plainBody({}, false), QString());
}

void TestPictureMailText::altTextCut_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("expected");
    QTest::newRow("collapsed, whole") << QStringList{"One  two", "", "  three"} << 100 << "One two three";
    QTest::newRow("cut at a word's end") << QStringList{"alpha beta gamma"} << 13 << QString::fromUtf8("alpha beta…");
    QTest::newRow("one endless word") << QStringList{"abcdefghij"} << 4 << QString::fromUtf8("abcd…");
    QTest::newRow("never half a character") << QStringList{QString::fromUtf8("ab😀cd")} << 3 << QString::fromUtf8("ab…");
    QTest::newRow("nothing") << QStringList{} << 10 << QString();
}

void TestPictureMailText::altTextCut()
{
    QFETCH(QStringList, lines);
    QFETCH(int, maxLength);
    QFETCH(QString, expected);
    QCOMPARE(PictureMailText::altText(lines, maxLength), expected);
}

void TestPictureMailText::pageAlt_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first sentence") << QStringList{"Dear Anna, thank you.", "See you on Friday."}
                                    << "Page 2 of 4. Dear Anna, thank you.";
    QTest::newRow("a sentence over two lines") << QStringList{"Dear Anna, thank", "you! More."}
                                               << "Page 2 of 4. Dear Anna, thank you!";
    QTest::newRow("no mark: the whole page") << QStringList{"Dear Anna"} << "Page 2 of 4. Dear Anna";
    QTest::newRow("a number is no end") << QStringList{"Pay 3.50 now? Yes."} << "Page 2 of 4. Pay 3.50 now?";
    QTest::newRow("ideographic full stop") << QStringList{QStringLiteral(u"\u4f60\u597d\u3002\u518d\u89c1")}
                                           << QStringLiteral(u"Page 2 of 4. \u4f60\u597d\u3002");
    QTest::newRow("an empty page") << QStringList{} << "Page 2 of 4";
    QString endless;
    for (int i = 0; i < 60; ++i)
        endless += QStringLiteral("word%1 ").arg(i);
    QTest::newRow("a long sentence is cut") << QStringList{endless} << QString();
}

void TestPictureMailText::pageAlt()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, expected);
    const QString alt = PictureMailText::pageAlt(2, 4, lines);
    if (expected.isEmpty()) {
        QVERIFY(alt.endsWith(QChar(0x2026)));
        QVERIFY(alt.size() <= PictureMailText::SentenceLength + 14);
    } else {
        QCOMPARE(alt, expected);
    }
}

QTEST_GUILESS_MAIN(TestPictureMailText)
#include "tst_picturemailtext.moc"
