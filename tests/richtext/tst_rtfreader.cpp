#include "richtext/metafile/MetafileRenderer.h"
#include "richtext/reading/RtfPictureReader.h"
#include "richtext/reading/RtfReader.h"
#include "richtext/writing/RtfWriter.h"
#include "tests/richtext/MetafileFixtures.h"
#include "tests/support/TestFiles.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <QtTest>

namespace {

// An image of one colour in the given file format.
QByteArray filledImage(const QSize &size, const QColor &color, const char *format, int quality = -1)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality))
        return {};
    return bytes;
}

std::string rtf(const char *body)
{
    return std::string("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
                       "{\\f1\\fnil\\fcharset2 Symbol;}}{\\colortbl ;\\red255\\green0\\blue0;}")
        + body + "}";
}

QString textOf(const std::string &bytes)
{
    QTextDocument doc;
    RtfReader::read(bytes, &doc);
    // Raw text keeps no-break spaces and line separators; blocks end with U+2029.
    return doc.toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

std::string fixture(const char *name)
{
    return TestFiles::readString(TestFiles::dataPath(QStringLiteral("rtf/") + QLatin1String(name)));
}

// Written as RTF and read back, the letter writes the same RTF again (the caller checks
// QTest::currentTestFailed()).
void checkRewrite(const QTextDocument &doc)
{
    const std::string once = RtfWriter::write(doc);
    QVERIFY(once.starts_with("{\\rtf1"));
    QTextDocument back;
    RtfReader::read(once, &back);
    QCOMPARE(QByteArray::fromStdString(RtfWriter::write(back)), QByteArray::fromStdString(once));
}

// The blocks of the root frame (tables skipped), in order.

QTextBlock blockStarting(QTextDocument &doc, const QString &text)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.text().startsWith(text))
            return b;
    return QTextBlock();
}

QTextCharFormat formatAt(QTextDocument &doc, const QString &text)
{
    const int pos = doc.toPlainText().indexOf(text);
    if (pos < 0)
        return QTextCharFormat();
    QTextCursor c(&doc);
    c.setPosition(pos + 1);
    return c.charFormat();
}

QTextTable *firstTable(QTextDocument &doc)
{
    for (QTextFrame *f : doc.rootFrame()->childFrames())
        if (auto *t = qobject_cast<QTextTable *>(f))
            return t;
    return nullptr;
}

QString cellText(QTextTable *t, int row, int column)
{
    QTextCursor c = t->cellAt(row, column).firstCursorPosition();
    c.setPosition(t->cellAt(row, column).lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return c.selection().toPlainText();
}

QList<QTextImageFormat> images(QTextDocument &doc)
{
    QList<QTextImageFormat> result;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                for (int i = 0; i < it.fragment().length(); ++i)
                    result.append(it.fragment().charFormat().toImageFormat());
    return result;
}

// An enhanced metafile of one inch whose only drawing is a 3 x 2 green bitmap stretched
// over all of it (EMR_STRETCHDIBITS).
QByteArray greenEmf()
{
    using namespace MetafileFixtures;
    QByteArray bits;
    const QByteArray bmi = dib(3, 2, QColor(0, 255, 0), &bits);
    return Emf()
        .record(81, rectL(0, 0, 0, 0) + le32(0) + le32(0) + le32(0) + le32(0) + le32(3) + le32(2) + le32(80) + le32(bmi.size())
                        + le32(80 + bmi.size()) + le32(bits.size()) + le32(0) + le32(0x00CC0020) + le32(96) + le32(96) + bmi + bits)
        .bytes();
}

} // namespace

class TstRtfReader : public QObject
{
    Q_OBJECT

private slots:
    void isRtf_data();
    void isRtf();
    void plainText();
    void text_data();
    void text();
    void westernLetter();
    void bulletsAndNumbering();
    void pastedTable();
    void cellPadding_data();
    void cellPadding();
    void cellFormatsFollowLaterColours();
    void nestedTable();
    void gb2312();
    void fontCharsetWinsOverAnsiCodePage();
    void lateFontEntryLeavesReadTextAlone_data();
    void lateFontEntryLeavesReadTextAlone();
    void pictures();
    void largePicturesCostBoundedMemory();
    void jpegAndEnhancedMetafile();
    void characterFormats();
    void runsOfEqualFormat_data();
    void runsOfEqualFormat();
    void paragraphFormats();
    void hyperlinkField();
    void hostile_data();
    void hostile();
    void deepNestingIsCapped();
    void cutAnywhere();
    void agreesWithLibreOffice_data();
    void agreesWithLibreOffice();
};

void TstRtfReader::isRtf_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("expected");
    QTest::newRow("plain") << QByteArray("{\\rtf1 x}") << true;
    QTest::newRow("blanks before") << QByteArray(" \r\n\t{\\rtf1}") << true;
    QTest::newRow("text") << QByteArray("Hello {\\rtf1}") << false;
    QTest::newRow("short") << QByteArray("{\\rt") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TstRtfReader::isRtf()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, expected);
    QCOMPARE(RtfReader::isRtf(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))), expected);
}

void TstRtfReader::plainText()
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("old"));
    RtfReader::read("Gr\xFC\xDF" "e\r\nzweite Zeile\rdritte\n{\\b x}", &doc);
    QCOMPARE(doc.toPlainText(), QString::fromUtf8("Grüße\nzweite Zeile\ndritte\n{\\b x}"));
    QCOMPARE(doc.blockCount(), 4);
    QCOMPARE(doc.defaultFont().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(doc.defaultFont().pointSize(), 8);
}

