#include "composer/ActiveAttributes.h"
#include "composer/LetterClipboard.h"
#include "composer/LetterPageCount.h"
#include "composer/TextColors.h"
#include "config/ConfigSettings.h"
#include "picture/PageRenderer.h"
#include "richtext/LetterDocument.h"

#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

namespace {

QTextCursor select(QTextDocument &doc, int from, int to)
{
    QTextCursor c(&doc);
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    return c;
}

// The format of the character at `position`.
QTextCharFormat formatAt(const QTextDocument &doc, int position)
{
    QTextCursor c(const_cast<QTextDocument *>(&doc));
    c.setPosition(position + 1);
    return c.charFormat();
}

// "red", a space and "marked" highlighted in yellow, at 24 points so the page shows them.
void colourLetter(QTextDocument &doc)
{
    QTextCursor c(&doc);
    QTextCharFormat big;
    big.setFontPointSize(24);
    c.insertText(QStringLiteral("red marked"), big);
    QTextCursor red = select(doc, 0, 3);
    ActiveAttributes(red).setColor(QColor(255, 0, 0));
    QTextCursor marked = select(doc, 4, 10);
    ActiveAttributes(marked).setHighlight(QColor(255, 255, 0));
}

int countPixels(const QImage &image, const std::function<bool(QColor)> &test)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += test(image.pixelColor(x, y)) ? 1 : 0;
    return n;
}

// `paragraphs` lines of text, with a page break before paragraph `breakAt` (-1: none).
void longLetter(QTextDocument &doc, int paragraphs, int breakAt)
{
    QTextCursor c(&doc);
    for (int i = 0; i < paragraphs; ++i) {
        if (i > 0) {
            QTextBlockFormat f;
            if (i == breakAt)
                f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            c.insertBlock(f);
        }
        c.insertText(QStringLiteral("Paragraph %1 of the letter, long enough to fill a line or two of the page.").arg(i));
    }
}

} // namespace

class TestColorPages : public QObject
{
    Q_OBJECT

private slots:
    // Colour and highlight change only the selection; Automatic takes them away again,
    // and the font dialog's font leaves the colour alone.
    void colourAndHighlightOnTheSelection()
    {
        QTextDocument doc;
        doc.setPlainText(QStringLiteral("one two three"));
        QTextCursor two = select(doc, 4, 7);
        ActiveAttributes(two).setColor(QColor(0, 0, 128));
        ActiveAttributes(two).setHighlight(QColor(255, 255, 0));
        QCOMPARE(formatAt(doc, 5).foreground().color(), QColor(0, 0, 128));
        QCOMPARE(formatAt(doc, 5).background().color(), QColor(255, 255, 0));
        QVERIFY(!formatAt(doc, 1).hasProperty(QTextFormat::ForegroundBrush));

        QFont font(QStringLiteral("Liberation Serif"));
        font.setPointSize(16);
        font.setBold(true);
        ActiveAttributes(two).assign(font);
        QCOMPARE(formatAt(doc, 5).foreground().color(), QColor(0, 0, 128));
        QCOMPARE(formatAt(doc, 5).fontPointSize(), 16.0);

        // Automatic over a selection wider than the coloured run: one undo step.
        QTextCursor all = select(doc, 0, 13);
        ActiveAttributes(all).setColor(TextColors::automatic());
        for (int at : {1, 5, 9})
            QVERIFY(!formatAt(doc, at).hasProperty(QTextFormat::ForegroundBrush));
        QVERIFY(formatAt(doc, 5).hasProperty(QTextFormat::BackgroundBrush));
        QCOMPARE(formatAt(doc, 5).fontPointSize(), 16.0);
        doc.undo();
        QCOMPARE(formatAt(doc, 5).foreground().color(), QColor(0, 0, 128));
        doc.redo();

        // Without a selection only what is typed next changes.
        QTextCursor caret(&doc);
        caret.movePosition(QTextCursor::End);
        ActiveAttributes(caret).setColor(QColor(255, 0, 0));
        caret.insertText(QStringLiteral("!"));
        QCOMPARE(formatAt(doc, 13).foreground().color(), QColor(255, 0, 0));
        QVERIFY(!formatAt(doc, 12).hasProperty(QTextFormat::ForegroundBrush));
        QTextCursor plain = select(doc, 13, 13);
        ActiveAttributes(plain).setColor(TextColors::automatic());
        plain.insertText(QStringLiteral("?"));
        QVERIFY(!formatAt(doc, 13).hasProperty(QTextFormat::ForegroundBrush));
    }

