#include "config/ConfigSettings.h"
#include "picture/PageEncoder.h"
#include "picture/PagePicture.h"
#include "picture/PageRenderer.h"
#include "picture/PaletteQuantizer.h"
#include "picture/PngEncoder.h"
#include "picture/SendJob.h"
#include "tests/picture/PictureFixtures.h"

#include <QJsonArray>
#include <QPainter>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

#include <string>
#include <vector>

using namespace PictureFixtures;

namespace {

struct Rendered
{
    std::vector<std::string> pictures;
    std::vector<QImage> surfaces;
    std::vector<PageRenderer::PageRange> ranges;
    std::vector<std::vector<FormatRange::TextLine>> lines;
};

Rendered render(const ConfigSettings &settings, const QTextDocument &doc)
{
    Rendered out;
    PageRenderer renderer(settings);
    renderer.surfaceReady = [&](int, const QImage &surface) { out.surfaces.push_back(surface.copy()); };
    renderer.pageReady = [&](int, std::string_view picture) { out.pictures.emplace_back(picture); };
    renderer.render(doc);
    out.ranges = renderer.pageRanges();
    out.lines = renderer.pageLines();
    return out;
}

ConfigSettings settings(bool sharp, bool jpegOnly)
{
    ConfigSettings s = ConfigSettings::firstRun();
    s.PIC_Sharp = sharp;
    s.PIC_JpegOnly = jpegOnly;
    return s;
}

// A letter of mixed paragraphs: sizes, a coloured heading, bold, a long line that wraps.
void mixedLetter(QTextDocument &doc, int paragraphs)
{
    QTextCursor cursor(&doc);
    for (int i = 0; i < paragraphs; ++i) {
        QTextCharFormat format;
        format.setFontPointSize(i % 7 == 0 ? 16 : 12);
        format.setFontWeight(i % 5 == 0 ? QFont::Bold : QFont::Normal);
        if (i % 7 == 0)
            format.setForeground(QColor(0x1f, 0x4e, 0x9a));
        cursor.insertText(QStringLiteral("Paragraph %1: the quick brown fox jumps over the lazy dog, and the words run on "
                                         "long enough to wrap at the edge of the page at least once.")
                              .arg(i + 1),
                          format);
        cursor.insertBlock();
    }
}

// A picture with a colour of its own in nearly every pixel, as a photograph has.
QImage photo(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int noise = random.bounded(24);
            image.setPixel(x, y, qRgb((x * 255 / width + noise) % 256, (y * 255 / height + noise) % 256,
                                      (x + y + noise) % 256));
        }
    return image;
}

} // namespace

class TestSharpPages : public QObject
{
    Q_OBJECT

private slots:
    void sharpPagesBreakAsAt1x();
    void formatFollowsThePage_data();
    void formatFollowsThePage();
    void paletteKeepsFewColoursExactly();
    void paletteCountsEveryColour_data();
    void paletteCountsEveryColour();
    void paletteFollowsEveryRun_data();
    void paletteFollowsEveryRun();
    void pngRoundTripsWithItsResolution_data();
    void pngRoundTripsWithItsResolution();
    void pictureNamesFollowTheFormat();
    void mailNamesEachPictureByItsFormat();
    void sameBytesEveryRun();
};