void TstRtfReader::text_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");
    auto row = [](const char *name, const char *body, const char *expected) {
        QTest::newRow(name) << QByteArray(body) << QString::fromUtf8(expected);
    };
    row("one delimiter space", "\\b  two", " two");
    row("final par opens no paragraph", "a\\par b\\par", "a\nb");
    row("empty paragraphs kept", "a\\par\\par b\\par", "a\n\nb");
    row("no final par", "a\\par b", "a\nb");
    row("backslash before line end", "a\\\r\nb", "a\nb");
    row("line breaks ignored", "a\r\nb\nc", "abc");
    row("control symbols", "\\{\\}\\\\\\~\\-\\_", "{}\\\xC2\xA0\xC2\xAD\xE2\x80\x91");
    row("hex bytes", "\\'e9t\\'E9", "\xC3\xA9t\xC3\xA9");
    row("line", "a\\line b", "a\xE2\x80\xA8" "b");
    row("tab", "a\\tab b", "a\tb");
    row("quotes and dashes", "\\lquote\\rquote\\ldblquote\\rdblquote\\emdash\\endash\\bullet", "‘’“”—–•");
    row("unicode skips one", "\\u8364?x", "€x");
    // -3971 is U+F07D: a symbol font's private-use position, read as what Symbol shows there.
    row("unicode negative", "\\u-3971?", "}");
    row("uc2 skips hex and text", "\\uc2\\u20320\\'c4\\'e3x", "你x");
    row("uc0", "\\uc0\\u20320 x", "你x");
    row("skip never passes a brace", "{\\uc3\\u20320?}ab", "你ab");
    row("surrogate pair", "\\u-10179?\\u-8704?", "😀");
    row("lone surrogate dropped", "\\u-10179?x", "x");
    row("unicode out of range", "\\u70000?x\\u-40000?y", "xy");
    row("bin data skipped", "a{\\*\\foo\\bin3 }}}b}c", "ac");
    row("bin as picture data", "{\\pict\\bin2 \\\\}x", "\xEF\xBF\xBCx");
    row("unknown ignorable destination", "a{\\*\\unknownword text}b", "ab");
    row("unknown word ignored", "a\\unknownword b", "ab");
    row("long control word ignored", "a\\aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa b", "ab");
    row("skipped destinations", "{\\info{\\title T}}{\\stylesheet{\\s1 Normal;}}{\\header H}{\\footer F}x", "x");
    row("pntext dropped", "{\\pntext\\f1\\'B7\\tab}x", "x");
    row("nonshppict skipped", "{\\nonshppict{\\pict\\wmetafile8 0100}}x", "x");
    row("field result", "{\\field{\\*\\fldinst{ PAGE }}{\\fldrslt 7}}", "7");
    row("hidden text", "a{\\v hidden}b\\v c\\v0 d", "abd");
    row("symbol font", "{\\f1\\'B7\\'61\\'44}", "•αΔ");
    row("listtext kept", "{\\listtext 1.\\tab}Item", "1.\tItem");
    row("trailing bytes ignored", "x}\0garbage}", "x");
    row("control bytes dropped", "a\\'0a\\'0d\\'00b", "ab");
    row("text after last brace", "x}y", "x");
}

void TstRtfReader::text()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    QCOMPARE(textOf(rtf(std::string(body.constData(), static_cast<size_t>(body.size())).c_str())), expected);
}

