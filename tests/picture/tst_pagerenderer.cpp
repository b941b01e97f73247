#include "config/ConfigSettings.h"
#include "os/AppError.h"
#include "picture/JpegEncoder.h"
#include "picture/PageCompressor.h"
#include "picture/PageRenderer.h"
#include "richtext/layout/FormatRange.h"
#include "richtext/LetterDocument.h"
#include "tests/picture/JpegInfo.h"

#include <chrono>
#include <thread>
#include <QAbstractTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QtTest>

#include <string>
#include <vector>

namespace {

// The first-run settings with every page at the full page height: the cases below look at
// the page's geometry, which the short last page would change. They look at JPEG pages at
// 1x, pixel by pixel (tst_sharppages looks at the sharp pages and their formats).
ConfigSettings jpegPages()
{
    ConfigSettings s = ConfigSettings::firstRun();
    s.PIC_Sharp = false;
    s.PIC_JpegOnly = true;
    return s;
}

ConfigSettings fullPages()
{
    ConfigSettings s = jpegPages();
    s.PIC_ShortLastPage = false;
    return s;
}

struct Page
{
    int number;
    std::string jpeg;
    QImage surface;
};

struct Run
{
    std::vector<Page> pages;
    std::vector<int> percents;
    int pageCount = 0;
};

Run render(const ConfigSettings &settings, const QTextDocument &doc, std::function<bool()> cancelled = {})
{
    Run run;
    PageRenderer renderer(settings);
    std::vector<QImage> surfaces;
    renderer.surfaceReady = [&](int, const QImage &surface) { surfaces.push_back(surface.copy()); };
    renderer.pageReady = [&](int page, std::string_view jpeg) {
        run.pages.push_back({page, std::string(jpeg), surfaces.at(page - 1)});
    };
    renderer.progress = [&](int percent) { run.percents.push_back(percent); };
    renderer.cancelled = std::move(cancelled);
    run.pageCount = renderer.render(doc);
    return run;
}

// Numbered paragraphs of equal height.
QString paragraphs(int count)
{
    QStringList list;
    for (int i = 1; i <= count; ++i)
        list << QStringLiteral("Paragraph %1 of the letter").arg(i, 4, 10, QLatin1Char('0'));
    return list.join(QLatin1Char('\n'));
}

// Bounding box of the pixels darker than mid-grey inside `area`.
QRect inkBox(const QImage &image, const QRect &area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

bool allWhite(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

// How many of the numbered paragraphs fill the first page exactly.
int paragraphsPerPage(const ConfigSettings &s)
{
    QTextDocument doc;
    doc.setPlainText(paragraphs(400));
    QImage device(s.PIC_W, s.PIC_H, QImage::Format_RGB32);
    device.setDotsPerMeterX(qRound(96 / 0.0254));
    device.setDotsPerMeterY(qRound(96 / 0.0254));
    const int end = FormatRange::formatRange(doc, &device, PageRenderer::textAreaTwips(s, 96, 96), 0);
    const QString text = doc.toPlainText().left(end);
    return int(text.count(QLatin1Char('\n')));
}

} // namespace

class TestPageRenderer : public QObject
{
    Q_OBJECT

private slots:
    void textArea_data();
    void textArea();
    void pageNumberPosition_data();
    void pageNumberPosition();
    void shortLetterIsOnePicture();
    void picturesDecodeAtConfiguredQuality_data();
    void picturesDecodeAtConfiguredQuality();
    void pageTwelveNumber();
    void pageNumbersOffLeaveMarginsWhite();
    void textAreaClearedBetweenPages();
    void pageCountAtExactEnd();
    void tallPictureIsScaledToThePage();
    void wideTableOfALetterFitsThePage();
    void metafilePicturesAreDrawn();
    void emptyLetterIsOneNumberedPage();
    void cancelStopsBeforeHandingOver();
    void badPageSizes_data();
    void badPageSizes();
    void marginsLargerThanPage();
    void encoderReusesItsBuffer();
    void lastPageEndsBelowItsText_data();
    void lastPageEndsBelowItsText();
    void codingsDecodeToTheSamePixels();
    void pageRangesCoverTheLetter();
    void workerPagesAreASequentialRender_data();
    void workerPagesAreASequentialRender();
    void compressorErrorInTheMiddle();
    void compressorWorkersKeepTheOrder();
    void failedHandOverStopsTheWorker();
    void letterLaidOutInPlaceDrawsAsItsCopy();
};

void TestPageRenderer::textArea_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QRect>("twips"); // left, top, right, bottom as rectangle edges
    QTest::newRow("96 dpi") << 96 << QRect(QPoint(150, 375), QPoint(8850 - 1, 11625 - 1));
    // 1440 / 120 = 12 twips a pixel; 1440 / 72 = 20.
    QTest::newRow("120 dpi") << 120 << QRect(QPoint(120, 300), QPoint(7080 - 1, 9300 - 1));
    QTest::newRow("72 dpi") << 72 << QRect(QPoint(200, 500), QPoint(11800 - 1, 15500 - 1));
}

void TestPageRenderer::textArea()
{
    QFETCH(int, dpi);
    QFETCH(QRect, twips);
    const ConfigSettings s = fullPages();
    const QRect area = PageRenderer::textAreaTwips(s, dpi, dpi);
    QCOMPARE(area, twips);
    if (dpi == 96) {
        QCOMPARE(FormatRange::twipsToPixels(area.left(), dpi), 10);
        QCOMPARE(FormatRange::twipsToPixels(area.right() + 1, dpi), 590);
        QCOMPARE(FormatRange::twipsToPixels(area.top(), dpi), 25);
        QCOMPARE(FormatRange::twipsToPixels(area.bottom() + 1, dpi), 775);
    }
}

void TestPageRenderer::pageNumberPosition_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QPoint>("at");
    QTest::newRow("600 x 800") << 600 << 800 << QPoint(295, 784);
    QTest::newRow("601: 300.5 to 300") << 601 << 800 << QPoint(295, 784);
    QTest::newRow("603: 301.5 to 302") << 603 << 100 << QPoint(297, 84);
    QTest::newRow("1") << 1 << 16 << QPoint(-5, 0);
}