    // A coloured and a highlighted word are stored as \cf and \highlight, come back on
    // reading, and show on the page in their colours.
    void coloursSurviveStoringAndReachThePage()
    {
        QTextDocument doc;
        colourLetter(doc);
        const std::string rtf = LetterDocument::save(doc);
        QVERIFY2(rtf.find("\\red255\\green0\\blue0;") != std::string::npos, rtf.c_str());
        QVERIFY2(rtf.find("\\cf1 red") != std::string::npos, rtf.c_str());
        QVERIFY2(rtf.find("\\highlight") != std::string::npos, rtf.c_str());

        QTextDocument again;
        LetterDocument::load(rtf, &again);
        // Copied, as word processors receive it, and pasted into another letter.
        QTextDocument pasted;
        QTextCursor into(&pasted);
        LetterClipboard::insertRtf(into, LetterClipboard::rtfOf(select(doc, 0, 10)).toStdString());
        for (const QTextDocument *d : {&again, &pasted}) {
            QCOMPARE(formatAt(*d, 1).foreground().color(), QColor(255, 0, 0));
            QCOMPARE(formatAt(*d, 6).background().color(), QColor(255, 255, 0));
            QVERIFY(!formatAt(*d, 6).hasProperty(QTextFormat::ForegroundBrush));
        }

        const ConfigSettings settings = ConfigSettings::firstRun();
        PageRenderer renderer(settings);
        QImage page;
        renderer.surfaceReady = [&page](int, const QImage &surface) { page = surface.copy(); };
        QCOMPARE(renderer.render(again), 1);
        const int red = countPixels(page, [](QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; });
        const int yellow = countPixels(page, [](QColor c) { return c == QColor(255, 255, 0); });
        QVERIFY2(red > 20, qPrintable(QString::number(red)));
        QVERIFY2(yellow > 200, qPrintable(QString::number(yellow)));
    }

    // The count is the number of pictures the send job makes, whatever the settings.
    void countIsWhatTheRendererMakes_data()
    {
        QTest::addColumn<int>("paragraphs");
        QTest::addColumn<int>("breakAt");
        QTest::addColumn<int>("height");
        QTest::newRow("empty") << 0 << -1 << 800;
        QTest::newRow("one line") << 1 << -1 << 800;
        QTest::newRow("long") << 120 << -1 << 800;
        QTest::newRow("page break") << 3 << 2 << 800;
        QTest::newRow("short pages") << 40 << -1 << 200;
        QTest::newRow("no room") << 5 << -1 << 40;
    }
    void countIsWhatTheRendererMakes()
    {
        QFETCH(int, paragraphs);
        QFETCH(int, breakAt);
        QFETCH(int, height);
        ConfigSettings settings = ConfigSettings::firstRun();
        settings.PIC_H = height;
        QTextDocument doc;
        longLetter(doc, paragraphs, breakAt);
        QTextDocument sent;
        LetterDocument::load(LetterDocument::save(doc), &sent);
        const int rendered = PageRenderer(settings).render(sent);
        QCOMPARE(LetterPageCount::count(doc, settings), rendered);
        if (paragraphs > 100)
            QVERIFY(rendered > 2);
        if (breakAt > 0)
            QCOMPARE(rendered, 2);
    }

    void countWaitsForAPauseAndSaysIt()
    {
        ConfigSettings settings = ConfigSettings::firstRun();
        QTextDocument doc;
        LetterPageCount counter(settings, [&doc] { return &doc; });
        QSignalSpy counted(&counter, &LetterPageCount::counted);
        counter.schedule();
        QVERIFY(counter.pending());
        QVERIFY(counted.isEmpty());
        counter.flush();
        QVERIFY(!counter.pending());
        QCOMPARE(counter.pages(), 1);
        QCOMPARE(counted.size(), 1);
        QVERIFY(counter.delay() >= LetterPageCount::kMinDelayMs && counter.delay() <= LetterPageCount::kMaxDelayMs);

        // A long letter waits longer before it is counted.
        longLetter(doc, 400, -1);
        counter.schedule();
        QVERIFY(counter.delay() > LetterPageCount::kMinDelayMs);
        counter.flush();
        QVERIFY(counter.pages() > 1);
        doc.clear();
        counter.schedule();
        counter.flush();
        QCOMPARE(counted.size(), 3);

        // An unchanged count says nothing new; a bad page size counts no pages.
        counter.schedule();
        counter.flush();
        QCOMPARE(counted.size(), 3);
        settings.PIC_W = 0;
        counter.schedule();
        counter.flush();
        QCOMPARE(counter.pages(), 0);
        QCOMPARE(LetterPageCount::text(1), QStringLiteral("1 page"));
        QCOMPARE(LetterPageCount::text(3), QStringLiteral("3 pages"));
    }
};

QTEST_MAIN(TestColorPages)
#include "tst_colorpages.moc"