void TstRtfReader::westernLetter()
{
    QTextDocument doc;
    RtfReader::read(fixture("western_letter.rtf"), &doc);
    QCOMPARE(doc.toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')),
             QString::fromUtf8("Invitation\nDear Ms. Müller,\n\nwe are pleased to invite you to our summer party on "
                               "Friday, 14 June.\nPlease reply by Monday Tuesday.\nJustified text with indents – and "
                               "a “quote”.\nKind regards\xE2\x80\xA8" "Anna\tTeam"));
    QCOMPARE(doc.blockCount(), 7);

    const QTextCharFormat title = formatAt(doc, QStringLiteral("Invitation"));
    QCOMPARE(title.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    QCOMPARE(title.fontPointSize(), 16.0);
    QCOMPARE(title.fontWeight(), int(QFont::Bold));
    QCOMPARE(title.property(RtfReader::CharsetProperty).toInt(), 0);
    QCOMPARE(blockStarting(doc, QStringLiteral("Invitation")).blockFormat().alignment(), Qt::AlignHCenter);

    QVERIFY(formatAt(doc, QStringLiteral("summer")).fontItalic());
    QVERIFY(!formatAt(doc, QStringLiteral("on Fri")).fontItalic());
    QCOMPARE(formatAt(doc, QStringLiteral("Friday")).underlineStyle(), QTextCharFormat::SingleUnderline);
    QCOMPARE(formatAt(doc, QStringLiteral(", 14")).underlineStyle(), QTextCharFormat::NoUnderline);

    const QTextCharFormat reply = formatAt(doc, QStringLiteral("Please"));
    QCOMPARE(reply.foreground().color(), QColor(255, 0, 0));
    QCOMPARE(reply.fontFamilies().toStringList(), QStringList{QStringLiteral("Times New Roman")});
    QCOMPARE(reply.fontPointSize(), 12.0);
    const QTextCharFormat monday = formatAt(doc, QStringLiteral("Monday"));
    QCOMPARE(monday.foreground().color(), QColor(0, 0, 255));
    QVERIFY(monday.fontStrikeOut());
    QVERIFY(!formatAt(doc, QStringLiteral("Tuesday")).hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(blockStarting(doc, QStringLiteral("Please")).blockFormat().alignment(), Qt::AlignRight);

    const QTextBlockFormat justified = blockStarting(doc, QStringLiteral("Justified")).blockFormat();
    QCOMPARE(justified.alignment(), Qt::AlignJustify);
    QCOMPARE(justified.leftMargin(), 48.0);
    QCOMPARE(justified.rightMargin(), 24.0);
    QCOMPARE(justified.topMargin(), 8.0);
    QCOMPARE(justified.bottomMargin(), 16.0);
    QCOMPARE(formatAt(doc, QStringLiteral("Justified")).fontPointSize(), 9.0);
    // \pard resets the paragraph, not the characters.
    QCOMPARE(blockStarting(doc, QStringLiteral("Kind")).blockFormat().alignment(), Qt::AlignLeft);
    QCOMPARE(blockStarting(doc, QStringLiteral("Kind")).blockFormat().leftMargin(), 0.0);
}

void TstRtfReader::bulletsAndNumbering()
{
    QTextDocument doc;
    RtfReader::read(fixture("bullets.rtf"), &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("First bullet\nSecond bullet\nOne\nTwo\nGamma\nFour\nPlain again"));

    const QTextBlock first = blockStarting(doc, QStringLiteral("First"));
    const QTextBlock second = blockStarting(doc, QStringLiteral("Second"));
    QVERIFY(first.textList());
    QCOMPARE(first.textList(), second.textList());
    QCOMPARE(first.textList()->format().style(), QTextListFormat::ListDisc);
    QCOMPARE(first.textList()->count(), 2);
    QCOMPARE(first.blockFormat().leftMargin(), 48.0);
    QCOMPARE(first.blockFormat().textIndent(), 0.0);

    const QTextBlock one = blockStarting(doc, QStringLiteral("One"));
    QVERIFY(one.textList());
    QVERIFY(one.textList() != first.textList());
    QCOMPARE(one.textList(), blockStarting(doc, QStringLiteral("Two")).textList());
    QCOMPARE(one.textList()->format().style(), QTextListFormat::ListDecimal);
    QCOMPARE(one.textList()->format().numberSuffix(), QStringLiteral("."));
    QCOMPARE(one.textList()->format().numberPrefix(), QString());
    QCOMPARE(one.textList()->itemText(blockStarting(doc, QStringLiteral("Two"))), QStringLiteral("2."));
    QCOMPARE(one.blockFormat().leftMargin(), 24.0);

    const QTextList *gamma = blockStarting(doc, QStringLiteral("Gamma")).textList();
    QVERIFY(gamma && gamma != one.textList());
    QCOMPARE(gamma->format().style(), QTextListFormat::ListLowerAlpha);
    QCOMPARE(gamma->format().numberSuffix(), QStringLiteral(")"));
    QCOMPARE(gamma->format().property(RtfReader::ListStartProperty).toInt(), 3);

    const QTextList *four = blockStarting(doc, QStringLiteral("Four")).textList();
    QVERIFY(four);
    QCOMPARE(four->format().style(), QTextListFormat::ListUpperRoman);
    QCOMPARE(four->format().numberPrefix(), QStringLiteral("("));
    QCOMPARE(four->format().numberSuffix(), QStringLiteral(")"));

    QVERIFY(!blockStarting(doc, QStringLiteral("Plain")).textList());
}

void TstRtfReader::pastedTable()
{
    QTextDocument doc;
    RtfReader::read(fixture("table.rtf"), &doc);
    QTextTable *t = firstTable(doc);
    QVERIFY(t);
    // Boundaries -108, 1800, 2700, 3600, 5400: four columns.
    QCOMPARE(t->rows(), 4);
    QCOMPARE(t->columns(), 4);
    QCOMPARE(cellText(t, 0, 0), QStringLiteral("Name"));
    QCOMPARE(cellText(t, 0, 1), QStringLiteral("Merged heading"));
    QCOMPARE(t->cellAt(0, 1).columnSpan(), 3);
    QCOMPARE(cellText(t, 1, 0), QStringLiteral("Anna"));
    QCOMPARE(t->cellAt(1, 0).rowSpan(), 2);
    QCOMPARE(t->cellAt(1, 1).columnSpan(), 2);
    QCOMPARE(cellText(t, 1, 1), QStringLiteral("12"));
    QCOMPARE(cellText(t, 1, 3), QStringLiteral("34"));
    QCOMPARE(cellText(t, 2, 1), QStringLiteral("56"));
    QCOMPARE(cellText(t, 2, 3), QStringLiteral("78"));
    QCOMPARE(cellText(t, 3, 0), QStringLiteral("Wide left"));
    QCOMPARE(t->cellAt(3, 0).columnSpan(), 2);
    QCOMPARE(cellText(t, 3, 2), QStringLiteral("Wide right"));
    QCOMPARE(t->cellAt(3, 2).columnSpan(), 2);

    const QList<QTextLength> widths = t->format().columnWidthConstraints();
    QCOMPARE(widths.size(), 4);
    QCOMPARE(widths[0].rawValue(), 1908 / 15.0);
    QCOMPARE(widths[1].rawValue(), 60.0);

    const QTextTableCellFormat name = t->cellAt(0, 0).format().toTableCellFormat();
    QCOMPARE(name.background().color(), QColor(255, 0, 0).isValid() ? QColor(255, 255, 0) : QColor());
    QCOMPARE(name.topBorder(), 10 / 15.0);
    QCOMPARE(name.leftBorderStyle(), QTextFrameFormat::BorderStyle_Solid);
    QCOMPARE(name.leftPadding(), 108 / 15.0);
    const QTextTableCellFormat thirtyFour = t->cellAt(1, 3).format().toTableCellFormat();
    QCOMPARE(thirtyFour.leftBorderStyle(), QTextFrameFormat::BorderStyle_Double);
    QCOMPARE(thirtyFour.leftBorder(), 2.0);
    QCOMPARE(thirtyFour.leftBorderBrush().color(), QColor(0, 128, 0));
    QCOMPARE(thirtyFour.verticalAlignment(), QTextCharFormat::AlignMiddle);

    // Merged cells keep a consistent structure: the document copies and lays out.
    std::unique_ptr<QTextDocument> copy(doc.clone());
    copy->setTextWidth(580);
    QVERIFY(copy->documentLayout()->documentSize().height() > 0);
    QCOMPARE(qobject_cast<QTextTable *>(copy->rootFrame()->childFrames().value(0))->cellAt(0, 1).columnSpan(), 3);

    QVERIFY(doc.toPlainText().startsWith(QStringLiteral("Before the table\n")));
    QVERIFY(doc.toPlainText().endsWith(QStringLiteral("\nAfter the table")));
    QVERIFY(blockStarting(doc, QStringLiteral("After")).isValid());
    QVERIFY(!doc.rootFrame()->childFrames().isEmpty());
}

void TstRtfReader::cellPadding_data()
{
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QMarginsF>("padding"); // left, top, right, bottom in pixels
    QTest::newRow("gap only") << QByteArray("\\trgaph108") << QMarginsF(7.2, 0, 7.2, 0);
    // As word processors write it: the row's padding stands over the gap.
    QTest::newRow("row padding") << QByteArray("\\trgaph108\\trpaddl0\\trpaddt60\\trpaddb30\\trpaddfl3\\trpaddft3\\trpaddfb3")
                                 << QMarginsF(0, 4, 7.2, 2);
    QTest::newRow("cell over row") << QByteArray("\\trpaddt60\\trpaddft3\\clpadt15\\clpadft3\\clpadr150\\clpadfr3")
                                   << QMarginsF(0, 1, 10, 0);
    QTest::newRow("unit none: not given") << QByteArray("\\trgaph30\\trpaddl300\\trpaddfl0\\clpadb90\\clpadfb0")
                                          << QMarginsF(2, 0, 2, 0);
    QTest::newRow("no unit word: twips") << QByteArray("\\clpadl45") << QMarginsF(3, 0, 0, 0);
}

void TstRtfReader::cellPadding()
{
    QFETCH(QByteArray, row);
    QFETCH(QMarginsF, padding);
    QTextDocument doc;
    RtfReader::read(rtf(("\\trowd" + row + "\\cellx1500\\cellx4500\\intbl a\\cell b\\cell\\row").constData()), &doc);
    QTextTable *t = firstTable(doc);
    QVERIFY(t);
    const QTextTableCellFormat f = t->cellAt(0, 0).format().toTableCellFormat();
    QCOMPARE(QMarginsF(f.leftPadding(), f.topPadding(), f.rightPadding(), f.bottomPadding()), padding);
    // The widths are those of the \cellx boundaries.
    const QList<QTextLength> widths = t->format().columnWidthConstraints();
    QCOMPARE(widths.size(), 2);
    QCOMPARE(widths[0], QTextLength(QTextLength::FixedLength, 100));
    QCOMPARE(widths[1], QTextLength(QTextLength::FixedLength, 200));
}

void TstRtfReader::cellFormatsFollowLaterColours()
{
    // Equal cell definitions share one format, but a colour table read between two tables
    // gives the same border colour number a colour it did not have before.
    const char *row = "\\trowd\\clbrdrt\\brdrs\\brdrcf3\\cellx1500\\intbl a\\cell\\row\\pard x\\par";
    QTextDocument doc;
    RtfReader::read(rtf((std::string(row) + "{\\colortbl;\\red0\\green128\\blue0;}" + row).c_str()), &doc);
    QList<QColor> borders;
    for (QTextFrame *f : doc.rootFrame()->childFrames())
        if (auto *t = qobject_cast<QTextTable *>(f))
            borders.append(t->cellAt(0, 0).format().toTableCellFormat().topBorderBrush().color());
    QCOMPARE(borders, (QList<QColor>{QColor(Qt::black), QColor(0, 128, 0)}));
}

void TstRtfReader::nestedTable()
{
    // As word processors write a table inside a cell.
    const std::string bytes = rtf(
        "\\pard\\intbl\\itap1 outer\\par"
        "\\pard\\intbl\\itap2 in1\\nestcell in2\\nestcell"
        "{\\*\\nesttableprops\\trowd\\trgaph108\\cellx1000\\cellx2000\\nestrow}{\\nonesttables\\par}"
        "\\pard\\intbl\\itap1 \\cell right\\cell"
        "{\\trowd\\trgaph108\\cellx3000\\cellx6000\\row}"
        "\\pard after\\par");
    QTextDocument doc;
    RtfReader::read(bytes, &doc);
    QTextTable *outer = firstTable(doc);
    QVERIFY(outer);
    QCOMPARE(outer->rows(), 1);
    QCOMPARE(outer->columns(), 2);
    QTextTable *inner = nullptr;
    for (QTextFrame *f : outer->childFrames())
        inner = qobject_cast<QTextTable *>(f);
    QVERIFY(inner);
    QCOMPARE(inner->rows(), 1);
    QCOMPARE(inner->columns(), 2);
    QCOMPARE(cellText(inner, 0, 0), QStringLiteral("in1"));
    QCOMPARE(cellText(inner, 0, 1), QStringLiteral("in2"));
    QVERIFY(cellText(outer, 0, 0).startsWith(QStringLiteral("outer")));
    QCOMPARE(cellText(outer, 0, 1), QStringLiteral("right"));
    QVERIFY(doc.toPlainText().endsWith(QStringLiteral("after")));
}

void TstRtfReader::gb2312()
{
    QTextDocument doc;
    RtfReader::read(fixture("gb2312.rtf"), &doc);
    QCOMPARE(doc.toPlainText(), QString::fromUtf8("你好, 世界\n丄諴\n你好好"));
    // The font name is GB2312 bytes too.
    const QTextCharFormat f = formatAt(doc, QString::fromUtf8("你"));
    QCOMPARE(f.fontFamilies().toStringList(), QStringList{QString::fromUtf8("宋体")});
    QCOMPARE(f.property(RtfReader::CharsetProperty).toInt(), 134);
    QCOMPARE(f.property(RtfReader::LanguageProperty).toInt(), 2052);
    QCOMPARE(f.fontPointSize(), 9.0);
}

void TstRtfReader::fontCharsetWinsOverAnsiCodePage()
{
    QCOMPARE(textOf(fixture("charset_wins.rtf")), QString::fromUtf8("café Привет 你"));
}

void TstRtfReader::lateFontEntryLeavesReadTextAlone_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family"); // of the first character
    // The font number keeps what it meant when text was first read in it: nothing (the
    // table had not named it) or its first entry.
    QTest::newRow("named after its text") << QByteArray("{\\rtf1\\ansi\\f2 Hello{\\fonttbl{\\f2\\fnil\\fcharset2 Symbol;}}\\par}")
                                          << "Hello" << QString();
    QTest::newRow("and used again after the entry")
        << QByteArray("{\\rtf1\\ansi\\f2 Hi{\\fonttbl{\\f2\\fcharset2 Symbol;}}\\f2  a\\par}") << "Hi a" << QString();
    QTest::newRow("named again as a symbol font")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f1 Arial;}}\\f1 Hello{\\fonttbl{\\f1\\fcharset2 Symbol;}}\\par}")
        << "Hello" << "Arial";
    // A font no text was read in yet takes a late entry, as fonts named in time do.
    QTest::newRow("late entry of an unused font")
        << QByteArray("{\\rtf1\\ansi\\f1 x{\\fonttbl{\\f2\\fcharset2 Symbol;}}\\f2 a\\par}") << QString::fromUtf8("xα")
        << QString();
    QTest::newRow("named in time") << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f2\\fcharset2 Symbol;}}\\f2 a\\par}")
                                   << QString::fromUtf8("α") << "Symbol";
}

