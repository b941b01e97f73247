#include "config/ConfigSettings.h"
#include "picture/PageRenderer.h"
#include "richtext/reading/RtfReader.h"

#include <QTextDocument>
#include <QtTest>

#include <vector>

// Letters from other word processors on the picture pages: where their pages break and
// what appears on which page.
class TstLetterPages : public QObject
{
    Q_OBJECT

private:
    static std::vector<QImage> pages(const char *rtf)
    {
        QTextDocument doc;
        RtfReader::read(rtf, &doc);
        ConfigSettings settings = ConfigSettings::firstRun();
        settings.PIC_PageNumber = false;
        settings.PIC_ShortLastPage = false; // the cases look at whole pages
        settings.PIC_Sharp = false;         // in the page's pixels
        PageRenderer renderer(settings);
        std::vector<QImage> surfaces;
        renderer.surfaceReady = [&](int, const QImage &surface) { surfaces.push_back(surface.copy()); };
        renderer.pageReady = [](int, std::string_view) {};
        renderer.render(doc);
        return surfaces;
    }
    // Rows of the text area (25..775) that hold ink.
    static int inkRows(const QImage &image, int top = 25, int bottom = 775)
    {
        int rows = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = 10; x < 590; ++x) {
                if (qGray(image.pixel(x, y)) < 160) {
                    ++rows;
                    break;
                }
            }
        }
        return rows;
    }

private slots:
    void pageBreaksStartNewPages();
    void footnotesUnderARuleOnTheLastPage();
};

void TstLetterPages::pageBreaksStartNewPages()
{
    // \page, a paragraph's \pagebb, and a break as the first thing of the letter (its
    // empty first paragraph makes a blank page, as the author saw it).
    const std::vector<QImage> p = pages("{\\rtf1\\ansi\\page First\\page Second\\par\\pard\\pagebb Third\\par"
                                        "\\pard Still third}");
    QCOMPARE(p.size(), size_t(4));
    QCOMPARE(inkRows(p[0]), 0);
    for (size_t i = 1; i < p.size(); ++i) {
        const QImage &page = p[i];
        QVERIFY(inkRows(page, 25, 60) > 0);   // each page's text begins at its top ...
        QCOMPARE(inkRows(page, 80, 775), 0);  // ... and holds one or two short lines
    }
    QVERIFY(inkRows(p[3], 25, 80) > inkRows(p[2], 25, 80)); // the paragraph after \pagebb stays on its page
}

void TstLetterPages::footnotesUnderARuleOnTheLastPage()
{
    const std::vector<QImage> p = pages("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\fs24 Text{\\super\\chftn}"
                                        "{\\footnote\\pard\\plain\\fs20{\\super\\chftn} The note.} after.\\par}");
    QCOMPARE(p.size(), size_t(1));
    // Text line, a gap, the rule, the note: ink in two bands apart from each other.
    int bands = 0;
    bool inInk = false;
    for (int y = 25; y < 775; ++y) {
        bool ink = false;
        for (int x = 10; x < 590 && !ink; ++x)
            ink = qGray(p[0].pixel(x, y)) < 230;
        bands += ink && !inInk;
        inInk = ink;
    }
    QCOMPARE(bands, 3);
}

QTEST_MAIN(TstLetterPages)
#include "tst_letterpages.moc"