void TestPageRenderer::pageNumberPosition()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QPoint, at);
    QCOMPARE(PageRenderer::pageNumberPosition(width, height), at);
}

void TestPageRenderer::shortLetterIsOnePicture()
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("Dear reader,\nthis letter fits on one page.\n\nRegards"));
    const Run run = render(fullPages(), doc);
    QCOMPARE(run.pageCount, 1);
    QCOMPARE(run.pages.size(), size_t(1));
    QCOMPARE(run.pages[0].number, 1);
    QCOMPARE(run.percents, std::vector<int>{100});
    // The text lies in the text area, starting at its top left corner.
    const QImage &page = run.pages[0].surface;
    const QRect ink = inkBox(page, QRect(10, 25, 580, 750));
    QVERIFY(!ink.isEmpty());
    QVERIFY2(ink.left() < 16 && ink.top() < 35, qPrintable(QStringLiteral("%1,%2").arg(ink.left()).arg(ink.top())));
    QVERIFY(allWhite(page, QRect(0, 0, 600, 25)));
    QVERIFY(allWhite(page, QRect(0, 0, 10, 784)));
    QVERIFY(allWhite(page, QRect(590, 0, 10, 800)));
}

void TestPageRenderer::picturesDecodeAtConfiguredQuality_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("quality");
    QTest::newRow("first run, 75") << 600 << 800 << 75;
    QTest::newRow("odd size, 100") << 333 << 251 << 100;
    QTest::newRow("small, 10") << 160 << 160 << 10;
    QTest::newRow("0 reads as 1") << 200 << 300 << 0;
}

// Every page decodes again to the page size, baseline, with the quality's tables.
void TestPageRenderer::picturesDecodeAtConfiguredQuality()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, quality);
    ConfigSettings s = fullPages();
    s.PIC_W = width;
    s.PIC_H = height;
    s.PIC_Quality = quality;
    s.PIC_Progressive = false;
    QTextDocument doc;
    doc.setPlainText(paragraphs(60));
    const Run run = render(s, doc);
    QVERIFY(run.pageCount >= 2);
    for (const Page &p : run.pages) {
        const JpegInfo info = JpegInfo::decode(p.jpeg);
        QVERIFY2(info.ok, qPrintable(info.error));
        QCOMPARE(info.width, width);
        QCOMPARE(info.height, height);
        QCOMPARE(info.components, 3);
        QVERIFY(!info.progressive);
        QVERIFY(!info.arithmetic);
        QVERIFY(info.baselineMarker);
        const int q = qBound(1, quality, 100);
        QVERIFY(info.luminance == JpegInfo::expectedTable(q, false));
        QVERIFY(info.chrominance == JpegInfo::expectedTable(q, true));
    }
}

