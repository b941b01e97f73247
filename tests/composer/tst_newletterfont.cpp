#include "composer/NewLetterFont.h"
#include "config/ConfigSettings.h"
#include "richtext/LetterDocument.h"
#include "richtext/writing/RtfWriter.h"

#include <QFontInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

class TestNewLetterFont : public QObject
{
    Q_OBJECT

private slots:
    void font_data();
    void font();
    void letterKeepsItsFontWhenStored();
};

void TestNewLetterFont::font_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("family"); // empty: the desktop's sans-serif, whatever it is
    QTest::addColumn<int>("points");
    QTest::newRow("first run") << QByteArray() << 12 << QString() << 12;
    QTest::newRow("blank name") << QByteArray("  ") << 14 << QString() << 14;
    QTest::newRow("a face named") << QByteArray("Liberation Serif") << 11 << "Liberation Serif" << 11;
    QTest::newRow("too small a size") << QByteArray() << 1 << QString() << 6;
    QTest::newRow("too large a size") << QByteArray() << 500 << QString() << 72;
}

void TestNewLetterFont::font()
{
    QFETCH(QByteArray, name);
    QFETCH(int, size);
    QFETCH(QString, family);
    QFETCH(int, points);
    ConfigSettings settings = ConfigSettings::firstRun();
    if (QByteArray(QTest::currentDataTag()) == "first run")
        QCOMPARE(settings.LET_FontSize, 12);
    settings.LET_FontName = name.toStdString();
    settings.LET_FontSize = size;
    const QFont f = NewLetterFont::font(settings);
    QCOMPARE(f.pointSize(), points);
    if (family.isEmpty()) {
        // An installed family, named as such (not the alias), and not the 8-point letter face.
        QVERIFY(!f.family().isEmpty());
        QVERIFY(f.family() != QStringLiteral("sans-serif"));
        QCOMPARE(QFontInfo(f).family(), f.family());
    } else {
        QCOMPARE(f.family(), family);
    }
}

// Text typed into a new letter is stored with the new letter's font, so the pages draw it
// so; a letter read back keeps it.
void TestNewLetterFont::letterKeepsItsFontWhenStored()
{
    QTextDocument doc;
    doc.setDefaultFont(NewLetterFont::font(ConfigSettings::firstRun()));
    QTextCursor(&doc).insertText(QStringLiteral("Dear reader,"));
    const std::string rtf = RtfWriter::write(doc);
    QVERIFY2(rtf.find("\\fs24") != std::string::npos, rtf.c_str());
    QTextDocument back;
    LetterDocument::load(rtf, &back);
    const QTextCharFormat format = back.begin().begin().fragment().charFormat();
    QCOMPARE(format.fontPointSize(), 12.0);
}

QTEST_MAIN(TestNewLetterFont)
#include "tst_newletterfont.moc"
