#include "richtext/metafile/DibImage.h"
#include "richtext/metafile/MetafileCache.h"
#include "richtext/metafile/MetafileRenderer.h"
#include "richtext/metafile/ShapeClipper.h"
#include "richtext/reading/RtfReader.h"
#include "tests/richtext/MetafileFixtures.h"
#include "tests/support/ScalingTime.h"

#include <QPainter>
#include <QTextDocument>
#include <QUrl>
#include <QTest>
#include <cmath>

using namespace MetafileFixtures;

Q_DECLARE_METATYPE(QPainterPath)

// The metafile player: what EMF and WMF records draw, and that damaged or hostile files
// draw what they can without reading outside their bytes or working without bound.
class TestMetafile : public QObject
{
    Q_OBJECT

private:
    static QImage emf(const QByteArray &bytes, QSize size = QSize(96, 96), qint64 budgetMs = MetafileCanvas::kTimeBudgetMs)
    {
        return MetafileRenderer::render(std::string_view(bytes.constData(), size_t(bytes.size())), MetafileRenderer::Format::Emf, size,
                                        QSizeF(), budgetMs);
    }
    static QImage wmf(const QByteArray &bytes, QSize size = QSize(96, 96), QSizeF shown = QSizeF())
    {
        return MetafileRenderer::render(std::string_view(bytes.constData(), size_t(bytes.size())), MetafileRenderer::Format::Wmf, size,
                                        shown);
    }
    static QColor at(const QImage &image, int x, int y) { return QColor(image.pixel(x, y)); }
    static bool clear(const QImage &image, int x, int y) { return qAlpha(image.pixel(x, y)) == 0; }
    static int darkPixels(const QImage &image, const QRect &area)
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qAlpha(image.pixel(x, y)) > 128 && qGray(image.pixel(x, y)) < 100)
                    ++n;
        return n;
    }