// The 2x pages are the 1x pages with twice the pixels: the same ranges of the letter, the
// same lines where they stand, the same page count; only the pictures' size doubles.
void TestSharpPages::sharpPagesBreakAsAt1x()
{
    QTextDocument doc;
    mixedLetter(doc, 60);
    const Rendered normal = render(settings(false, true), doc);
    const Rendered sharp = render(settings(true, false), doc);
    QVERIFY(normal.ranges.size() >= 3);
    QCOMPARE(sharp.ranges.size(), normal.ranges.size());
    for (std::size_t i = 0; i < normal.ranges.size(); ++i) {
        QCOMPARE(sharp.ranges[i].start, normal.ranges[i].start);
        QCOMPARE(sharp.ranges[i].end, normal.ranges[i].end);
        QCOMPARE(sharp.lines[i].size(), normal.lines[i].size());
        for (std::size_t l = 0; l < normal.lines[i].size(); ++l) {
            QCOMPARE(sharp.lines[i][l].text, normal.lines[i][l].text);
            QCOMPARE(sharp.lines[i][l].baseline, normal.lines[i][l].baseline);
        }
        // The short last page ends below its lowest ink, which the finer pixels may find
        // a pixel lower.
        const QImage decoded = PagePicture::decode(QByteArray::fromStdString(sharp.pictures[i]));
        QCOMPARE(decoded.size(), sharp.surfaces[i].size());
        QCOMPARE(decoded.width(), normal.surfaces[i].width() * 2);
        if (i + 1 < normal.ranges.size())
            QCOMPARE(decoded.deviceIndependentSize().toSize(), normal.surfaces[i].size());
        else
            QVERIFY(qAbs(decoded.deviceIndependentSize().height() - normal.surfaces[i].height()) <= 2);
    }
    QCOMPARE(PageRenderer::countPages(doc, settings(true, false)), int(normal.ranges.size()));
}

void TestSharpPages::formatFollowsThePage_data()
{
    QTest::addColumn<bool>("withPhoto");
    QTest::addColumn<bool>("jpegOnly");
    QTest::addColumn<bool>("png");
    QTest::newRow("text page") << false << false << true;
    QTest::newRow("text page, JPEG only") << false << true << false;
    QTest::newRow("photo page") << true << false << false;
}

// A text page goes as a palette PNG that is smaller than its JPEG and close to the page
// as drawn; a photo page stays JPEG; "JPEG only" keeps every page JPEG.
void TestSharpPages::formatFollowsThePage()
{
    QFETCH(bool, withPhoto);
    QFETCH(bool, jpegOnly);
    QFETCH(bool, png);
    QTextDocument doc;
    mixedLetter(doc, withPhoto ? 2 : 20);
    if (withPhoto) {
        doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("photo.png")), photo(560, 400));
        QTextCursor cursor(&doc);
        cursor.movePosition(QTextCursor::End);
        QTextImageFormat image;
        image.setName(QStringLiteral("photo.png"));
        cursor.insertImage(image);
    }
    const Rendered r = render(settings(true, jpegOnly), doc);
    QVERIFY(!r.pictures.empty());
    const std::string &first = r.pictures.front();
    QCOMPARE(PagePicture::formatOf(first) == PagePicture::Format::Png, png);
    const QImage decoded = PagePicture::decode(QByteArray::fromStdString(first));
    QVERIFY(!decoded.isNull());
    if (png) {
        PageEncoder jpegEncoder;
        const std::string jpeg = jpegEncoder.compress(r.surfaces.front(), PageEncoder::Options{75, JpegEncoder::Coding::Progressive, true});
        QVERIFY2(first.size() < jpeg.size(), qPrintable(QStringLiteral("PNG %1 bytes, JPEG %2").arg(first.size()).arg(jpeg.size())));
        QVERIFY(PaletteQuantizer::psnr(decoded, r.surfaces.front()) >= PageEncoder::MinPsnr);
    }
}