void TstRtfReader::lateFontEntryLeavesReadTextAlone()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QFETCH(QString, family);
    QTextDocument doc;
    RtfReader::read(std::string_view(rtf.constData(), static_cast<size_t>(rtf.size())), &doc);
    QCOMPARE(doc.toPlainText(), text);
    const QStringList families = doc.begin().begin().fragment().charFormat().fontFamilies().toStringList();
    QCOMPARE(families.value(0), family);
    // Written and read back, the letter has the same text, and writes the same RTF again.
    QTextDocument back;
    RtfReader::read(RtfWriter::write(doc), &back);
    QCOMPARE(back.toPlainText(), text);
    checkRewrite(doc);
}

void TstRtfReader::pictures()
{
    QTextDocument doc;
    RtfReader::read(fixture("pictures.rtf"), &doc);
    const QList<QTextImageFormat> list = images(doc);
    // PNG, shape picture (its \nonshppict twin skipped), metafile bitmap, blank metafile, DIB, object result.
    QCOMPARE(list.size(), 6);
    QCOMPARE(doc.toPlainText().count(QChar::ObjectReplacementCharacter), 6);

    auto imageOf = [&](const QTextImageFormat &f) {
        return doc.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
    };
    QCOMPARE(list[0].name(), QStringLiteral("rtfimage://1"));
    QCOMPARE(list[0].width(), 40.0);
    QCOMPARE(list[0].height(), 30.0);
    QImage png = imageOf(list[0]);
    QCOMPARE(png.size(), QSize(4, 3));
    QCOMPARE(QColor(png.pixel(1, 1)), QColor(255, 0, 0));

    QCOMPARE(list[1].name(), QStringLiteral("rtfimage://2"));
    QCOMPARE(list[1].width(), 20.0); // 150 twips at 200 %
    QCOMPARE(list[1].height(), 2.0); // 60 twips at 50 %
    QCOMPARE(imageOf(list[1]).size(), QSize(5, 2));

    // Played at twice its displayed size; its bitmap fills it.
    const QImage wmf = imageOf(list[2]);
    QCOMPARE(wmf.size(), QSize(12, 8));
    QCOMPARE(QColor(wmf.pixel(6, 4)), QColor(0, 255, 0));
    QCOMPARE(list[2].width(), 6.0);

    // Nothing to draw: a light frame of the metafile's size (HIMETRIC 2540 x 1270 = 96 x 48)
    // that says what it stands for.
    QCOMPARE(list[3].width(), 96.0);
    QCOMPARE(list[3].height(), 48.0);
    const QImage frame = imageOf(list[3]);
    QCOMPARE(frame.size(), QSize(96, 48));
    QVERIFY(QColor(frame.pixel(0, 0)) != QColor(Qt::white));
    QCOMPARE(frame, MetafileRenderer::placeholder(QSize(96, 48), QStringLiteral("WMF picture")));

    const QImage dib = imageOf(list[4]);
    QCOMPARE(dib.size(), QSize(2, 2));
    QCOMPARE(QColor(dib.pixel(0, 0)), QColor(255, 0, 0));

    QCOMPARE(imageOf(list[5]).size(), QSize(4, 3));
    QVERIFY(doc.toPlainText().startsWith(QStringLiteral("A PNG: ")));
    QVERIFY(doc.toPlainText().contains(QStringLiteral("Object: ")));
    QVERIFY(!doc.toPlainText().contains(QStringLiteral("Paint")));
}