void TestPageRenderer::pageTwelveNumber()
{
    const ConfigSettings s = fullPages();
    QTextDocument doc;
    doc.setPlainText(paragraphs(paragraphsPerPage(s) * 12));
    const Run run = render(s, doc);
    QCOMPARE(run.pageCount, 12);
    const QRect margin(0, 775, 600, 25);
    const QRect one = inkBox(run.pages[0].surface, margin);
    const QRect twelve = inkBox(run.pages[11].surface, margin);
    // "- 12 -" starts at x 295 (the dash's side bearing aside), below y 784.
    QVERIFY2(twelve.left() >= 295 && twelve.left() <= 298, qPrintable(QString::number(twelve.left())));
    QVERIFY2(twelve.top() >= 784 && twelve.bottom() < 800, qPrintable(QString::number(twelve.top())));
    QCOMPARE(one.left(), twelve.left());
    QVERIFY(twelve.width() > one.width());
    QVERIFY(allWhite(run.pages[11].surface, QRect(0, 775, 295, 25)));
    QVERIFY(allWhite(run.pages[11].surface, QRect(0, 775, 600, 9)));
    // The numbers survive compression legibly: the decoded page has ink in the same place.
    const JpegInfo decoded = JpegInfo::decode(run.pages[11].jpeg);
    const QRect decodedInk = inkBox(decoded.pixels.convertToFormat(QImage::Format_RGB32), margin);
    QVERIFY(qAbs(decodedInk.left() - twelve.left()) <= 1);
    QVERIFY(qAbs(decodedInk.width() - twelve.width()) <= 2);
    // Progress runs up to 100 and never goes back.
    QCOMPARE(run.percents.size(), size_t(12));
    QVERIFY(std::is_sorted(run.percents.begin(), run.percents.end()));
    QCOMPARE(run.percents.back(), 100);
}

void TestPageRenderer::pageNumbersOffLeaveMarginsWhite()
{
    ConfigSettings s = fullPages();
    s.PIC_PageNumber = false;
    QTextDocument doc;
    doc.setPlainText(paragraphs(paragraphsPerPage(s) * 2 + 3));
    const Run run = render(s, doc);
    QCOMPARE(run.pageCount, 3);
    for (const Page &p : run.pages) {
        QVERIFY(allWhite(p.surface, QRect(0, 775, 600, 25)));
        QVERIFY(allWhite(p.surface, QRect(0, 0, 600, 25)));
        // Compression keeps an untouched margin white enough to show no mark.
        const JpegInfo info = JpegInfo::decode(p.jpeg);
        QVERIFY(inkBox(info.pixels.convertToFormat(QImage::Format_RGB32), QRect(0, 780, 600, 20)).isEmpty());
    }
}

// The last page holds three lines; nothing of the full page before it shows below them.
void TestPageRenderer::textAreaClearedBetweenPages()
{
    const ConfigSettings s = fullPages();
    QTextDocument doc;
    doc.setPlainText(paragraphs(paragraphsPerPage(s) + 3));
    const Run run = render(s, doc);
    QCOMPARE(run.pageCount, 2);
    const QRect full = inkBox(run.pages[0].surface, QRect(10, 25, 580, 750));
    const QRect last = inkBox(run.pages[1].surface, QRect(10, 25, 580, 750));
    QVERIFY(full.bottom() > 700);
    QVERIFY(last.bottom() < 120);
}

void TestPageRenderer::pageCountAtExactEnd()
{
    const ConfigSettings s = fullPages();
    const int perPage = paragraphsPerPage(s);
    QVERIFY(perPage > 10);
    QTextDocument exact;
    exact.setPlainText(paragraphs(perPage * 3));
    QCOMPARE(render(s, exact).pageCount, 3);
    QTextDocument oneMore;
    oneMore.setPlainText(paragraphs(perPage * 3 + 1));
    QCOMPARE(render(s, oneMore).pageCount, 4);
}

