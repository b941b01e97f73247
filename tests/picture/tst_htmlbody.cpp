#include "picture/HtmlBody.h"
#include "picture/LetterHtml.h"
#include "product/VendorLinks.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QtTest>

#include <string>
#include <vector>

class TestHtmlBody : public QObject
{
    Q_OBJECT

private slots:
    void wholeBody_data();
    void wholeBody();
    void mapCoordinates_data();
    void mapCoordinates();
    void cancelBeforeARow();
    void wordsOfTheLetter();
    void escaping_data();
    void escaping();
    void footerLinkOff();
    void textBelowThePictures();
};

namespace {

const std::string home = VendorLinks::HomePage;

HtmlBody::Content withWidth(int width)
{
    HtmlBody::Content content;
    content.pictureWidth = width;
    return content;
}

std::vector<std::string> expectedLines(int pages, const std::string &x1, const std::string &x2)
{
    std::vector<std::string> v = {
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">",
        "<HTML><HEAD>",
        "<META content=\"text/html; charset=iso-8859-1\" http-equiv=Content-Type>",
        "<META content=\"MSHTML 5.00.2920.0\" name=GENERATOR></HEAD>",
        "<BODY>",
        "<TABLE border=0 cellPadding=0 cellSpacing=0 width=\"100%\">",
        "<TBODY>",
    };
    for (int n = 1; n <= pages; ++n) {
        const std::string s = std::to_string(n);
        v.push_back("<TR><TD><IMG alt=\"\" border=0 hspace=0 src=\"cid:" + s
                    + ".jpg\" width=600 style=\"max-width:100%;height:auto\">");
        v.push_back("<map name=\"Map" + s + "\"><area shape=\"rect\" coords=\"" + x1 + ",1," + x2 + ",30\" href=\"" + home + "\"></map>");
        v.push_back("</TD></TR><TR>");
    }
    v.push_back("</TBODY></TABLE>");
    v.push_back("<font size=\"2\" face=\"Arial, Helvetica, sans-serif\"><br>");
    v.push_back("<a href=\"" + home + "\">Composed by Vellorn Composer 5.0</a> </font> </BODY></HTML>");
    return v;
}

} // namespace

void TestHtmlBody::wholeBody_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("lineCount");
    QTest::newRow("no pages") << 0 << 10;
    QTest::newRow("one page") << 1 << 13;
    QTest::newRow("three pages") << 3 << 19;
    QTest::newRow("twelve pages") << 12 << 46;
}

// Line for line, and the text is exactly those lines each ended by CR LF.
void TestHtmlBody::wholeBody()
{
    QFETCH(int, pages);
    QFETCH(int, lineCount);
    const std::vector<std::string> expected = expectedLines(pages, "440", "590");
    const std::vector<std::string> got = HtmlBody::lines(pages, {});
    QCOMPARE(int(got.size()), lineCount);
    for (size_t i = 0; i < expected.size(); ++i)
        QCOMPARE(QString::fromStdString(got[i]), QString::fromStdString(expected[i]));

    std::string text;
    QVERIFY(HtmlBody::text(pages, {}, text));
    std::string joined;
    for (const std::string &l : expected)
        joined += l + "\r\n";
    QCOMPARE(QString::fromStdString(text), QString::fromStdString(joined));
    QVERIFY(text.find("\n\n") == std::string::npos);
    QVERIFY(text.find("usemap") == std::string::npos);
}

void TestHtmlBody::mapCoordinates_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("x1");
    QTest::addColumn<QString>("x2");
    QTest::newRow("600") << 600 << "440" << "590";
    QTest::newRow("150") << 150 << "1" << "140";
    QTest::newRow("160") << 160 << "1" << "150";
    QTest::newRow("161") << 161 << "1" << "151";
    QTest::newRow("162") << 162 << "2" << "152";
    QTest::newRow("zero") << 0 << "1" << "-10";
    QTest::newRow("int max") << 2147483647 << "2147483487" << "2147483637";
    QTest::newRow("int min") << int(-2147483647 - 1) << "1" << "-2147483658";
}

void TestHtmlBody::mapCoordinates()
{
    QFETCH(int, width);
    QFETCH(QString, x1);
    QFETCH(QString, x2);
    const std::vector<std::string> got = HtmlBody::lines(2, withWidth(width));
    const std::string want = "coords=\"" + x1.toStdString() + ",1," + x2.toStdString() + ",30\"";
    QVERIFY2(got[8].find(want) != std::string::npos, got[8].c_str());
    QVERIFY(got[11].find(want) != std::string::npos);
    QVERIFY(got[11].find("Map2") != std::string::npos);
}

// A cancel before any row leaves the output untouched; rows are checked one by one.
void TestHtmlBody::cancelBeforeARow()
{
    std::string text = "untouched";
    int asked = 0;
    QVERIFY(!HtmlBody::text(5, {}, text, [&] { return ++asked == 3; }));
    QCOMPARE(asked, 3);
    QCOMPARE(QString::fromStdString(text), QStringLiteral("untouched"));

    asked = 0;
    QVERIFY(HtmlBody::text(5, {}, text, [&] { ++asked; return false; }));
    QCOMPARE(asked, 5);
    QCOMPARE(int(std::count(text.begin(), text.end(), '\n')), 25);
}