void TstRtfReader::largePicturesCostBoundedMemory()
{
    const QByteArray hex = filledImage(QSize(2000, 2000), QColor(0, 128, 0), "PNG").toHex();
    QVERIFY(!hex.isEmpty());
    // Shown at 10 x 10 pixels: decoded at twice that, not at 2000 x 2000.
    QByteArray body = "{\\pict\\pngblip\\picwgoal150\\pichgoal150 " + hex + "}";
    // Shown at full size twenty times: what passes the document's budget is decoded, the
    // rest share one small stand-in shown at the same size.
    for (int i = 0; i < 20; ++i)
        body += "{\\pict\\pngblip " + hex + "}";
    QTextDocument doc;
    RtfReader::read(rtf(body.constData()), &doc);
    const QList<QTextImageFormat> list = images(doc);
    QCOMPARE(list.size(), 21);
    auto imageOf = [&](const QTextImageFormat &f) {
        return doc.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
    };
    QCOMPARE(list[0].width(), 10.0);
    QCOMPARE(imageOf(list[0]).size(), QSize(20, 20));
    QCOMPARE(QColor(imageOf(list[0]).pixel(5, 5)), QColor(0, 128, 0));
    QCOMPARE(imageOf(list[1]).size(), QSize(2000, 2000));
    QCOMPARE(imageOf(list[20]).cacheKey(), imageOf(list[19]).cacheKey());
    QCOMPARE(list[20].width(), 2000.0);
    qint64 decoded = 0;
    QSet<qint64> counted;
    for (const QTextImageFormat &f : list)
        if (!counted.contains(imageOf(f).cacheKey())) {
            counted.insert(imageOf(f).cacheKey());
            decoded += qint64(imageOf(f).width()) * imageOf(f).height();
        }
    QVERIFY(decoded <= RtfPictureReader::kMaxDocumentPixels);
}