// A page of no more colours than the palette holds loses nothing, at the fewest bits.
void TestSharpPages::paletteKeepsFewColoursExactly()
{
    QImage page(64, 32, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.fillRect(QRect(4, 4, 20, 10), QColor(200, 30, 30));
    painter.fillRect(QRect(30, 4, 20, 10), Qt::black);
    painter.end();
    const PaletteQuantizer::Result reduced = PaletteQuantizer::reduce(page, 16);
    QVERIFY(qIsInf(reduced.psnr));
    QCOMPARE(reduced.indexed.colorCount(), 3);
    QCOMPARE(reduced.indexed.convertToFormat(QImage::Format_RGB32), page);
    // A photo is not reduced at all.
    QVERIFY(PaletteQuantizer::reduce(photo(300, 300), 256).indexed.isNull());
}

void TestSharpPages::paletteCountsEveryColour_data()
{
    QTest::addColumn<int>("colours");
    QTest::addColumn<int>("step"); // between colour values: spreads them over all 24 bits
    QTest::addColumn<bool>("photo");
    QTest::newRow("256 spread, kept exactly") << 256 << 65793 << false;
    QTest::newRow("256 neighbours, kept exactly") << 256 << 1 << false;
    QTest::newRow("at the limit") << PaletteQuantizer::MaxDistinctColours << 509 << false;
    QTest::newRow("one above the limit") << PaletteQuantizer::MaxDistinctColours + 1 << 509 << true;
}

// Every distinct colour is counted once, however its value falls in the colour table: one
// more than the limit makes a photo, and up to 256 come back exactly.
void TestSharpPages::paletteCountsEveryColour()
{
    QFETCH(int, colours);
    QFETCH(int, step);
    QFETCH(bool, photo);
    const int width = 256;
    QImage page(width, (colours + width - 1) / width, QImage::Format_RGB32);
    page.fill(Qt::white);
    for (int i = 0; i < colours; ++i)
        page.setPixel(i % width, i / width, 0xFF000000u | ((static_cast<quint32>(i) * static_cast<quint32>(step)) & 0xFFFFFFu));
    const PaletteQuantizer::Result reduced = PaletteQuantizer::reduce(page, 256);
    QCOMPARE(reduced.indexed.isNull(), photo);
    if (colours <= 256)
        QCOMPARE(reduced.indexed.convertToFormat(QImage::Format_RGB32), page);
}

void TestSharpPages::paletteFollowsEveryRun_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("alpha");
    // Rows are read 64 pixels at a time: widths below, at and past one block and two.
    for (const int width : {1, 2, 63, 64, 65, 129, 200})
        QTest::addRow("%d wide", width) << width << false;
    QTest::newRow("alpha varies, 130 wide") << 130 << true;
}

// Runs of every length, starting anywhere in a block of the row and ending at its edge,
// come back exactly; pixels that differ only in alpha are one colour. A page that stopped
// the count (a photo) leaves nothing behind for the next.
void TestSharpPages::paletteFollowsEveryRun()
{
    QFETCH(int, width);
    QFETCH(bool, alpha);
    const QRgb colours[] = {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(200, 30, 30), qRgb(128, 128, 128)};
    QImage page(width, 6, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    page.fill(colours[0]);
    for (int x = 0; x < width; ++x) {
        page.setPixel(x, 1, colours[x % 2]);             // runs of one pixel
        page.setPixel(x, 2, colours[(x * x / 37) % 4]);  // runs of growing length
    }
    page.setPixel(width - 1, 3, colours[1]); // a run of one at the row's end
    page.setPixel(std::min(64, width - 1), 4, colours[2]);
    if (alpha)
        for (int x = 0; x < width; ++x)
            page.setPixel(x, 5, (colours[3] & 0xFFFFFFu) | (quint32(x * 7 % 256) << 24));
    QImage opaque = page.convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> distinct;
    for (int y = 0; y < opaque.height(); ++y)
        for (int x = 0; x < width; ++x) {
            opaque.setPixel(x, y, page.pixel(x, y) | 0xFF000000u);
            distinct.insert(opaque.pixel(x, y));
        }

    QVERIFY(PaletteQuantizer::reduce(photo(300, 300), 256).indexed.isNull());
    const PaletteQuantizer::Result reduced = PaletteQuantizer::reduce(page, 16);
    QVERIFY(qIsInf(reduced.psnr));
    QCOMPARE(reduced.indexed.colorCount(), distinct.size());
    QCOMPARE(reduced.indexed.convertToFormat(QImage::Format_RGB32), opaque);
}

void TestSharpPages::pngRoundTripsWithItsResolution_data()
{
    QTest::addColumn<int>("colours");
    QTest::addColumn<int>("width");
    QTest::addColumn<qreal>("ratio");
    // Widths that fill the last byte of a row, and ones that leave it part empty.
    QTest::newRow("2 colours, odd width") << 2 << 13 << 1.0;
    QTest::newRow("2 colours, whole bytes") << 2 << 16 << 2.0;
    QTest::newRow("3 colours, one pixel") << 3 << 1 << 1.0;
    QTest::newRow("4 colours") << 4 << 9 << 2.0;
    QTest::newRow("5 colours, whole bytes") << 5 << 6 << 1.0;
    QTest::newRow("16 colours, sharp") << 16 << 31 << 2.0;
    QTest::newRow("17 colours") << 17 << 7 << 1.0;
    QTest::newRow("256 colours") << 256 << 40 << 1.0;
}

// Each depth packs its pixels right, and a sharp picture reads back as one.
void TestSharpPages::pngRoundTripsWithItsResolution()
{
    QFETCH(int, colours);
    QFETCH(int, width);
    QFETCH(qreal, ratio);
    QImage indexed(width, 7, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < colours; ++i)
        table << qRgb(i, 255 - i, (i * 37) % 256);
    indexed.setColorTable(table);
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < width; ++x)
            indexed.setPixel(x, y, uint((x * 7 + y * 3) % colours));
    indexed.setDevicePixelRatio(ratio);
    const std::string png = PngEncoder::compress(indexed);
    QCOMPARE(PagePicture::formatOf(png), PagePicture::Format::Png);
    const QImage back = PagePicture::decode(QByteArray::fromStdString(png));
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32), indexed.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(back.devicePixelRatio(), ratio);
}