// A picture taller than the text area is scaled down to fit a page, and the letter goes on
// after it.
void TestPageRenderer::tallPictureIsScaledToThePage()
{
    QTextDocument doc;
    QImage tall(200, 2000, QImage::Format_RGB32);
    tall.fill(Qt::red);
    doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("tall.png")), tall);
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("Before the picture"));
    cursor.insertBlock();
    QTextImageFormat image;
    image.setName(QStringLiteral("tall.png"));
    cursor.insertImage(image);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("After the picture"));

    const Run run = render(fullPages(), doc);
    QVERIFY(run.pageCount <= 2);
    QCOMPARE(run.percents.back(), 100);
    QRect red;
    for (const Page &page : run.pages)
        for (int y = 25; y < 775; ++y)
            if (page.surface.pixel(30, y) == qRgb(255, 0, 0))
                red |= QRect(30, y, 1, 1);
    QVERIFY2(red.height() > 600, qPrintable(QString::number(red.height())));
    QVERIFY(!inkBox(run.pages.back().surface, QRect(10, 25, 580, 750)).isEmpty());
}

// A letter whose table is twice as wide as the text area: the table shrinks to it, so its
// last column is drawn near the right margin.
void TestPageRenderer::wideTableOfALetterFitsThePage()
{
    QByteArray rtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Before\\par");
    for (int row = 0; row < 3; ++row) {
        rtf += "\\trowd\\cellx4000\\cellx8000\\cellx12000\\cellx16000";
        for (int c = 0; c < 4; ++c)
            rtf += "\\pard\\intbl WWWW" + QByteArray::number(c) + "\\cell";
        rtf += "\\row";
    }
    rtf += "\\pard After\\par}";
    QTextDocument doc;
    LetterDocument::load(std::string_view(rtf.constData(), static_cast<size_t>(rtf.size())), &doc);
    const Run run = render(fullPages(), doc);
    QCOMPARE(run.pageCount, 1);
    const QImage &page = run.pages[0].surface;
    // Each of the four columns starts a quarter of the text area to the right of the last.
    for (int c = 0; c < 4; ++c) {
        const QRect column(10 + c * 145, 25, 145, 750);
        QVERIFY2(!inkBox(page, column).isEmpty(), qPrintable(QString::number(c)));
    }
    QVERIFY(inkBox(page, QRect(10 + 3 * 145, 25, 145, 750)).left() < 10 + 3 * 145 + 20);
}

// A letter with a WMF picture (a green square on a red one) and a picture that cannot be
// drawn: the first shows on the page, the second as a light frame, not as white space.
void TestPageRenderer::metafilePicturesAreDrawn()
{
    auto le16 = [](int v) { return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF); };
    auto le32 = [&](int v) { return le16(v & 0xFFFF) + le16((v >> 16) & 0xFFFF); };
    QByteArray records;
    auto record = [&](int function, const QList<int> &params, const QByteArray &tail = QByteArray()) {
        QByteArray p;
        for (int v : params)
            p += le16(v);
        p += tail;
        records += le32((6 + p.size()) / 2) + le16(function) + p;
    };
    record(0x020C, {100, 100});                        // a window of 100 x 100 units
    record(0x02FC, {0}, le32(0x0000FF) + le16(0));     // red brush
    record(0x012D, {0});
    record(0x041B, {100, 100, 0, 0});
    record(0x02FC, {0}, le32(0x00FF00) + le16(0));     // green brush
    record(0x012D, {1});
    record(0x041B, {75, 75, 25, 25});
    const QByteArray wmf = le16(1) + le16(9) + le16(0x300) + le32((18 + records.size() + 6) / 2) + le16(2) + le32(0) + le16(0)
        + records + le32(3) + le16(0);
    const QByteArray rtf = "{\\rtf1\\ansi {\\pict\\wmetafile8\\picwgoal1500\\pichgoal1500 " + wmf.toHex()
        + "}\\par {\\pict\\emfblip\\picwgoal1500\\pichgoal750 0100000008000000}\\par}";
    QTextDocument doc;
    LetterDocument::load(std::string_view(rtf.constData(), static_cast<size_t>(rtf.size())), &doc);
    const Run run = render(fullPages(), doc);
    QCOMPARE(run.pageCount, 1);
    const QImage &page = run.pages[0].surface;
    // The 100 x 100 pixel picture at the top left of the text area.
    QCOMPARE(QColor(page.pixel(10 + 50, 25 + 50)), QColor(0, 255, 0));
    QCOMPARE(QColor(page.pixel(10 + 10, 25 + 10)), QColor(255, 0, 0));
    // Below it the frame of the picture that could not be drawn, with its label in it.
    int framed = 0;
    for (int y = 25 + 100; y < 25 + 180; ++y)
        framed += page.pixel(10 + 50, y) != qRgb(255, 255, 255);
    QVERIFY2(framed > 40, qPrintable(QString::number(framed)));
    QVERIFY(!inkBox(page, QRect(10, 125, 100, 80)).isEmpty());
}