void TstRtfReader::jpegAndEnhancedMetafile()
{
    const QByteArray jpeg = filledImage(QSize(8, 6), QColor(0, 0, 255), "JPG", 95);
    QVERIFY(!jpeg.isEmpty());
    const QByteArray body = "{\\pict\\jpegblip\\picw8\\pich6 " + jpeg.toHex() + "}{\\pict\\emfblip\\picw2540\\pich2540 "
        + greenEmf().toHex() + "}{\\pict\\emfblip\\picw254\\pich508 0100000008000000}";
    QTextDocument doc;
    RtfReader::read(rtf(body.constData()), &doc);
    const QList<QTextImageFormat> list = images(doc);
    QCOMPARE(list.size(), 3);
    const QImage j = doc.resource(QTextDocument::ImageResource, QUrl(list[0].name())).value<QImage>();
    QCOMPARE(j.size(), QSize(8, 6));
    QVERIFY(qBlue(j.pixel(4, 3)) > 200);
    QCOMPARE(list[0].width(), 8.0);
    const QImage e = doc.resource(QTextDocument::ImageResource, QUrl(list[1].name())).value<QImage>();
    QCOMPARE(e.size(), QSize(192, 192));
    QCOMPARE(QColor(e.pixel(96, 96)), QColor(0, 255, 0));
    QCOMPARE(list[1].width(), 96.0); // one inch in HIMETRIC
    // No metafile: a frame of 0.1 x 0.2 inch.
    QCOMPARE(list[2].width(), 9.6);
    QCOMPARE(list[2].height(), 19.2);
    const QImage frame = doc.resource(QTextDocument::ImageResource, QUrl(list[2].name())).value<QImage>();
    QCOMPARE(frame.size(), QSize(10, 20));
}

void TstRtfReader::characterFormats()
{
    QTextDocument doc;
    RtfReader::read(rtf("\\pard{\\uld a}{\\uldash b}{\\ulwave c}{\\caps d}{\\scaps e}{\\super f}{\\sub g}"
                        "{\\fs20\\up6 h}{\\highlight1 i}{\\cb1 j}{\\plain\\fs99999 k}{\\fs-5 l}{\\cf99 m}\\par"),
                    &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("abcdefghijklm"));
    QCOMPARE(formatAt(doc, QStringLiteral("a")).underlineStyle(), QTextCharFormat::DotLine);
    QCOMPARE(formatAt(doc, QStringLiteral("b")).underlineStyle(), QTextCharFormat::DashUnderline);
    QCOMPARE(formatAt(doc, QStringLiteral("c")).underlineStyle(), QTextCharFormat::WaveUnderline);
    QCOMPARE(formatAt(doc, QStringLiteral("d")).fontCapitalization(), QFont::AllUppercase);
    QCOMPARE(formatAt(doc, QStringLiteral("e")).fontCapitalization(), QFont::SmallCaps);
    QCOMPARE(formatAt(doc, QStringLiteral("f")).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QCOMPARE(formatAt(doc, QStringLiteral("g")).verticalAlignment(), QTextCharFormat::AlignSubScript);
    QCOMPARE(formatAt(doc, QStringLiteral("h")).baselineOffset(), 30.0); // 3 pt up at 10 pt
    QCOMPARE(formatAt(doc, QStringLiteral("i")).background().color(), QColor(255, 0, 0));
    QCOMPARE(formatAt(doc, QStringLiteral("j")).background().color(), QColor(255, 0, 0));
    QCOMPARE(formatAt(doc, QStringLiteral("k")).fontPointSize(), 1638.0);
    QVERIFY(!formatAt(doc, QStringLiteral("l")).hasProperty(QTextFormat::FontPointSize));
    QVERIFY(!formatAt(doc, QStringLiteral("m")).hasProperty(QTextFormat::ForegroundBrush));
    QVERIFY(!formatAt(doc, QStringLiteral("k")).fontUnderline());
}

void TstRtfReader::runsOfEqualFormat_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("fragments"); // of each block: text, then "*" when bold
    const QByteArray list = "{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}\\listid1}}"
                            "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}";
    QTest::newRow("equal across a group end") << QByteArray("{\\b a}{\\b b}c\\par") << QStringList{"ab*", "c"};
    QTest::newRow("unequal, and a group of the same format") << QByteArray("a{b}{\\b c}\\par") << QStringList{"ab", "c*"};
    // The label of a list item is dropped: the text either side of it is one run again.
    QTest::newRow("around a dropped label") << list + "\\pard\\ls1 a{\\listtext 1.}b{\\b c}\\par" << QStringList{"ab", "c*"};
    QTest::newRow("around a footnote") << QByteArray("{\\b a}{\\footnote n}{\\b b}\\par") << QStringList{"ab*", "|", "|", "n"}; // the rule, then the note
    // Each paragraph starts with empty text, also after a long one and in a table.
    QTest::newRow("after a long paragraph") << QByteArray(QByteArray(5000, 'x') + "\\par{\\b y}\\par")
                                            << QStringList{QString(5000, QLatin1Char('x')), "|", "y*"};
    QTest::newRow("cell after a long paragraph")
        << QByteArray(QByteArray(5000, 'x') + "\\par\\trowd\\cellx1000\\pard\\intbl y\\cell\\row\\pard z\\par")
        << QStringList{QString(5000, QLatin1Char('x')), "|", "y", "|", "z"};
}

