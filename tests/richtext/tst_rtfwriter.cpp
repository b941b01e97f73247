#include "richtext/layout/TableGeometry.h"
#include "richtext/LetterDocument.h"
#include "richtext/reading/RtfReader.h"
#include "richtext/writing/RtfWriter.h"

#include "os/DefaultFont.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <functional>

// The writer's output as the rich-edit control writes it, and documents that come back
// unchanged through our reader.
class TestRtfWriter : public QObject
{
    Q_OBJECT

private:
    using Builder = std::function<void(QTextDocument &)>;

    static void setUp(QTextDocument &doc)
    {
        doc.setDefaultFont(DefaultFont::font());
    }

    static QByteArray write(const QTextDocument &doc)
    {
        const std::string rtf = RtfWriter::write(doc);
        return QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size()));
    }

    static QString num(qreal v)
    {
        return QString::number(qRound(v * 10) / 10.0);
    }

    // Character properties as they show: a run without a family or size has the
    // document's.
    static QString describeChar(const QTextDocument &doc, const QTextCharFormat &f)
    {
        QString family = f.property(QTextFormat::FontFamilies).toStringList().value(0);
        if (family.isEmpty())
            family = f.stringProperty(QTextFormat::FontFamily);
        if (family.isEmpty())
            family = doc.defaultFont().family();
        const qreal size = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : doc.defaultFont().pointSizeF();
        QStringList d{family, num(size)};
        if (f.fontWeight() >= QFont::DemiBold)
            d << QStringLiteral("bold");
        if (f.fontItalic())
            d << QStringLiteral("italic");
        if (f.underlineStyle() != QTextCharFormat::NoUnderline)
            d << QStringLiteral("ul%1").arg(f.underlineStyle());
        if (f.fontStrikeOut())
            d << QStringLiteral("strike");
        if (f.foreground().style() != Qt::NoBrush)
            d << QStringLiteral("fg") + f.foreground().color().name();
        if (f.background().style() != Qt::NoBrush)
            d << QStringLiteral("bg") + f.background().color().name();
        if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript || f.verticalAlignment() == QTextCharFormat::AlignSubScript)
            d << QStringLiteral("va%1").arg(f.verticalAlignment());
        if (f.fontCapitalization() != QFont::MixedCase)
            d << QStringLiteral("caps%1").arg(f.fontCapitalization());
        if (f.hasProperty(QTextFormat::TextBaselineOffset) && f.baselineOffset() != 0)
            d << QStringLiteral("base") + num(f.baselineOffset());
        if (f.isAnchor())
            d << QStringLiteral("href=") + f.anchorHref();
        if (f.isImageFormat()) {
            const QTextImageFormat img = f.toImageFormat();
            const QVariant res = doc.resource(QTextDocument::ImageResource, QUrl(img.name()));
            const QImage image = (res.userType() == QMetaType::QByteArray ? QImage::fromData(res.toByteArray())
                                                                           : res.value<QImage>())
                                     .convertToFormat(QImage::Format_ARGB32);
            d << QStringLiteral("image %1x%2 shown %3x%4 key %5")
                     .arg(image.width()).arg(image.height()).arg(num(img.width()), num(img.height()))
                     .arg(image.isNull() ? 0 : qHashBits(image.constBits(), static_cast<size_t>(image.sizeInBytes())));
        }
        return d.join(QLatin1Char(' '));
    }

    static QString describeBlock(const QTextDocument &doc, const QTextBlock &block, QList<const QTextList *> &lists)
    {
        const QTextBlockFormat f = block.blockFormat();
        QString d = QStringLiteral("P a%1 l%2 r%3 i%4 t%5 b%6 lh%7/%8 keep%9 rtl%10 pb%11")
                        .arg(int(f.alignment() & Qt::AlignHorizontal_Mask)).arg(num(f.leftMargin()), num(f.rightMargin()))
                        .arg(block.textList() ? QStringLiteral("-") : num(f.textIndent()), num(f.topMargin()), num(f.bottomMargin()))
                        .arg(f.lineHeightType()).arg(num(f.lineHeight())).arg(f.nonBreakableLines())
                        .arg(f.layoutDirection() == Qt::RightToLeft).arg(int(f.pageBreakPolicy()));
        for (const QTextOption::Tab &tab : f.tabPositions())
            d += QStringLiteral(" tab%1/%2").arg(num(tab.position)).arg(tab.type);
        if (const QTextList *list = block.textList()) {
            if (!lists.contains(list))
                lists.append(list);
            const QTextListFormat lf = list->format();
            d += QStringLiteral(" list#%1 style%2 indent%3").arg(lists.indexOf(list)).arg(lf.style()).arg(lf.indent());
            if (lf.style() <= QTextListFormat::ListDecimal)
                d += QStringLiteral(" [%1|%2] from %3").arg(lf.numberPrefix(), lf.numberSuffix())
                         .arg(lf.hasProperty(RtfReader::ListStartProperty) ? lf.intProperty(RtfReader::ListStartProperty) : 1);
        }
        // Runs of equal appearance, however the document happens to cut its fragments.
        QString lastFormat;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const QString fmt = describeChar(doc, frag.charFormat());
            if (fmt != lastFormat)
                d += QStringLiteral("\n    {") + fmt + QStringLiteral("} ");
            lastFormat = fmt;
            d += frag.text();
        }
        return d;
    }

    static void describeItems(const QTextDocument &doc, QTextFrame::iterator it, QStringList &out,
                              QList<const QTextList *> &lists, const QString &indent)
    {
        for (; !it.atEnd(); ++it) {
            if (auto *table = qobject_cast<QTextTable *>(it.currentFrame())) {
                const QTextTableFormat tf = table->format();
                QStringList widths;
                for (const QTextLength &l : tf.columnWidthConstraints())
                    widths << num(l.rawValue());
                out << indent + QStringLiteral("TABLE %1x%2 widths %3 left%4 align%5")
                                    .arg(table->rows()).arg(table->columns()).arg(widths.join(QLatin1Char(',')))
                                    .arg(num(tf.leftMargin())).arg(int(tf.alignment() & Qt::AlignHorizontal_Mask));
                for (int r = 0; r < table->rows(); ++r) {
                    for (int c = 0; c < table->columns(); ++c) {
                        const QTextTableCell cell = table->cellAt(r, c);
                        if (cell.row() != r || cell.column() != c)
                            continue;
                        const QTextTableCellFormat cf = cell.format().toTableCellFormat();
                        QString cd = indent + QStringLiteral("CELL %1,%2 span %3x%4 pad%5/%6 va%7")
                                                  .arg(r).arg(c).arg(cell.rowSpan()).arg(cell.columnSpan())
                                                  .arg(num(cf.leftPadding()), num(cf.rightPadding())).arg(cf.verticalAlignment());
                        if (cf.background().style() != Qt::NoBrush)
                            cd += QStringLiteral(" bg") + cf.background().color().name();
                        for (int p : {QTextFormat::TableCellTopBorder, QTextFormat::TableCellLeftBorder,
                                      QTextFormat::TableCellBottomBorder, QTextFormat::TableCellRightBorder})
                            cd += QStringLiteral(" border%1").arg(num(cf.doubleProperty(p)));
                        out << cd;
                        describeItems(doc, cell.begin(), out, lists, indent + QStringLiteral("  "));
                    }
                }
            } else if (QTextFrame *frame = it.currentFrame()) {
                describeItems(doc, frame->begin(), out, lists, indent);
            } else {
                out << indent + describeBlock(doc, it.currentBlock(), lists);
            }
        }
    }

    static QStringList describe(const QTextDocument &doc)
    {
        QStringList out;
        QList<const QTextList *> lists;
        describeItems(doc, doc.rootFrame()->begin(), out, lists, QString());
        return out;
    }

    static QImage testImage(int w, int h, QRgb color)
    {
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(color);
        image.setPixel(0, 0, qRgb(1, 2, 3));
        return image;
    }

    // Formats the reader produces, built in code.
    static QTextListFormat bulletList()
    {
        QTextListFormat lf;
        lf.setStyle(QTextListFormat::ListDisc);
        lf.setIndent(0);
        return lf;
    }
    static QTextListFormat numberedList(QTextListFormat::Style style, const QString &prefix, const QString &suffix)
    {
        QTextListFormat lf;
        lf.setStyle(style);
        lf.setIndent(0);
        lf.setNumberPrefix(prefix);
        lf.setNumberSuffix(suffix);
        return lf;
    }
    static QTextTableCellFormat borderedCell(qreal width, qreal padding)
    {
        QTextTableCellFormat cf;
        cf.setLeftPadding(padding);
        cf.setRightPadding(padding);
        cf.setTopBorder(width);
        cf.setLeftBorder(width);
        cf.setBottomBorder(width);
        cf.setRightBorder(width);
        for (int p : {QTextFormat::TableCellTopBorderStyle, QTextFormat::TableCellLeftBorderStyle,
                      QTextFormat::TableCellBottomBorderStyle, QTextFormat::TableCellRightBorderStyle})
            cf.setProperty(p, QTextFrameFormat::BorderStyle_Solid);
        return cf;
    }
    static QTextTable *insertTable(QTextCursor &cur, int rows, const QList<qreal> &widths, qreal border = 1, qreal padding = 7.2)
    {
        QTextTableFormat tf;
        tf.setBorderCollapse(true);
        tf.setBorder(0);
        tf.setCellSpacing(0);
        tf.setCellPadding(0);
        tf.setHeaderRowCount(0);
        QList<QTextLength> lengths;
        for (qreal w : widths)
            lengths << QTextLength(QTextLength::FixedLength, w);
        tf.setColumnWidthConstraints(lengths);
        QTextTable *table = cur.insertTable(rows, static_cast<int>(widths.size()), tf);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < widths.size(); ++c)
                table->cellAt(r, c).setFormat(borderedCell(border, padding));
        return table;
    }

    // Every cell of the first table as laid out: its content rectangle and its padding.
    struct CellBox
    {
        QRectF content;
        QMarginsF padding;
    };
    static QTextTableFormat tableFormat(const QTextDocument &doc)
    {
        return doc.rootFrame()->childFrames().value(0)->format().toTableFormat();
    }
    static QList<CellBox> cellBoxes(const QTextDocument &doc)
    {
        QList<CellBox> boxes;
        const auto *table = qobject_cast<QTextTable *>(doc.rootFrame()->childFrames().value(0));
        for (int r = 0; table && r < table->rows(); ++r) {
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (cell.row() == r && cell.column() == c)
                    boxes.append({doc.documentLayout()->blockBoundingRect(doc.findBlock(cell.firstPosition())),
                                  TableGeometry::padding(*table, cell)});
            }
        }
        return boxes;
    }