void TestPageRenderer::emptyLetterIsOneNumberedPage()
{
    QTextDocument doc;
    const Run run = render(fullPages(), doc);
    QCOMPARE(run.pageCount, 1);
    QCOMPARE(run.percents, std::vector<int>{100});
    QVERIFY(allWhite(run.pages[0].surface, QRect(0, 0, 600, 775)));
    QVERIFY(!inkBox(run.pages[0].surface, QRect(0, 775, 600, 25)).isEmpty());
    QVERIFY(JpegInfo::decode(run.pages[0].jpeg).ok);
}

void TestPageRenderer::cancelStopsBeforeHandingOver()
{
    const ConfigSettings s = fullPages();
    QTextDocument doc;
    doc.setPlainText(paragraphs(paragraphsPerPage(s) * 5));
    int asked = 0;
    const Run run = render(s, doc, [&] { return ++asked == 2; });
    QCOMPARE(run.pageCount, 2); // the cancelled page was made, not handed over
    QCOMPARE(run.pages.size(), size_t(1));
    QCOMPARE(asked, 2);
    // The page drawn while the cancelled one was compressed is not among the ranges.
    PageRenderer renderer(s);
    renderer.cancelled = [&] { return ++asked == 4; };
    QCOMPARE(renderer.render(doc), 2);
    QCOMPARE(renderer.pageRanges().size(), size_t(2));
}

void TestPageRenderer::badPageSizes_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("zero width") << 0 << 800;
    QTest::newRow("negative height") << 600 << -1;
    QTest::newRow("beyond JPEG") << 65501 << 10;
    QTest::newRow("huge area") << 20000 << 20000;
    QTest::newRow("int max") << 2147483647 << 2147483647;
}

// A hand-edited Config.dat must not make us allocate gigabytes or divide by nothing.
void TestPageRenderer::badPageSizes()
{
    QFETCH(int, width);
    QFETCH(int, height);
    ConfigSettings s = fullPages();
    s.PIC_W = width;
    s.PIC_H = height;
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("text"));
    PageRenderer renderer(s);
    int pages = 0;
    renderer.pageReady = [&](int, std::string_view) { ++pages; };
    QVERIFY_THROWS_EXCEPTION(AppError, renderer.render(doc));
    QCOMPARE(pages, 0);
}

// Margins that leave no text area: the layout fails, one page with its number is made.
void TestPageRenderer::marginsLargerThanPage()
{
    ConfigSettings s = fullPages();
    s.PIC_ML = 400;
    s.PIC_MR = 400;
    s.PIC_MT = -100000;
    QTextDocument doc;
    doc.setPlainText(paragraphs(100));
    const Run run = render(s, doc);
    QCOMPARE(run.pageCount, 1);
    QVERIFY(JpegInfo::decode(run.pages[0].jpeg).ok);
}