void TstRtfReader::runsOfEqualFormat()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, fragments);
    QTextDocument doc;
    RtfReader::read(rtf(body.constData()), &doc);
    // Fragments of every block, "|" between blocks.
    QStringList seen;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin())
            seen << QStringLiteral("|");
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            seen << f.text() + (f.charFormat().fontWeight() == QFont::Bold ? QStringLiteral("*") : QString());
        }
    }
    QCOMPARE(seen, fragments);
}

void TstRtfReader::paragraphFormats()
{
    QTextDocument doc;
    RtfReader::read(rtf("\\pard\\sl360\\slmult1\\tqr\\tx2880\\tx4320\\keep a\\par"
                        "\\pard\\sl-300 b\\page c\\par"
                        "\\pard\\sl300\\slmult0\\rtlpar\\fi-360\\li720 d\\par"),
                    &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("a\nb\nc\nd"));
    const QTextBlockFormat a = blockStarting(doc, QStringLiteral("a")).blockFormat();
    QCOMPARE(a.lineHeightType(), int(QTextBlockFormat::ProportionalHeight));
    QCOMPARE(a.lineHeight(), 150.0);
    QCOMPARE(a.tabPositions().size(), 2);
    QCOMPARE(a.tabPositions()[0].type, QTextOption::RightTab);
    QCOMPARE(a.tabPositions()[0].position, 192.0);
    QCOMPARE(a.tabPositions()[1].type, QTextOption::LeftTab);
    QVERIFY(a.nonBreakableLines());
    const QTextBlockFormat b = blockStarting(doc, QStringLiteral("b")).blockFormat();
    QCOMPARE(b.lineHeightType(), int(QTextBlockFormat::FixedHeight));
    QCOMPARE(b.lineHeight(), 20.0);
    QCOMPARE(b.pageBreakPolicy(), QTextFormat::PageBreak_Auto);
    QCOMPARE(blockStarting(doc, QStringLiteral("c")).blockFormat().pageBreakPolicy(), QTextFormat::PageBreak_AlwaysBefore);
    const QTextBlockFormat d = blockStarting(doc, QStringLiteral("d")).blockFormat();
    QCOMPARE(d.lineHeightType(), int(QTextBlockFormat::MinimumHeight));
    QCOMPARE(d.layoutDirection(), Qt::RightToLeft);
    QCOMPARE(d.textIndent(), -24.0);
    QCOMPARE(d.leftMargin(), 48.0);

    // An empty paragraph before a page break stays.
    QCOMPARE(textOf(rtf("a\\par\\page b\\par")), QStringLiteral("a\n\nb"));
}

void TstRtfReader::hyperlinkField()
{
    QTextDocument doc;
    RtfReader::read(rtf("see {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/x\"}}{\\fldrslt{\\ul here}}} now\\par"),
                    &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("see here now"));
    const QTextCharFormat link = formatAt(doc, QStringLiteral("here"));
    QVERIFY(link.isAnchor());
    QCOMPARE(link.anchorHref(), QStringLiteral("https://example.org/x"));
    QVERIFY(!formatAt(doc, QStringLiteral(" now")).isAnchor());
}

void TstRtfReader::hostile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("mustContain");
    auto row = [](const char *name, const QByteArray &bytes, const char *text) {
        QTest::newRow(name) << bytes << QString::fromUtf8(text);
    };
    row("unbalanced open", "{\\rtf1 a{\\b b{\\i c", "abc");
    row("unbalanced close", "{\\rtf1 a}}}}b", "a");
    row("bin longer than the rest", "{\\rtf1 keep{\\*\\x\\bin999999999 abc}", "keep");
    row("bin negative", "{\\rtf1 a\\bin-5 b}", "ab");
    row("100000 nested groups",
        "{\\rtf1 " + QByteArray(100000, '{') + "deep" + QByteArray(100000, '}') + " after}", "deep after");
    row("nested groups never closed", "{\\rtf1 " + QByteArray(100000, '{') + "deep", "deep");
    row("bad hex", "{\\rtf1 a\\'zzb\\'4", "azzb");
    row("huge parameter", "{\\rtf1\\fs99999999999999999999 big\\li-99999999999 x}", "big x");
    row("absurd cells", "{\\rtf1\\trowd\\cellx-2147483647\\cellx2147483647\\cellx5\\intbl a\\cell b\\cell\\row x}", "a");
    row("many cells", "{\\rtf1\\trowd" + QByteArray("\\cellx100").repeated(5000) + "\\intbl " +
                          QByteArray("c\\cell").repeated(5000) + "\\row}", "c");
    row("many boundaries",
        "{\\rtf1" + [] {
            QByteArray b;
            for (int i = 1; i <= 400; ++i)
                b += "\\trowd\\cellx" + QByteArray::number(i * 7) + "\\cellx9000\\intbl r\\cell s\\cell\\row";
            return b;
        }() + "}",
        "rs");
    row("row definitions repeated",
        "{\\rtf1\\trowd" + [] {
            QByteArray b;
            for (int i = 1; i <= 64; ++i)
                b += "\\cellx" + QByteArray::number(i * 100);
            return b;
        }() + "\\intbl kept\\cell\\row" + QByteArray("\\row").repeated(5000) + "}",
        "kept");
    row("a wide row repeated 3900 times",
        "{\\rtf1\\trowd" + QByteArray("\\cellx100").repeated(64) + "\\intbl kept\\cell\\row"
            + QByteArray("\\row").repeated(3900) + " end}",
        "keptend");
    row("one wide row then many narrow",
        "{\\rtf1\\intbl " + QByteArray("w\\cell ").repeated(64) + "\\row " + QByteArray("n\\cell\\row ").repeated(4000) + " end}",
        "wwwwnnnn");
    row("deep itap", "{\\rtf1\\intbl\\itap1000 a\\nestcell\\nestrow\\itap-4 b\\cell\\row}", "a");
    row("absurd padding", "{\\rtf1\\trowd\\trpaddl2147483647\\trpaddfl3\\clpadt-5\\clpadft999\\cellx100\\intbl a\\cell\\row}", "a");
    row("cell without table", "{\\rtf1 a\\cell b\\row c\\nestcell\\nestrow d}", "d");
    row("absurd picture", "{\\rtf1{\\pict\\pngblip\\picw999999999\\pich-5\\picscalex-3\\picwgoal2147483647 89504e47}x}", "x");
    row("too many pictures", "{\\rtf1 a" + QByteArray("{\\pict}").repeated(12000) + "b}", "ab");
    row("picture data not hex", "{\\rtf1{\\pict\\dibitmap0 zz28000000ffffff7f}x}", "x");
    row("huge dib header", "{\\rtf1{\\pict\\dibitmap0 28000000ffffff7fffffff7f0100180000000000}x}", "x");
    row("wmf with bad records", "{\\rtf1{\\pict\\wmetafile8 010009000003ffffffff0000ffffffff0000ffffffff430f}x}", "x");
    row("emf with bad offsets", "{\\rtf1{\\pict\\emfblip 0100000010000000000000000000000051000000200000000000"
                                "00000000000000000000000000000000000000000000000000ffffff7fffffff7f}x}", "x");
    row("unicode skip over end", "{\\rtf1 a\\uc9999\\u65", "a");
    row("font table never closed", "{\\rtf1{\\fonttbl{\\f0 Arial", "");
    row("color values", "{\\rtf1{\\colortbl;\\red999\\green-5\\blue;}\\cf1 x\\cf-3 y}", "xy");
    row("many tabs", "{\\rtf1" + QByteArray("\\tx100").repeated(1000) + " t}", "t");
    row("only rtf", "{\\rtf", "");
}