private slots:
    void headerAndShape()
    {
        QTextDocument doc;
        setUp(doc);
        doc.setPlainText(QStringLiteral("Hello\nWorld"));
        QCOMPARE(write(doc),
                 QByteArray("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fcharset0 MS Sans Serif;}}\r\n"
                            "{\\colortbl ;}\r\n"
                            "\\viewkind4\\uc1\\pard\\f0\\fs16 Hello\\par\r\n"
                            "World\\par\r\n"
                            "}\r\n"));
    }

    void text_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("charset"); // -1: none given
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QByteArray>("fontEntry");

        QTest::newRow("RTF specials") << QStringLiteral("a{b}\\c") << QString() << -1 << QByteArray(" a\\{b\\}\\\\c\\par") << QByteArray();
        QTest::newRow("Windows-1252 bytes") << QStringLiteral("caf\u00e9 \u20ac5") << QString() << -1
                                            << QByteArray(" caf\\'e9 \\'805\\par") << QByteArray();
        QTest::newRow("CJK in a Latin face") << QStringLiteral("\u4f60\u597d") << QString() << -1
                                             << QByteArray("\\fs16\\u20320?\\u22909?\\par") << QByteArray();
        QTest::newRow("emoji as surrogates") << QStringLiteral("x\U0001F600") << QString() << -1
                                             << QByteArray(" x\\u-10179?\\u-8704?\\par") << QByteArray();
        QTest::newRow("GB2312 in a Chinese face") << QStringLiteral("\u4f60\u597dA") << QStringLiteral("SimSun") << -1
                                                  << QByteArray("\\fs16\\'c4\\'e3\\'ba\\'c3A\\par")
                                                  << QByteArray("{\\f1\\fnil\\fcharset134 SimSun;}");
        QTest::newRow("Chinese face name in GBK") << QStringLiteral("\u4f60") << QStringLiteral("\u5b8b\u4f53") << -1
                                                  << QByteArray("\\'c4\\'e3\\par")
                                                  << QByteArray("{\\f1\\fnil\\fcharset134\\'cb\\'ce\\'cc\\'e5;}");
        QTest::newRow("charset the reader kept") << QStringLiteral("\u0416") << QStringLiteral("Arial") << 204
                                                 << QByteArray("\\'c6\\par") << QByteArray("{\\f1\\fswiss\\fcharset204 Arial;}");
        QTest::newRow("not in the charset") << QStringLiteral("\u0416") << QStringLiteral("Arial") << 0
                                            << QByteArray("\\u1046?\\par") << QByteArray("{\\f1\\fswiss\\fcharset0 Arial;}");
        // Fonts of the OEM and Mac charsets are written in the code page they are read in.
        QTest::newRow("OEM charset") << QStringLiteral("caf\u00e9 \u00a3") << QStringLiteral("Terminal") << 255
                                     << QByteArray("caf\\'82 \\'9c\\par") << QByteArray("\\fcharset255 Terminal;}");
        QTest::newRow("Mac charset") << QStringLiteral("caf\u00e9") << QStringLiteral("Helvetica") << 77
                                     << QByteArray("caf\\'8e\\par") << QByteArray("\\fcharset77 Helvetica;}");
        // A character the code page lacks does not make the ones after it unwritable.
        QTest::newRow("after a character the code page lacks")
            << QStringLiteral("\u00e9\u0142\u00ef") << QStringLiteral("Arial") << 0
            << QByteArray("\\'e9\\u322?\\'ef\\par") << QByteArray();
        QTest::newRow("tab and line break") << QStringLiteral("a\tb\u2028c") << QString() << -1
                                            << QByteArray(" a\\tab b\\line c\\par") << QByteArray();
        QTest::newRow("Unicode above 32767") << QStringLiteral("\uff01") << QString() << -1
                                             << QByteArray("\\u-255?\\par") << QByteArray();
        // Control characters carry no text: reading drops them, so writing does too, and
        // the second save is the first one.
        QTest::newRow("control characters") << QStringLiteral("a\u0001b\u001fc\uffffd") << QString() << -1
                                            << QByteArray(" abcd\\par") << QByteArray();
        // A symbol font reads its bytes as its pictures: what it shows goes as its byte,
        // other characters as \uN?, so that both read back as they were.
        QTest::newRow("Latin letters in a symbol font") << QStringLiteral("Hi") << QStringLiteral("Symbol") << -1
                                                       << QByteArray("\\u72?\\u105?\\par") << QByteArray("\\fcharset2 Symbol;}");
        QTest::newRow("a symbol font's own characters") << QString::fromUtf8("α• 1") << QStringLiteral("Symbol") << -1
                                                       << QByteArray("a\\'b7 1\\par") << QByteArray();
        QTest::newRow("symbol face kept with a Latin charset") << QStringLiteral("A") << QStringLiteral("Wingdings") << 0
                                                              << QByteArray("\\u65?\\par") << QByteArray("\\fcharset0 Wingdings;}");
        // A font name takes no \tab word: a tab in it is written as a blank.
        QTest::newRow("tab in a font name") << QStringLiteral("x") << QStringLiteral("a\tb") << 0
                                            << QByteArray() << QByteArray("\\fcharset0 a b;}");
    }

    void text()
    {
        QFETCH(QString, text);
        QFETCH(QString, family);
        QFETCH(int, charset);
        QFETCH(QByteArray, expected);
        QFETCH(QByteArray, fontEntry);
        QTextDocument doc;
        setUp(doc);
        QTextCharFormat f;
        if (!family.isEmpty())
            f.setFontFamilies({family});
        if (charset >= 0)
            f.setProperty(RtfReader::CharsetProperty, charset);
        QTextCursor(&doc).insertText(text, f);
        const QByteArray rtf = write(doc);
        QVERIFY2(rtf.contains(expected), rtf.constData());
        if (!fontEntry.isEmpty())
            QVERIFY2(rtf.contains(fontEntry), rtf.constData());
    }

    void formattingWrittenAsChanges()
    {
        QTextDocument doc;
        setUp(doc);
        QTextCursor cur(&doc);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        QTextCharFormat red;
        red.setForeground(QColor(255, 0, 0));
        red.setFontPointSize(12);
        cur.insertText(QStringLiteral("plain "));
        cur.insertText(QStringLiteral("bold"), bold);
        cur.insertText(QStringLiteral(" plain "), QTextCharFormat());
        cur.insertText(QStringLiteral("red"), red);
        QTextCharFormat pixels; // as pasted HTML sizes fonts
        pixels.setProperty(QTextFormat::FontPixelSize, 16);
        pixels.setForeground(QColor(255, 0, 0));
        cur.insertText(QStringLiteral(" 12pt"), pixels);
        QTextBlockFormat centred;
        centred.setAlignment(Qt::AlignHCenter);
        cur.insertBlock(centred);
        cur.insertText(QStringLiteral("one"), QTextCharFormat());
        cur.insertBlock(centred);
        cur.insertText(QStringLiteral("two"));
        cur.insertBlock(QTextBlockFormat());
        cur.insertText(QStringLiteral("left"));
        const QByteArray rtf = write(doc);
        QVERIFY2(rtf.contains("{\\colortbl ;\\red255\\green0\\blue0;}\r\n"), rtf.constData());
        QVERIFY2(rtf.contains("\\viewkind4\\uc1\\pard\\f0\\fs16 plain \\b bold\\b0  plain \\fs24\\cf1 red 12pt\\par\r\n"
                              "\\pard\\qc\\fs16\\cf0 one\\par\r\n"
                              "two\\par\r\n"
                              "\\pard left\\par\r\n}\r\n"),
                 rtf.constData());
    }

    void listsTablesAndPicturesInTheControlsForm()
    {
        QTextDocument doc;
        setUp(doc);
        QTextCursor cur(&doc);
        QTextBlockFormat indented;
        indented.setLeftMargin(48);
        cur.setBlockFormat(indented);
        cur.createList(bulletList());
        cur.insertText(QStringLiteral("dot"));
        cur.insertBlock(QTextBlockFormat());
        cur.setBlockFormat(indented);
        cur.createList(numberedList(QTextListFormat::ListDecimal, QString(), QStringLiteral(".")));
        cur.insertText(QStringLiteral("one"));
        cur.insertBlock();
        cur.insertText(QStringLiteral("two"));
        cur.insertBlock(QTextBlockFormat());
        QTextTable *table = insertTable(cur, 1, {100, 50});
        table->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("a"));
        table->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("b"));
        cur.movePosition(QTextCursor::End);
        doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("pic")), testImage(4, 3, qRgb(0, 0, 255)));
        QTextImageFormat image;
        image.setName(QStringLiteral("pic"));
        image.setWidth(8);
        image.setHeight(6);
        cur.insertImage(image);
        const QByteArray rtf = write(doc);
        QVERIFY2(rtf.contains("\\viewkind4\\uc1\\pard{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}\\ls1\\fi-360\\li720"
                              "{\\pntext\\f1\\'b7\\tab}\\f0\\fs16 dot\\par\r\n"),
                 rtf.constData());
        QVERIFY2(rtf.contains("{\\f1\\ftech\\fcharset2 Symbol;}"), rtf.constData());
        QVERIFY2(rtf.contains("\\pard{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\pndec{\\pntxta.}}\\ls2\\fi-360\\li720"
                              "{\\pntext\\f0 1.\\tab}one\\par\r\n{\\pntext\\f0 2.\\tab}two\\par\r\n"),
                 rtf.constData());
        QVERIFY2(rtf.contains("\\trowd\\trgaph108\\trleft0\\clbrdrt\\brdrs\\brdrw15\\clbrdrl\\brdrs\\brdrw15"
                              "\\clbrdrb\\brdrs\\brdrw15\\clbrdrr\\brdrs\\brdrw15\\cellx1500"),
                 rtf.constData());
        QVERIFY2(rtf.contains("\\cellx2250\r\n\\pard\\intbl a\\cell b\\cell\\row\r\n"), rtf.constData());
        QVERIFY2(rtf.contains("{\\pict\\pngblip\\picw4\\pich3\\picwgoal120\\pichgoal90\r\n89504e470d0a1a0a"), rtf.constData());
        QVERIFY2(rtf.endsWith("}\\par\r\n}\r\n"), rtf.constData());
    }

    void pictureWithoutImageIsLeftOut()
    {
        QTextDocument doc;
        setUp(doc);
        QTextCursor cur(&doc);
        cur.insertText(QStringLiteral("a"));
        QTextImageFormat missing;
        missing.setName(QStringLiteral("nowhere"));
        cur.insertImage(missing);
        doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("junk")), QByteArray("not an image"));
        QTextImageFormat junk;
        junk.setName(QStringLiteral("junk"));
        cur.insertImage(junk);
        cur.insertText(QStringLiteral("b"));
        const QByteArray rtf = write(doc);
        QVERIFY2(!rtf.contains("\\pict"), rtf.constData());
        QVERIFY2(rtf.contains(" ab\\par"), rtf.constData());
    }

    // Reading keeps a picture at most twice its shown size: a larger one is written at that,
    // and reads back with the pixels it was written with.
    void pictureWrittenAtWhatReadingKeeps_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QSizeF>("shown");
        QTest::addColumn<QSize>("written");
        QTest::newRow("wider than twice its width") << QSize(1281, 1) << QSizeF(580, 1) << QSize(1160, 1);
        QTest::newRow("taller than twice its height") << QSize(300, 900) << QSizeF(100, 300) << QSize(200, 600);
        QTest::newRow("twice its size") << QSize(1160, 2) << QSizeF(580, 1) << QSize(1160, 2);
        QTest::newRow("shown at its own size") << QSize(40, 30) << QSizeF() << QSize(40, 30);
    }

    void pictureWrittenAtWhatReadingKeeps()
    {
        QFETCH(QSize, pixels);
        QFETCH(QSizeF, shown);
        QFETCH(QSize, written);
        QTextDocument doc;
        setUp(doc);
        doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("pic")),
                        testImage(pixels.width(), pixels.height(), qRgb(0, 128, 255)));
        QTextImageFormat image;
        image.setName(QStringLiteral("pic"));
        if (shown.isValid()) {
            image.setWidth(shown.width());
            image.setHeight(shown.height());
        }
        QTextCursor(&doc).insertImage(image);
        const QByteArray rtf = write(doc);
        const QByteArray words = QStringLiteral("\\picw%1\\pich%2").arg(written.width()).arg(written.height()).toLatin1();
        QVERIFY2(rtf.contains(words), rtf.constData());
        QTextDocument back;
        RtfReader::read(std::string_view(rtf.constData(), static_cast<size_t>(rtf.size())), &back);
        const QTextImageFormat read = back.begin().begin().fragment().charFormat().toImageFormat();
        QCOMPARE(back.resource(QTextDocument::ImageResource, QUrl(read.name())).value<QImage>().size(), written);
        QCOMPARE(write(back), rtf);
    }

    void letterLoadsInTheDefaultFont_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain text, Windows-1252") << QByteArray("caf\xe9\r\nline two") << QStringLiteral("caf\u00e9\nline two");
        QTest::newRow("RTF") << QByteArray("  {\\rtf1\\ansi caf\\'e9\\par line two\\par}") << QStringLiteral("caf\u00e9\nline two");
    }

    void letterLoadsInTheDefaultFont()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QTextDocument doc;
        LetterDocument::load(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), &doc);
        QCOMPARE(doc.toPlainText(), text);
        QCOMPARE(doc.defaultFont().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(doc.defaultFont().pointSize(), 8);
        const std::string rtf = LetterDocument::save(doc);
        QVERIFY(rtf.starts_with("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fcharset0 MS Sans Serif;}"));
        QVERIFY(rtf.find("caf\\'e9\\par\r\nline two\\par\r\n}") != std::string::npos);
    }

    void pastedHtmlTableKeepsItsLayout_data()
    {
        QTest::addColumn<QString>("html");
        QTest::newRow("widths and padding of the cells") << QStringLiteral(
            "<table cellspacing=0><tr><td width=80 style='padding:4px 8px'>Name</td>"
            "<td width=120 style='padding:4px 8px'>Value</td></tr>"
            "<tr><td style='padding:4px 8px'>a</td><td style='padding:4px 8px'>b</td></tr></table>");
        QTest::newRow("sized by the content") << QStringLiteral(
            "<table border=1 cellspacing=0 cellpadding=5 style='border-collapse:collapse'><tr><td>Name</td><td>A longer cell</td></tr>"
            "<tr><td>x</td><td>y</td></tr></table>");
        QTest::newRow("one cell padded apart") << QStringLiteral(
            "<table cellspacing=0 cellpadding=3><tr><td style='padding-left:9px'>a</td><td>b</td></tr></table>");
        QTest::newRow("a fixed column beside a free one") << QStringLiteral(
            "<table cellspacing=0 cellpadding=2><tr><td width=50>a</td><td>free</td></tr></table>");
    }

    void pastedHtmlTableKeepsItsLayout()
    {
        QFETCH(QString, html);
        QTextDocument doc;
        setUp(doc);
        doc.setTextWidth(600);
        QTextCursor(&doc).insertHtml(html);
        const QByteArray rtf = write(doc);
        QTextDocument back;
        RtfReader::read(std::string_view(rtf.constData(), static_cast<size_t>(rtf.size())), &back);
        back.setTextWidth(600);
        const QList<CellBox> shown = cellBoxes(doc);
        const QList<CellBox> read = cellBoxes(back);
        QCOMPARE(read.size(), shown.size());
        // Rectangles from the first cell's: a table's outer border may move it as a whole.
        for (qsizetype i = 0; i < shown.size(); ++i) {
            const QRectF a = shown[i].content.translated(-shown[0].content.topLeft());
            const QRectF b = read[i].content.translated(-read[0].content.topLeft());
            const qreal off = (a.topLeft() - b.topLeft()).manhattanLength() + (a.bottomRight() - b.bottomRight()).manhattanLength();
            QVERIFY2(off < 1, qPrintable(QStringLiteral("cell %1 moved by %2 in\n").arg(i).arg(off) + QString::fromLatin1(rtf)));
            QCOMPARE(read[i].padding, shown[i].padding);
        }
        // Widths the HTML fixed come back as they were.
        const QList<QTextLength> given = tableFormat(doc).columnWidthConstraints();
        for (qsizetype c = 0; c < given.size(); ++c)
            if (given[c].type() == QTextLength::FixedLength)
                QCOMPARE(tableFormat(back).columnWidthConstraints().value(c), given[c]);
        QCOMPARE(write(back), rtf);
    }

    void roundTrip_data()
    {
        QTest::addColumn<Builder>("build");

        QTest::newRow("empty") << Builder([](QTextDocument &) {});
        QTest::newRow("character formats") << Builder([](QTextDocument &doc) {
            QTextCursor cur(&doc);
            QTextCharFormat f;
            cur.insertText(QStringLiteral("plain "));
            f.setFontFamilies({QStringLiteral("Times New Roman")});
            f.setFontPointSize(14);
            cur.insertText(QStringLiteral("times "), f);
            f = QTextCharFormat();
            f.setFontWeight(QFont::Bold);
            f.setFontItalic(true);
            cur.insertText(QStringLiteral("bold italic "), f);
            for (auto style : {QTextCharFormat::SingleUnderline, QTextCharFormat::DotLine, QTextCharFormat::DashUnderline,
                               QTextCharFormat::DashDotLine, QTextCharFormat::DashDotDotLine, QTextCharFormat::WaveUnderline}) {
                f = QTextCharFormat();
                f.setUnderlineStyle(style);
                cur.insertText(QStringLiteral("ul "), f);
            }
            f = QTextCharFormat();
            f.setFontStrikeOut(true);
            f.setForeground(QColor(0, 128, 0));
            f.setBackground(QColor(255, 255, 0));
            cur.insertText(QStringLiteral("struck coloured "), f);
            f = QTextCharFormat();
            f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
            cur.insertText(QStringLiteral("sup"), f);
            f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
            cur.insertText(QStringLiteral("sub"), f);
            f = QTextCharFormat();
            f.setFontCapitalization(QFont::AllUppercase);
            cur.insertText(QStringLiteral(" caps"), f);
            f.setFontCapitalization(QFont::SmallCaps);
            cur.insertText(QStringLiteral(" small caps"), f);
            f = QTextCharFormat();
            f.setFontPointSize(10);
            f.setBaselineOffset(30);
            cur.insertText(QStringLiteral(" raised"), f);
            f = QTextCharFormat();
            f.setAnchor(true);
            f.setAnchorHref(QStringLiteral("http://example.org/a?b=1"));
            f.setForeground(QColor(0, 0, 255));
            cur.insertText(QStringLiteral("a link"), f);
            cur.insertText(QStringLiteral(" tab\there, break\u2028there"), QTextCharFormat());
            f = QTextCharFormat();
            f.setFontFamilies({QStringLiteral("Symbol")});
            cur.insertText(QStringLiteral("\u2022\u03b1 Hello"), f);
            cur.insertText(QStringLiteral(" nbsp\u00a0soft\u00adhyphen\u2011"), QTextCharFormat());
        });
        QTest::newRow("paragraph formats") << Builder([](QTextDocument &doc) {
            QTextCursor cur(&doc);
            QTextBlockFormat b;
            b.setAlignment(Qt::AlignHCenter);
            cur.setBlockFormat(b);
            cur.insertText(QStringLiteral("centred"));
            b = QTextBlockFormat();
            b.setAlignment(Qt::AlignRight);
            b.setLeftMargin(20);
            b.setRightMargin(10);
            b.setTextIndent(-8);
            cur.insertBlock(b);
            cur.insertText(QStringLiteral("right, indented"));
            b = QTextBlockFormat();
            b.setAlignment(Qt::AlignJustify);
            b.setTopMargin(6);
            b.setBottomMargin(12);
            b.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
            cur.insertBlock(b);
            cur.insertText(QStringLiteral("justified, spaced"));
            b = QTextBlockFormat();
            b.setLineHeight(20, QTextBlockFormat::FixedHeight);
            b.setTabPositions({QTextOption::Tab(96, QTextOption::LeftTab), QTextOption::Tab(200, QTextOption::RightTab),
                               QTextOption::Tab(300, QTextOption::CenterTab)});
            b.setNonBreakableLines(true);
            cur.insertBlock(b);
            cur.insertText(QStringLiteral("a\tb\tc\td"));
            b = QTextBlockFormat();
            b.setLineHeight(18, QTextBlockFormat::MinimumHeight);
            b.setLayoutDirection(Qt::RightToLeft);
            cur.insertBlock(b);
            cur.insertText(QStringLiteral("\u05e9\u05dc\u05d5\u05dd"));
            b = QTextBlockFormat();
            cur.insertBlock(b);
            b.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            cur.insertBlock(b);
            cur.insertText(QStringLiteral("on a new page"));
        });
        QTest::newRow("lists") << Builder([](QTextDocument &doc) {
            QTextCursor cur(&doc);
            cur.insertText(QStringLiteral("Lists:"));
            QTextBlockFormat indented;
            indented.setLeftMargin(48);
            cur.insertBlock(indented);
            cur.createList(bulletList());
            cur.insertText(QStringLiteral("first bullet"));
            cur.insertBlock();
            cur.insertText(QStringLiteral("second bullet"));
            const QList<std::tuple<QTextListFormat::Style, QString, QString>> kinds = {
                {QTextListFormat::ListDecimal, QString(), QStringLiteral(".")},
                {QTextListFormat::ListLowerAlpha, QString(), QStringLiteral(")")},
                {QTextListFormat::ListUpperAlpha, QStringLiteral("("), QStringLiteral(")")},
                {QTextListFormat::ListLowerRoman, QString(), QStringLiteral(".")},
                {QTextListFormat::ListUpperRoman, QString(), QString()}};
            int start = 1;
            for (const auto &[style, prefix, suffix] : kinds) {
                cur.insertBlock(QTextBlockFormat());
                cur.insertText(QStringLiteral("between"));
                cur.insertBlock(indented);
                QTextListFormat lf = numberedList(style, prefix, suffix);
                lf.setProperty(RtfReader::ListStartProperty, start++);
                cur.createList(lf);
                cur.insertText(QStringLiteral("item"));
                cur.insertBlock();
                cur.insertText(QStringLiteral("item"));
            }
        });
        QTest::newRow("tables") << Builder([](QTextDocument &doc) {
            QTextCursor cur(&doc);
            cur.insertText(QStringLiteral("Before"));
            QTextTable *t = insertTable(cur, 3, {80, 120, 60});
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    t->cellAt(r, c).firstCursorPosition().insertText(QStringLiteral("r%1c%2").arg(r).arg(c));
            QTextTableCellFormat shaded = t->cellAt(0, 0).format().toTableCellFormat();
            shaded.setBackground(QColor(200, 200, 255));
            shaded.setVerticalAlignment(QTextCharFormat::AlignMiddle);
            t->cellAt(0, 0).setFormat(shaded);
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            QTextCursor inCell = t->cellAt(1, 1).lastCursorPosition();
            inCell.insertText(QStringLiteral(" bold"), bold);
            inCell.insertBlock();
            inCell.insertText(QStringLiteral("second paragraph"), QTextCharFormat());
            cur.movePosition(QTextCursor::End);
            cur.insertText(QStringLiteral("After"));
        });
        QTest::newRow("merged cells") << Builder([](QTextDocument &doc) {
            QTextCursor cur(&doc);
            QTextTable *t = insertTable(cur, 3, {50, 50, 50});
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    t->cellAt(r, c).firstCursorPosition().insertText(QStringLiteral("%1%2").arg(r).arg(c));
            t->mergeCells(0, 0, 1, 2);
            t->mergeCells(1, 2, 2, 1);
            cur.movePosition(QTextCursor::End);
            cur.insertText(QStringLiteral("end"));
        });
        QTest::newRow("nested table") << Builder([](QTextDocument &doc) {
            QTextCursor cur(&doc);
            QTextTable *outer = insertTable(cur, 2, {150, 150});
            outer->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("outer"));
            QTextCursor inCell = outer->cellAt(0, 1).firstCursorPosition();
            inCell.insertText(QStringLiteral("holds"));
            QTextTable *inner = insertTable(inCell, 2, {40, 40});
            for (int r = 0; r < 2; ++r)
                for (int c = 0; c < 2; ++c)
                    inner->cellAt(r, c).firstCursorPosition().insertText(QStringLiteral("in%1%2").arg(r).arg(c));
            outer->cellAt(1, 0).firstCursorPosition().insertText(QStringLiteral("below"));
        });
        QTest::newRow("pictures") << Builder([](QTextDocument &doc) {
            doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("a")), testImage(5, 4, qRgb(200, 10, 10)));
            doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("b")), testImage(30, 20, qRgb(10, 200, 10)));
            QTextCursor cur(&doc);
            cur.insertText(QStringLiteral("A picture "));
            QTextImageFormat f;
            f.setName(QStringLiteral("a"));
            f.setWidth(5);
            f.setHeight(4);
            cur.insertImage(f);
            cur.insertText(QStringLiteral(" and a scaled one:"));
            cur.insertBlock();
            f.setName(QStringLiteral("b"));
            f.setWidth(60);
            f.setHeight(40);
            cur.insertImage(f);
        });
        QTest::newRow("encoded picture") << Builder([](QTextDocument &doc) {
            // Resources held as encoded bytes (JPEG here) are written as PNG of the same pixels.
            QByteArray jpeg;
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(testImage(16, 8, qRgb(90, 40, 200)).save(&buffer, "JPEG"));
            doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("bytes")), jpeg);
            QTextCursor cur(&doc);
            QTextImageFormat f;
            f.setName(QStringLiteral("bytes"));
            f.setWidth(16);
            f.setHeight(8);
            cur.insertImage(f);
        });
        QTest::newRow("CJK and emoji") << Builder([](QTextDocument &doc) {
            QTextCursor cur(&doc);
            cur.insertText(QStringLiteral("Latin \u00e9\u00e8 \u20ac, Greek \u03b1\u03b2, emoji \U0001F600\U0001F44D, "));
            QTextCharFormat song;
            song.setFontFamilies({QStringLiteral("\u5b8b\u4f53")});
            song.setFontPointSize(10.5);
            cur.insertText(QStringLiteral("\u4e2d\u6587\u5b57 abc \u00b7 \U0001F600"), song);
            QTextCharFormat gothic;
            gothic.setFontFamilies({QStringLiteral("MS Gothic")});
            cur.insertText(QStringLiteral(" \u65e5\u672c\u8a9e\u3067\u3059 "), gothic);
            QTextCharFormat gulim;
            gulim.setFontFamilies({QStringLiteral("Gulim")});
            cur.insertText(QStringLiteral("\ud55c\uad6d\uc5b4"), gulim);
            cur.insertBlock();
            cur.insertText(QStringLiteral("\u4f60\u597d in the default face"), QTextCharFormat());
        });
    }

    void roundTrip()
    {
        QFETCH(Builder, build);
        QTextDocument doc;
        setUp(doc);
        build(doc);
        const QByteArray rtf = write(doc);
        QTextDocument back;
        RtfReader::read(std::string_view(rtf.constData(), static_cast<size_t>(rtf.size())), &back);
        const QStringList expected = describe(doc);
        const QStringList actual = describe(back);
        if (actual != expected) {
            qWarning().noquote() << "RTF:" << rtf;
            for (qsizetype i = 0; i < std::max(actual.size(), expected.size()); ++i)
                if (actual.value(i) != expected.value(i))
                    qWarning().noquote() << "line" << i << "\n expected:" << expected.value(i) << "\n actual:  " << actual.value(i);
        }
        QCOMPARE(actual, expected);
        // What we read back writes the same RTF again.
        QCOMPARE(write(back), rtf);
    }
};

QTEST_MAIN(TestRtfWriter)
#include "tst_rtfwriter.moc"