// One encoder for pages of any size and content: a page that outgrows the buffer, then
// small ones, each equal to what a fresh encoder writes.
void TestPageRenderer::encoderReusesItsBuffer()
{
    QImage noise(1000, 1000, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < noise.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(noise.scanLine(y));
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            line[x] = 0xFF000000u | (seed >> 8);
        }
    }
    QImage small(64, 48, QImage::Format_RGB888);
    small.fill(Qt::blue);

    JpegEncoder shared;
    const std::string big(shared.compress(noise, 100));
    QVERIFY(big.size() > 256 * 1024);
    const std::string little(shared.compress(small, 75));
    const std::string bigAgain(shared.compress(noise, 100));
    QCOMPARE(bigAgain, big);
    JpegEncoder fresh;
    QCOMPARE(std::string(fresh.compress(small, 75)), little);

    const JpegInfo info = JpegInfo::decode(little);
    QVERIFY(info.ok);
    QCOMPARE(info.width, 64);
    const QRgb centre = info.pixels.pixel(32, 24);
    QVERIFY(qBlue(centre) > 240 && qRed(centre) < 15);
    QVERIFY_THROWS_EXCEPTION(AppError, shared.compress(QImage(), 75));
}

void TestPageRenderer::lastPageEndsBelowItsText_data()
{
    QTest::addColumn<int>("fullPages");
    QTest::addColumn<int>("lastLines");
    QTest::addColumn<bool>("pageNumber");
    QTest::newRow("one paragraph") << 0 << 1 << true;
    QTest::newRow("two pages and three lines") << 2 << 3 << true;
    QTest::newRow("without page numbers") << 1 << 5 << false;
}

// The last page ends a little below its last line, with its number below the text; the
// pages before it keep the full height.
void TestPageRenderer::lastPageEndsBelowItsText()
{
    QFETCH(int, fullPages);
    QFETCH(int, lastLines);
    QFETCH(bool, pageNumber);
    ConfigSettings s = jpegPages();
    s.PIC_PageNumber = pageNumber;
    QTextDocument doc;
    doc.setPlainText(paragraphs(paragraphsPerPage(s) * fullPages + lastLines));
    const Run run = render(s, doc);
    QCOMPARE(run.pageCount, fullPages + 1);
    for (int i = 0; i < fullPages; ++i)
        QCOMPARE(run.pages[size_t(i)].surface.height(), 800);

    const QImage &last = run.pages.back().surface;
    QVERIFY2(last.height() < 200, qPrintable(QString::number(last.height())));
    const QRect text = inkBox(last, QRect(0, 0, 600, last.height() - 18));
    // 25 pixels below the darkest ink of the last line (its lighter edge may reach lower).
    const int gap = last.height() - text.bottom() - 1;
    QVERIFY2(gap >= 25 && gap <= 28, qPrintable(QString::number(gap)));
    const QRect number = inkBox(last, QRect(0, text.bottom() + 1, 600, last.height() - text.bottom() - 1));
    QCOMPARE(number.isEmpty(), !pageNumber);
    if (pageNumber)
        QVERIFY(number.top() > text.bottom() + 4 && number.bottom() < last.height());
    const JpegInfo info = JpegInfo::decode(run.pages.back().jpeg);
    QVERIFY(info.ok);
    QCOMPARE(info.height, last.height());

    // Switched off, the last page is a full page again.
    s.PIC_ShortLastPage = false;
    QCOMPARE(render(s, doc).pages.back().surface.height(), 800);
}

// Optimized tables and progressive scans only write the same coefficients differently:
// libjpeg decodes all three to the same pixels, and each is smaller than the one before.
void TestPageRenderer::codingsDecodeToTheSamePixels()
{
    QTextDocument doc;
    doc.setHtml(QStringLiteral("<p style='font-size:14pt'>Dear reader, <b>bold</b> and "
                               "<span style='color:#2050a0'>blue</span> words.</p>")
                    .repeated(30));
    QImage page;
    const ConfigSettings s = fullPages();
    PageRenderer renderer(s);
    renderer.surfaceReady = [&](int number, const QImage &surface) {
        if (number == 1)
            page = surface.copy();
    };
    renderer.render(doc);

    JpegEncoder encoder;
    const std::string standard(encoder.compress(page, 75, JpegEncoder::Coding::Standard));
    const std::string optimized(encoder.compress(page, 75, JpegEncoder::Coding::Optimized));
    const std::string progressive(encoder.compress(page, 75, JpegEncoder::Coding::Progressive));
    const JpegInfo a = JpegInfo::decode(standard);
    const JpegInfo b = JpegInfo::decode(optimized);
    const JpegInfo c = JpegInfo::decode(progressive);
    QVERIFY(a.ok && b.ok && c.ok);
    QVERIFY(!a.progressive && !b.progressive && c.progressive);
    QVERIFY(a.luminance == c.luminance && a.chrominance == c.chrominance);
    QVERIFY(a.pixels == b.pixels);
    QVERIFY(a.pixels == c.pixels);
    QVERIFY2(optimized.size() < standard.size() && progressive.size() < optimized.size(),
             qPrintable(QStringLiteral("%1 %2 %3").arg(standard.size()).arg(optimized.size()).arg(progressive.size())));
    // The encoder that made tables for one picture goes back to the standard ones.
    QCOMPARE(std::string(encoder.compress(page, 75, JpegEncoder::Coding::Standard)), standard);
    QCOMPARE(std::string(encoder.compress(page, 75, JpegEncoder::Coding::Optimized)), optimized);

    // The pages of a mail are progressive unless the setting says otherwise.
    QTextDocument letter;
    letter.setPlainText(QStringLiteral("A short letter."));
    QVERIFY(JpegInfo::decode(render(jpegPages(), letter).pages[0].jpeg).progressive);
}