// The letter's text stands hidden before the picture table (where inbox lists take their
// line from), every picture says its page's text, and nothing else changes.
void TestHtmlBody::wordsOfTheLetter()
{
    HtmlBody::Content content;
    content.hiddenLines = {QStringLiteral("Dear Anna,"), QString(), QStringLiteral("See you on Friday.")};
    content.altTexts = {QStringLiteral("Dear Anna, See you"), QStringLiteral("on Friday.")};
    const std::vector<std::string> got = HtmlBody::lines(3, content);
    const std::vector<std::string> plain = expectedLines(3, "440", "590");
    QCOMPARE(got.size(), plain.size() + 5);
    QCOMPARE(QString::fromStdString(got[5]),
             QStringLiteral("<div style=\"display:none;max-height:0;overflow:hidden;mso-hide:all\">"));
    QCOMPARE(QString::fromStdString(got[6]), QStringLiteral("Dear Anna,<br>"));
    QCOMPARE(QString::fromStdString(got[7]), QStringLiteral("<br>"));
    QCOMPARE(QString::fromStdString(got[8]), QStringLiteral("See you on Friday."));
    QCOMPARE(QString::fromStdString(got[9]), QStringLiteral("</div>"));
    QVERIFY(got[10].starts_with("<TABLE "));
    QVERIFY(got[12].starts_with("<TR><TD><IMG alt=\"Dear Anna, See you\" border=0"));
    QVERIFY(got[15].starts_with("<TR><TD><IMG alt=\"on Friday.\" border=0"));
    QVERIFY(got[18].starts_with("<TR><TD><IMG alt=\"\" border=0"));
    // Apart from the block and the alt texts, the page is the one without words.
    std::vector<std::string> rest(got.begin(), got.begin() + 5);
    rest.insert(rest.end(), got.begin() + 10, got.end());
    for (std::string &line : rest)
        if (const size_t at = line.find("alt=\""); at != std::string::npos)
            line.erase(at + 5, line.find('"', at + 5) - at - 5);
    QCOMPARE(rest, plain);
}

void TestHtmlBody::escaping_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("html");
    QTest::newRow("markup") << "a<b> & \"c\" 'd'" << "a&lt;b&gt; &amp; &quot;c&quot; 'd'";
    QTest::newRow("beyond ASCII") << QString::fromUtf8("Grüße – 邮件 😀") << "Gr&#252;&#223;e &#8211; &#37038;&#20214; &#128512;";
    QTest::newRow("controls") << QString::fromUtf8("a\tb\x01" "c") << "a b c";
}

void TestHtmlBody::escaping()
{
    QFETCH(QString, text);
    QFETCH(QString, html);
    QCOMPARE(QString::fromStdString(HtmlBody::escaped(text)), html);
}

void TestHtmlBody::footerLinkOff()
{
    HtmlBody::Content noFooter;
    noFooter.footerLink = false;
    const std::vector<std::string> got = HtmlBody::lines(1, noFooter);
    // Neither the credit line nor the image maps: the maker's address is nowhere.
    QCOMPARE(int(got.size()), 11);
    QCOMPARE(QString::fromStdString(got.back()), QStringLiteral("</BODY></HTML>"));
    std::string text;
    QVERIFY(HtmlBody::text(1, noFooter, text));
    QVERIFY(text.find("Composed by") == std::string::npos);
    QVERIFY(text.find("<map") == std::string::npos);
    QVERIFY(text.find(home) == std::string::npos);
}

// The letter as HTML: its paragraphs, list items and table cells, escaped; below the
// pictures under a rule, and then without the hidden block.
void TestHtmlBody::textBelowThePictures()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("Dear Anna & Ben,"));
    cursor.insertBlock();
    cursor.insertList(QTextListFormat::ListDisc);
    cursor.insertText(QStringLiteral("bread"));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("milk"));
    cursor.insertBlock();
    cursor.currentList()->remove(cursor.block());
    cursor.setBlockFormat(QTextBlockFormat());
    QTextTable *table = cursor.insertTable(2, 2);
    table->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral(u"caf\u00e9"));
    table->cellAt(1, 1).firstCursorPosition().insertText(QStringLiteral("<b>"));
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("Bye."));
    const std::vector<std::string> html = LetterHtml::lines(doc);
    const std::vector<std::string> expected = {
        "<p>Dear Anna &amp; Ben,</p>", "<ul>", "<li>bread</li>", "<li>milk</li>", "</ul>",
        "<table border=\"1\" cellpadding=\"4\" cellspacing=\"0\" style=\"border-collapse:collapse\">",
        "<tr><td>caf&#233;</td> <td></td></tr>", "<tr><td></td> <td>&lt;b&gt;</td></tr>", "</table>", "<p>Bye.</p>"};
    QCOMPARE(html, expected);

    HtmlBody::Content content;
    content.hiddenLines = {QStringLiteral("Dear Anna & Ben,")};
    content.textBelow = html;
    const std::vector<std::string> got = HtmlBody::lines(1, content);
    QVERIFY(std::none_of(got.begin(), got.end(),
                         [](const std::string &l) { return l.find("display:none") != std::string::npos; }));
    const auto rule = std::find_if(got.begin(), got.end(), [](const std::string &l) { return l.starts_with("<hr"); });
    QVERIFY(rule != got.end() && rule > std::find(got.begin(), got.end(), std::string("</TBODY></TABLE>")));
    QVERIFY((rule + 1)->find("color:#666666") != std::string::npos);
    QVERIFY(std::equal(html.begin(), html.end(), rule + 2));
}

QTEST_MAIN(TestHtmlBody)
#include "tst_htmlbody.moc"