void TstRtfReader::hostile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, mustContain);
    QTextDocument doc;
    RtfReader::read(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), &doc);
    const QString text = doc.toPlainText();
    QString letters = text;
    letters.remove(QRegularExpression(QStringLiteral("[\\s\\x{FFFC}]")));
    QString expected = mustContain;
    expected.remove(QLatin1Char(' '));
    QVERIFY2(letters.contains(expected), qPrintable(text.left(200)));
    checkRewrite(doc);
}

namespace {

int tableDepth(QTextFrame *frame)
{
    int deepest = 0;
    for (QTextFrame *child : frame->childFrames())
        deepest = std::max(deepest, tableDepth(child));
    return deepest + (qobject_cast<QTextTable *>(frame) ? 1 : 0);
}

} // namespace

void TstRtfReader::deepNestingIsCapped()
{
    // Thirty bytes asking for sixteen nested tables: the text stays, the nesting stops at
    // a depth that lays out at once.
    const std::string rtf = "{\\rtf1\\pard\\intbl\\itap16 deep\\par}";
    QTextDocument doc;
    RtfReader::read(rtf, &doc);
    QVERIFY(doc.toPlainText().contains(QStringLiteral("deep")));
    const int depth = tableDepth(doc.rootFrame());
    QVERIFY2(depth >= 2 && depth <= 5, qPrintable(QString::number(depth)));
}

void TstRtfReader::cutAnywhere()
{
    // Every prefix of a letter reads and writes back as it reads; the text read so far is kept.
    const std::string full = fixture("table.rtf") + fixture("bullets.rtf");
    for (size_t n = 0; n <= full.size(); n += 7) {
        QTextDocument doc;
        RtfReader::read(std::string_view(full).substr(0, n), &doc);
        checkRewrite(doc);
        if (QTest::currentTestFailed()) {
            qInfo("cut after %zu bytes", n);
            return;
        }
    }
    QTextDocument doc;
    const std::string letter = fixture("western_letter.rtf");
    RtfReader::read(std::string_view(letter).substr(0, letter.find("Tuesday") + 4), &doc);
    QVERIFY(doc.toPlainText().endsWith(QStringLiteral("Please reply by Monday Tues")));
}

void TstRtfReader::agreesWithLibreOffice_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"western_letter", "bullets", "table", "gb2312", "charset_wins", "pictures"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TstRtfReader::agreesWithLibreOffice()
{
    // The same lines as LibreOffice's text export, apart from what is drawn rather than
    // stored here: list markers, pictures, and the empty lines of merged cells.
    QFETCH(QString, name);
    auto lines = [](QString text, bool dropMarkers) {
        text.remove(QChar(0xFEFF)).remove(QChar::ObjectReplacementCharacter).remove(QLatin1Char('\r'));
        // Raw text: blocks end with U+2029, cells and tables with U+FDD0 / U+FDD1.
        for (const QChar c : {QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator), QChar(0xFDD0), QChar(0xFDD1)})
            text.replace(c, QLatin1Char('\n'));
        QStringList result;
        for (QString line : text.split(QLatin1Char('\n'))) {
            if (dropMarkers)
                line.remove(QRegularExpression(QStringLiteral("^\\s*(\u2022|\\(?[0-9A-Za-z]{1,4}[.)])\\s+")));
            line = line.trimmed();
            if (!line.isEmpty())
                result.append(line);
        }
        return result;
    };
    QTextDocument doc;
    RtfReader::read(fixture(qPrintable(name + QStringLiteral(".rtf"))), &doc);
    const QByteArray theirs = TestFiles::read(TestFiles::dataPath(QStringLiteral("rtf/%1.libreoffice.txt").arg(name)));
    QVERIFY(!theirs.isEmpty());
    QCOMPARE(lines(doc.toRawText(), false),
             lines(QString::fromUtf8(theirs), true));
}

QTEST_MAIN(TstRtfReader)
#include "tst_rtfreader.moc"