private slots:
    void emfShapesWithObjects()
    {
        Emf e;
        e.brush(1, Qt::red).pen(2, Qt::red).select(1).select(2).rectangle(0, 0, 47, 95);
        e.brush(3, Qt::blue).select(3).select(0x80000008).ellipse(60, 60, 90, 90); // stock NULL_PEN
        e.record(40, le32(1)).select(1).rectangle(48, 0, 55, 10); // deleted: the blue brush stays
        const QImage image = emf(e.bytes(), QSize(192, 192)); // twice the picture's size
        QCOMPARE(at(image, 40, 100), QColor(Qt::red));
        QCOMPARE(at(image, 150, 150), QColor(Qt::blue));
        QCOMPARE(at(image, 100, 10), QColor(Qt::blue));
        QVERIFY(clear(image, 150, 60));
    }

    // Window and viewport, world transforms, saved and restored states, clipping.
    void emfMappingTransformsAndClipping()
    {
        Emf e;
        e.brush(1, Qt::green).select(1).select(0x80000008);
        e.record(17, le32(8)).record(9, le32(10) + le32(10)).record(11, le32(96) + le32(96)); // 10 x 10 units
        e.record(33); // save
        e.record(35, f32(1) + f32(0) + f32(0) + f32(1) + f32(5) + f32(0)); // move right by 5 units
        e.rectangle(0, 0, 2, 2);
        e.record(34, le32(-1)); // restore: no transform
        e.record(30, rectL(0, 5, 10, 10)); // clip to the lower half
        e.rectangle(0, 0, 2, 10);
        const QImage image = emf(e.bytes());
        QCOMPARE(at(image, 60, 10), QColor(Qt::green));
        QVERIFY(clear(image, 10, 10)); // clipped away
        QCOMPARE(at(image, 10, 80), QColor(Qt::green));

        // Metric units: y grows upwards.
        Emf metric;
        metric.brush(1, Qt::black).select(1).record(17, le32(3)); // MM_HIMETRIC
        metric.rectangle(0, 0, 1270, -1270); // the top left quarter
        const QImage m = emf(metric.bytes());
        QCOMPARE(at(m, 20, 20), QColor(Qt::black));
        QVERIFY(clear(m, 70, 70));
    }

    void emfPolygonsPathsAndBitmaps()
    {
        Emf e;
        e.brush(1, Qt::blue).select(1).select(0x80000008);
        // A 16-bit poly-polygon of two squares.
        e.record(91, rectL(0, 0, 96, 96) + le32(2) + le32(8) + le32(4) + le32(4) + le16(0) + le16(0) + le16(20) + le16(0) + le16(20)
                         + le16(20) + le16(0) + le16(20) + le16(70) + le16(70) + le16(90) + le16(70) + le16(90) + le16(90) + le16(70)
                         + le16(90));
        // A triangle through a path, filled.
        e.record(59).record(27, le32(40) + le32(0)).record(54, le32(60) + le32(40)).record(54, le32(20) + le32(40)).record(61).record(60);
        e.record(62, rectL(0, 0, 96, 96));
        // A 4 x 2 green bitmap stretched to 16 x 8 units at (0, 80).
        QByteArray bits;
        const QByteArray bmi = dib(4, 2, Qt::green, &bits);
        const int offBmi = 80, offBits = offBmi + bmi.size();
        e.record(81, rectL(0, 0, 0, 0) + le32(0) + le32(80) + le32(0) + le32(0) + le32(4) + le32(2) + le32(offBmi) + le32(bmi.size())
                         + le32(offBits) + le32(bits.size()) + le32(0) + le32(0x00CC0020) + le32(16) + le32(8) + bmi + bits);
        const QImage image = emf(e.bytes());
        QCOMPARE(at(image, 10, 10), QColor(Qt::blue));
        QCOMPARE(at(image, 80, 80), QColor(Qt::blue));
        QCOMPARE(at(image, 40, 30), QColor(Qt::blue)); // inside the triangle
        QVERIFY(clear(image, 25, 5));
        QCOMPARE(at(image, 8, 84), QColor(Qt::green));
        QVERIFY(clear(image, 30, 84));
    }

    void emfText()
    {
        Emf e;
        QByteArray face = QByteArray("A\0r\0i\0a\0l\0", 10);
        face.resize(64, '\0');
        e.record(82, le32(1) + le32(-20) + le32(0) + le32(0) + le32(0) + le32(700) + le32(0) + face);
        e.select(1).record(24, colorRef(Qt::black)).record(18, le32(1));
        const QByteArray text("H\0E\0L\0L\0O\0", 10);
        e.record(84, rectL(0, 0, 0, 0) + le32(1) + f32(1) + f32(1) + le32(10) + le32(40) + le32(5) + le32(76) + le32(0) + rectL(0, 0, 0, 0)
                         + le32(0) + text);
        const QImage image = emf(e.bytes());
        QVERIFY(darkPixels(image, QRect(10, 40, 70, 20)) > 40);
        QCOMPARE(darkPixels(image, QRect(0, 0, 96, 38)), 0);
    }

    void wmfRecords()
    {
        Wmf w(QRect(0, 0, 200, 100));
        w.brush(Qt::red).select(0).rectangle(0, 0, 100, 100);
        w.record(0x01F0, {0}).brush(Qt::blue).select(0); // the freed slot is taken again
        w.record(0x0324, {3, 150, 0, 200, 100, 100, 100});
        // A 2 x 2 green bitmap stretched over the lower right corner.
        const QByteArray picture = dib(2, 2, Qt::green);
        w.record(0x0F43, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 20, 20, 80, 180}, picture);
        const QImage image = wmf(w.bytes(), QSize(200, 100));
        QCOMPARE(at(image, 50, 50), QColor(Qt::red));
        QCOMPARE(at(image, 150, 60), QColor(Qt::blue));
        QCOMPARE(at(image, 190, 90), QColor(Qt::green));
        QVERIFY(clear(image, 110, 10));

        // Without a placeable header the window record gives the units.
        Wmf bare;
        bare.record(0x020C, {10, 10}).brush(Qt::black).select(0).rectangle(0, 0, 5, 10);
        const QImage b = wmf(bare.bytes(false), QSize(50, 50));
        QCOMPARE(at(b, 10, 25), QColor(Qt::black));
        QVERIFY(clear(b, 40, 25));
    }

    void wmfText()
    {
        Wmf w;
        QByteArray face("Arial");
        face.resize(32, '\0');
        w.record(0x02FB, {-20, 0, 0, 0, 400, 0, 0, 0, 0}, face).select(0);
        w.record(0x0521, {5}, QByteArray("HELLO\0", 6) + le16(40) + le16(10));
        const QImage image = wmf(w.bytes());
        QVERIFY(darkPixels(image, QRect(10, 40, 70, 20)) > 40);
    }

    // What cannot be drawn gives no image; the caller shows a frame with the kind instead.
    void undrawablePictures()
    {
        QVERIFY(emf(QByteArray("not a metafile")).isNull());
        QVERIFY(emf(Emf().bytes()).isNull()); // nothing drawn
        QVERIFY(emf(Emf().rectangle(0, 0, 10, 10).bytes(), QSize(100000, 100000)).isNull());
        const QImage frame = MetafileRenderer::placeholder(QSize(120, 60), QStringLiteral("EMF picture"));
        QCOMPARE(frame.size(), QSize(120, 60));
        QVERIFY(QColor(frame.pixel(0, 30)) != QColor(Qt::white));
        int ink = 0;
        for (int x = 10; x < 110; ++x)
            ink += qGray(frame.pixel(x, 30)) < 160;
        QVERIFY(ink > 3);
    }

    // A palette shorter than the indexes of the pixels, on every path that makes an image of
    // a bitmap: the colours it lacks are black, and nothing reads past its end.
    void shortPalettes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("isEmf");
        QByteArray bits;
        const QByteArray info = indexedDib(8, 8, 8, {QColor(200, 30, 30)}, 1, char(255), &bits);
        QTest::newRow("EMF StretchDIBits") << Emf().stretchDibits(QRect(0, 0, 96, 96), QSize(8, 8), info, bits).bytes() << true;
        QTest::newRow("EMF DIB pattern brush")
            << Emf().dibPatternBrush(1, info, bits).select(1).select(0x80000008).rectangle(0, 0, 96, 96).bytes() << true;
        QTest::newRow("WMF StretchDIB") << Wmf().stretchDib(QRect(0, 0, 96, 96), QSize(8, 8), info + bits).bytes() << false;
        QTest::newRow("WMF DIB pattern brush") << Wmf().dibPatternBrush(info + bits).select(0).rectangle(0, 0, 96, 96).bytes() << false;
    }

    void shortPalettes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, isEmf);
        const QImage image = isEmf ? emf(bytes) : wmf(bytes);
        QVERIFY(!image.isNull());
        QCOMPARE(at(image, 48, 48), QColor(Qt::black));
    }

    void dibColorTables_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("used");
        QTest::addColumn<char>("pixels");
        QTest::addColumn<QColor>("color");
        const QColor red(200, 30, 30);
        QTest::newRow("8 bits, index past the palette") << 8 << 1 << char(255) << QColor(Qt::black);
        QTest::newRow("8 bits, index in the palette") << 8 << 1 << char(0) << red;
        QTest::newRow("4 bits, index past the palette") << 4 << 1 << char(0xEE) << QColor(Qt::black);
        QTest::newRow("1 bit, index past the palette") << 1 << 1 << char(0xFF) << QColor(Qt::black);
        QTest::newRow("8 bits, whole palette") << 8 << 0 << char(0) << red;
    }

    void dibColorTables()
    {
        QFETCH(int, bits);
        QFETCH(int, used);
        QFETCH(char, pixels);
        QFETCH(QColor, color);
        QByteArray data;
        const QList<QColor> palette = used == 0 ? QList<QColor>(1 << bits, QColor(200, 30, 30)) : QList<QColor>{QColor(200, 30, 30)};
        const QByteArray info = indexedDib(4, 2, bits, palette, used, pixels, &data);
        const QImage image = DibImage::decode(std::string_view((info + data).constData(), size_t(info.size() + data.size())));
        QVERIFY(!image.isNull());
        QCOMPARE(image.colorCount(), 1 << image.depth());
        QCOMPARE(QColor(image.pixel(0, 0)), color);
    }

    // A vertex millions of pixels away costs no more than one just outside the picture, and
    // what lies inside the picture is drawn.
    void farVerticesInBoundedTime()
    {
        auto picture = [](int reach) {
            Emf e;
            e.brush(1, Qt::blue).select(1).select(0x80000008);
            for (int i = 0; i < 20; ++i)
                e.polygon({QPoint(10 + i, 10), QPoint(50, reach), QPoint(90 - i, 20)});
            return e.bytes();
        };
        const QByteArray near = picture(200), far = picture(8000000);
        QCOMPARE(at(emf(far), 50, 80), QColor(Qt::blue));
        const double ratio = ScalingTime::ratio([&] { emf(near); }, [&] { emf(far); }, 3);
        qInfo("time ratio of far to near vertices: %.1f", ratio);
        QVERIFY2(ratio < 8, qPrintable(QStringLiteral("time ratio %1").arg(ratio)));
    }

    // Cut to a box around the picture, a shape paints inside the picture what it paints whole.
    void clippedShapes_data()
    {
        QTest::addColumn<QPainterPath>("path"); // image pixels
        QTest::addColumn<double>("penWidth");   // 0: filled
        auto polygon = [](const QList<QPointF> &points, Qt::FillRule rule = Qt::OddEvenFill) {
            QPainterPath p;
            p.addPolygon(QPolygonF(points));
            p.closeSubpath();
            p.setFillRule(rule);
            return p;
        };
        QList<QPointF> star; // its middle, where the picture lies, is wound twice
        for (int k = 0; k < 5; ++k)
            star << QPointF(48 + 50000 * std::cos((-90 + 144 * k) * M_PI / 180), 48 + 50000 * std::sin((-90 + 144 * k) * M_PI / 180));
        QPainterPath line(QPointF(-100000, 10));
        line.lineTo(48, 48);
        line.lineTo(100000, 90);
        QTest::newRow("far vertex") << polygon({{10, 10}, {50, 100000}, {90, 20}}) << 0.0;
        QTest::newRow("star, odd-even") << polygon(star) << 0.0;
        QTest::newRow("star, winding") << polygon(star, Qt::WindingFill) << 0.0;
        QTest::newRow("square around the picture") << polygon({{-9e5, -9e5}, {9e5, -9e5}, {9e5, 9e5}, {-9e5, 9e5}}) << 0.0;
        QTest::newRow("open line") << line << 3.0;
        QTest::newRow("outline with a far vertex") << polygon({{10, 10}, {50, 100000}, {90, 20}}) << 9.0;
    }

    void clippedShapes()
    {
        QFETCH(QPainterPath, path);
        QFETCH(double, penWidth);
        const QTransform toImage(4, 0, 0, 4, 8, -4);
        const QPainterPath logical = toImage.inverted().map(path);
        const QRectF box = QRectF(0, 0, 96, 96).adjusted(-200, -200, 200, 200);
        auto draw = [&](const QPainterPath &shape) {
            QImage image(96, 96, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setTransform(toImage);
            if (penWidth > 0)
                painter.strokePath(shape, QPen(Qt::black, penWidth / 4));
            else
                painter.fillPath(shape, Qt::black);
            return image;
        };
        const QImage whole = draw(logical);
        const QImage cut = draw(penWidth > 0 ? ShapeClipper::forStroke(logical, toImage, box) : ShapeClipper::forFill(logical, toImage, box));
        int differing = 0;
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 96; ++x)
                differing += std::abs(qAlpha(whole.pixel(x, y)) - qAlpha(cut.pixel(x, y))) > 32;
        QCOMPARE(differing, 0);
    }

    // A picture that takes longer than its time stops there and keeps what it drew.
    void timeBudget()
    {
        Emf e;
        e.bitBlt(QRect(0, 0, 48, 96), 0x00000042).bitBlt(QRect(48, 0, 48, 96), 0x00000042); // BLACKNESS
        const QImage whole = emf(e.bytes());
        QCOMPARE(at(whole, 70, 50), QColor(Qt::black));
        const QImage cut = emf(e.bytes(), QSize(96, 96), 0);
        QCOMPARE(at(cut, 20, 50), QColor(Qt::black));
        QVERIFY(clear(cut, 70, 50));
    }

    // Damaged and hostile files: out-of-range counts, indexes, sizes, transforms and
    // nesting. None may crash, read outside the bytes or run without bound.
    void hostile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("isEmf");
        // Something in the file can still be drawn after the damage.
        QTest::addColumn<bool>("drawn");
        const QByteArray pts = le32(0xFFFFFFF) + le16(1) + le16(1);
        QTest::newRow("polygon count past the record") << Emf().record(3, rectL(0, 0, 1, 1) + pts).bytes() << true << false;
        QTest::newRow("poly-polygon counts") << Emf().record(8, rectL(0, 0, 1, 1) + le32(0x40000000) + le32(0x40000000) + le32(7)).bytes() << true << false;
        QTest::newRow("object index") << Emf().brush(0x7FFFFFFF, Qt::red).select(0x7FFFFFFF).select(0x80000100).record(40, le32(-1)).bytes() << true << false;
        QTest::newRow("nan transform") << Emf().record(35, f32(NAN) + f32(0) + f32(0) + f32(INFINITY) + f32(0) + f32(0)).rectangle(0, 0, 9, 9).bytes() << true << false;
        QTest::newRow("zero window") << Emf().record(17, le32(8)).record(9, le32(0) + le32(0)).rectangle(0, 0, 9, 9).bytes() << true << true;
        QTest::newRow("giant font") << Emf().record(82, le32(1) + le32(-2000000000)).select(1).record(84, rectL(0, 0, 0, 0) + le32(1) + f32(1) + f32(1) + le32(0) + le32(0) + le32(3) + le32(76) + le32(0) + rectL(0, 0, 0, 0) + le32(0) + QByteArray("a\0b\0c\0", 6)).bytes() << true << true;
        QTest::newRow("text past the record") << Emf().record(84, rectL(0, 0, 0, 0) + le32(1) + f32(1) + f32(1) + le32(0) + le32(0) + le32(0x7FFFFFFF) + le32(76) + le32(0) + rectL(0, 0, 0, 0) + le32(0xFFFFFFF0)).bytes() << true << false;
        QTest::newRow("bitmap larger than its bits") << Emf().record(81, rectL(0, 0, 0, 0) + le32(0) + le32(0) + le32(0) + le32(0) + le32(60000) + le32(60000) + le32(80) + le32(40) + le32(120) + le32(4) + le32(0) + le32(0x00CC0020) + le32(10) + le32(10) + le32(40) + le32(60000) + le32(60000) + le16(1) + le16(32) + QByteArray(28, '\0') + le32(0)).bytes() << true << false;
        QTest::newRow("clip region count") << Emf().record(75, le32(48) + le32(5) + le32(32) + le32(1) + le32(0x7FFFFFFF) + le32(0) + rectL(0, 0, 1, 1)).bytes() << true << false;
        Emf deep;
        for (int i = 0; i < 5000; ++i)
            deep.record(33);
        deep.record(34, le32(-100000)).record(34, le32(3)).rectangle(0, 0, 9, 9);
        QTest::newRow("saved states") << deep.bytes() << true << true;
        Emf busy;
        busy.brush(1, Qt::red).select(1);
        for (int i = 0; i < 20000; ++i)
            busy.record(29, rectL(i % 90, i % 90, i % 90 + 1, i % 90 + 1)).rectangle(-100000, -100000, 100000, 100000);
        QTest::newRow("holes and fills without end") << busy.bytes() << true << true;
        QTest::newRow("record size past the end") << Emf().record(43, rectL(0, 0, 9, 9)).bytes().replace(92, 4, le32(0x7FFFFFFF)) << true << false;
        QTest::newRow("wmf polygon count") << Wmf().record(0x0324, {0x7FFF, 1, 1}).bytes() << false << false;
        QTest::newRow("wmf poly-polygon counts") << Wmf().record(0x0538, {0x7FFF, 0x7FFF}).bytes() << false << false;
        QTest::newRow("wmf object table full") << Wmf(QRect(0, 0, 96, 96), 96, 1).brush(Qt::red).brush(Qt::blue).select(1).select(-1).record(0x01F0, {-1}).bytes() << false << false;
        QTest::newRow("wmf text past the record") << Wmf().record(0x0A32, {0, 0, 0x7FFF, 6}).record(0x0521, {0x7FFF}).bytes() << false << true;
        QTest::newRow("wmf record size past the end") << Wmf().record(0x041B, {9, 9, 0, 0}).bytes().replace(40, 4, le32(0x7FFFFFFF)) << false << false;
        QTest::newRow("wmf bitmap header") << Wmf().record(0x0F43, {0x20, 0xCC, 0, 1, 1, 0, 0, 9, 9, 0, 0}, le32(40) + le32(0x7FFFFFFF) + le32(0x7FFFFFFF) + le16(1) + le16(32)).bytes() << false << false;
    }

    void hostile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, isEmf);
        QFETCH(bool, drawn);
        const auto render = [&](qsizetype n) { return isEmf ? emf(bytes.left(n)) : wmf(bytes.left(n)); };
        // A picture is drawn at the size asked for, or not at all.
        const auto sound = [](const QImage &image) {
            return image.isNull() || (image.size() == QSize(96, 96) && image.hasAlphaChannel());
        };
        const QImage whole = render(bytes.size());
        QVERIFY(sound(whole));
        QCOMPARE(!whole.isNull(), drawn);
        // Every prefix of a damaged file is a damaged file too; no bytes are no picture.
        QVERIFY(render(0).isNull());
        const qsizetype step = std::max<qsizetype>(7, bytes.size() / 40);
        for (qsizetype n = step; n < bytes.size(); n += step)
            QVERIFY2(sound(render(n)), qPrintable(QString::number(n)));
    }

    // A picture that stands twice in a letter, or in a letter read again, is played once:
    // the images share their pixels and are what playing it makes. Another size is
    // another picture.
    void repeatedPicturesArePlayedOnce()
    {
        Wmf w;
        w.brush(Qt::red).select(0).rectangle(0, 0, 95, 95).brush(Qt::blue).select(1).rectangle(24, 24, 71, 71);
        const QByteArray hex = w.bytes().toHex();
        const QByteArray pict = "{\\pict\\wmetafile8\\picwgoal1440\\pichgoal1440 " + hex + "}";
        const QByteArray other = "{\\pict\\wmetafile8\\picwgoal720\\pichgoal720 " + hex + "}";
        const QByteArray rtf = "{\\rtf1\\ansi " + pict + "\\par " + pict + "\\par " + other + "\\par}";
        const auto images = [&] {
            QTextDocument doc;
            RtfReader::read(std::string_view(rtf.constData(), size_t(rtf.size())), &doc);
            QList<QImage> list;
            for (int i = 1; i <= 3; ++i) {
                const QUrl name(QStringLiteral("%1://%2").arg(QLatin1String(RtfReader::kImageScheme)).arg(i));
                list << doc.resource(QTextDocument::ImageResource, name).value<QImage>();
            }
            return list;
        };
        MetafileCache::clear();
        const QList<QImage> first = images();
        QCOMPARE(MetafileCache::count(), 2);
        const QList<QImage> again = images();
        QCOMPARE(MetafileCache::count(), 2);
        const QImage played = wmf(w.bytes(), QSize(192, 192), QSizeF(96, 96));
        QCOMPARE(first[0], played);
        QCOMPARE(first[2].size(), QSize(96, 96));
        QCOMPARE(first[1].constBits(), first[0].constBits());
        QCOMPARE(again[0].constBits(), first[0].constBits());
        QCOMPARE(again[2].constBits(), first[2].constBits());
        QVERIFY(first[2].constBits() != first[0].constBits());
        // However many pictures come, the cache keeps a bounded number of them.
        for (int i = 0; i <= int(MetafileCache::kMaxEntries); ++i) {
            Wmf one;
            one.brush(QColor::fromRgb(QRgb(i))).select(0).rectangle(0, 0, 95, 95);
            const QByteArray b = one.bytes();
            MetafileCache::render(std::string_view(b.constData(), size_t(b.size())), MetafileRenderer::Format::Wmf,
                                  QSize(4, 4), QSizeF(4, 4));
        }
        QCOMPARE(MetafileCache::count(), int(MetafileCache::kMaxEntries));
        MetafileCache::clear();
        QCOMPARE(MetafileCache::count(), 0);
    }
};

QTEST_MAIN(TestMetafile)
#include "tst_metafile.moc"