void TestSharpPages::pictureNamesFollowTheFormat()
{
    const std::string png("\x89PNG\r\n\x1a\n....", 12);
    const std::string jpeg("\xff\xd8\xff\xe0", 4);
    QCOMPARE(PagePicture::fileName(3, png), std::string("3.png"));
    QCOMPARE(PagePicture::fileName(12, jpeg), std::string("12.jpg"));
    QCOMPARE(std::string(PagePicture::mimeType(PagePicture::formatOf(png))), std::string("image/png"));
    QCOMPARE(std::string(PagePicture::mimeType(PagePicture::formatOf(jpeg))), std::string("image/jpeg"));
    QCOMPARE(PagePicture::formatOf(std::string_view("\x89PN", 3)), PagePicture::Format::Jpeg);
}

// Python's email finds each page with the type of its bytes, a file name of that format,
// and every cid of the HTML among the pictures.
void TestSharpPages::mailNamesEachPictureByItsFormat()
{
    for (const bool jpegOnly : {false, true}) {
        const ConfigSettings s = settings(true, jpegOnly);
        SendJob job(s);
        job.LoadMailText(storedMail("Letter", rtfLetter(90)));
        job.RenderPages();
        QVERIFY(job.BuildHtmlBody());
        job.Rebuild();
        const QJsonObject mail = describe(QByteArray::fromStdString(job.FMailMsg.SourceText()));
        QVERIFY2(!mail.contains(QStringLiteral("error")), qPrintable(mail.value(QStringLiteral("error")).toString()));
        const QJsonArray pictures = mail.value(QStringLiteral("pictures")).toArray();
        QVERIFY(pictures.size() >= 2);
        QCOMPARE(pictures.size(), job.PageCount);
        QVERIFY(mail.value(QStringLiteral("unresolved")).toArray().isEmpty());
        QCOMPARE(mail.value(QStringLiteral("cids")).toArray().size(), pictures.size());
        for (const QJsonValue &value : pictures) {
            const QJsonObject picture = value.toObject();
            const bool png = picture.value(QStringLiteral("png")).toBool();
            QCOMPARE(png, !jpegOnly); // text pages
            QCOMPARE(picture.value(QStringLiteral("jpeg")).toBool(), !png);
            const QString type = picture.value(QStringLiteral("type")).toString();
            QCOMPARE(type, png ? QStringLiteral("image/png") : QStringLiteral("image/jpeg"));
            QVERIFY(picture.value(QStringLiteral("name")).toString().endsWith(png ? QStringLiteral(".png")
                                                                                   : QStringLiteral(".jpg")));
            QVERIFY(picture.value(QStringLiteral("cid")).toString().contains(png ? QStringLiteral(".png.")
                                                                                 : QStringLiteral(".jpg.")));
        }
    }
}

// Pages compressed two or more at once come out as a page-by-page render makes them.
void TestSharpPages::sameBytesEveryRun()
{
    QTextDocument doc;
    mixedLetter(doc, 40);
    const Rendered first = render(settings(true, false), doc);
    const Rendered second = render(settings(true, false), doc);
    QCOMPARE(second.pictures, first.pictures);
}

QTEST_MAIN(TestSharpPages)
#include "tst_sharppages.moc"