// The pages' ranges follow each other from the letter's first position to its end.
void TestPageRenderer::pageRangesCoverTheLetter()
{
    const ConfigSettings s = jpegPages();
    QTextDocument doc;
    doc.setPlainText(paragraphs(paragraphsPerPage(s) * 2 + 7));
    PageRenderer renderer(s);
    const int pages = renderer.render(doc);
    const std::vector<PageRenderer::PageRange> &ranges = renderer.pageRanges();
    QCOMPARE(int(ranges.size()), pages);
    QCOMPARE(pages, 3);
    QCOMPARE(ranges.front().start, 0);
    for (size_t i = 1; i < ranges.size(); ++i) {
        QVERIFY(ranges[i - 1].start < ranges[i - 1].end);
        QCOMPARE(ranges[i].start, ranges[i - 1].end);
    }
    QCOMPARE(ranges.back().end, FormatRange::textLength(doc));
}

void TestPageRenderer::workerPagesAreASequentialRender_data()
{
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<bool>("shortLastPage");
    QTest::addColumn<int>("quality");
    QTest::newRow("first run") << true << true << 75;
    QTest::newRow("baseline, full last page") << false << false << 90;
}

// Pages are compressed on a worker while the next one is drawn: they still come out
// numbered in order, each exactly the bytes the encoder makes of that page on its own.
void TestPageRenderer::workerPagesAreASequentialRender()
{
    QFETCH(bool, progressive);
    QFETCH(bool, shortLastPage);
    QFETCH(int, quality);
    ConfigSettings s = jpegPages();
    s.PIC_Progressive = progressive;
    s.PIC_ShortLastPage = shortLastPage;
    s.PIC_Quality = quality;
    QTextDocument doc;
    doc.setPlainText(paragraphs(paragraphsPerPage(s) * 4 + 3));
    const Run run = render(s, doc);
    QCOMPARE(run.pageCount, 5);
    QCOMPARE(run.pages.size(), size_t(5));
    QCOMPARE(run.percents.back(), 100);
    JpegEncoder alone;
    for (size_t i = 0; i < run.pages.size(); ++i) {
        QCOMPARE(run.pages[i].number, int(i) + 1);
        const auto coding = progressive ? JpegEncoder::Coding::Progressive : JpegEncoder::Coding::Optimized;
        QVERIFY(run.pages[i].jpeg == alone.compress(run.pages[i].surface, quality, coding));
    }
    QCOMPARE(run.pages.back().surface.height() < 800, shortLastPage);
}

// A page that cannot be compressed fails alone, in its place: the pages before it come
// back in order, the worker goes on with the next, and one left with it does not hold up
// the end.
void TestPageRenderer::compressorErrorInTheMiddle()
{
    std::vector<int> compressed;
    PageCompressor compressor([&](const QImage &page) {
        compressed.push_back(page.width());
        if (page.width() == 3)
            throw AppError("JPEG: page 3 failed");
        return std::to_string(page.width());
    });
    QVERIFY_THROWS_EXCEPTION(std::logic_error, compressor.take());
    for (int width = 1; width <= 4; ++width) {
        compressor.submit(QImage(width, 1, QImage::Format_RGB32));
        QVERIFY(compressor.busy());
        QVERIFY_THROWS_EXCEPTION(std::logic_error, compressor.submit(QImage(9, 1, QImage::Format_RGB32)));
        if (width == 3) {
            QVERIFY_THROWS_EXCEPTION(AppError, compressor.take());
        } else {
            QCOMPARE(compressor.take(), std::to_string(width));
        }
        QVERIFY(!compressor.busy());
    }
    QCOMPARE(compressed, (std::vector<int>{1, 2, 3, 4}));
    compressor.submit(QImage(5, 1, QImage::Format_RGB32)); // never taken
}

// With several workers, pages finishing out of order still come back in the order they
// went in, a failed one in its place, and room for a page opens only when one is taken.
void TestPageRenderer::compressorWorkersKeepTheOrder()
{
    PageCompressor compressor(
        [](const QImage &page) {
            // The first page of each round is the slowest.
            std::this_thread::sleep_for(std::chrono::milliseconds(page.width() % 3 == 1 ? 30 : 1));
            if (page.width() == 5)
                throw AppError("JPEG: page 5 failed");
            return std::to_string(page.width());
        },
        3);
    int next = 1;
    std::vector<std::string> taken;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 3; ++i)
            compressor.submit(QImage(next++, 1, QImage::Format_RGB32));
        QVERIFY(compressor.full());
        QVERIFY_THROWS_EXCEPTION(std::logic_error, compressor.submit(QImage(99, 1, QImage::Format_RGB32)));
        while (compressor.busy()) {
            try {
                taken.push_back(compressor.take());
            } catch (const AppError &) {
                taken.push_back("failed");
            }
        }
    }
    QCOMPARE(taken, (std::vector<std::string>{"1", "2", "3", "4", "failed", "6", "7", "8", "9"}));
    compressor.submit(QImage(10, 1, QImage::Format_RGB32)); // never taken
}

// The mail refusing a page unwinds the render while the next page is with the worker:
// the error reaches the caller, nothing is handed over after it.
void TestPageRenderer::failedHandOverStopsTheWorker()
{
    const ConfigSettings s = fullPages();
    QTextDocument doc;
    doc.setPlainText(paragraphs(paragraphsPerPage(s) * 6));
    PageRenderer renderer(s);
    std::vector<int> pages;
    renderer.pageReady = [&](int page, std::string_view) {
        pages.push_back(page);
        if (page == 2)
            throw AppError("the mail is full");
    };
    QVERIFY_THROWS_EXCEPTION(AppError, renderer.render(doc));
    QCOMPARE(pages, (std::vector<int>{1, 2}));
}

// A letter nothing has to be fitted in is laid out in place rather than copied: its pages
// are the pixels of the copy's, and it comes back without a layout and with its page size.
void TestPageRenderer::letterLaidOutInPlaceDrawsAsItsCopy()
{
    const ConfigSettings s = jpegPages();
    const QString html = QStringLiteral("<p style='font-size:14pt'>Dear reader, <b>bold</b>, <i>italic</i> and "
                                        "<span style='color:#2050a0'>blue</span> words.</p>")
                             .repeated(60);
    QTextDocument alone;
    alone.setHtml(html);
    const QSizeF pageSize = alone.pageSize();
    QTextDocument shown; // a layout of its own, as an editor's letter has: laid out on a copy
    shown.setHtml(html);
    shown.documentLayout()->documentSize();
    const Run inPlace = render(s, alone);
    const Run copied = render(s, shown);
    QVERIFY(inPlace.pageCount >= 2);
    QCOMPARE(inPlace.pageCount, copied.pageCount);
    for (size_t i = 0; i < inPlace.pages.size(); ++i) {
        QVERIFY(inPlace.pages[i].surface == copied.pages[i].surface);
        QVERIFY(inPlace.pages[i].jpeg == copied.pages[i].jpeg);
    }
    QVERIFY(!alone.findChild<QAbstractTextDocumentLayout *>(QString(), Qt::FindDirectChildrenOnly));
    QCOMPARE(alone.pageSize(), pageSize);
    QCOMPARE(alone.toHtml(), shown.toHtml());
}

QTEST_MAIN(TestPageRenderer)
#include "tst_pagerenderer.moc"
