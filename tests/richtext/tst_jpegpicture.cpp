#include "richtext/JpegPicture.h"
#include "richtext/LetterDocument.h"
#include "richtext/writing/RtfWriter.h"
#include "tests/support/TestPictures.h"

#include <QBuffer>
#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

// A picture that came from a JPEG file is stored as that file (\jpegblip), byte for byte,
// and reading the letter again keeps the file for the next save.
class TestJpegPicture : public QObject
{
    Q_OBJECT

    static QByteArray rtfOf(const QTextDocument &doc)
    {
        const std::string rtf = RtfWriter::write(doc);
        return QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size()));
    }

    // The hex digits of a \pict group, without its line breaks.
    static QByteArray pictureHex(const QByteArray &rtf)
    {
        const qsizetype start = rtf.indexOf("{\\pict");
        const qsizetype data = rtf.indexOf("\r\n", start) + 2;
        return rtf.mid(data, rtf.indexOf('}', data) - data).replace("\r\n", "");
    }

private slots:
    void storedUnchangedAndKeptOnReading_data()
    {
        QTest::addColumn<QByteArray>("kept");
        QTest::addColumn<QByteArray>("blip");
        QTest::newRow("JPEG file") << TestPictures::encoded(40, 30, "JPEG") << QByteArray("\\jpegblip\\picw40\\pich30");
        // Bytes that are no JPEG are not written as one: the image goes out as PNG.
        QTest::newRow("not a JPEG") << QByteArray("\xFF\xD8\xFF junk", 9) << QByteArray("\\pngblip\\picw40\\pich30");
    }
    void storedUnchangedAndKeptOnReading()
    {
        QFETCH(QByteArray, kept);
        QFETCH(QByteArray, blip);
        QTextDocument doc;
        QImage shown(40, 30, QImage::Format_RGB32);
        shown.fill(Qt::green);
        doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("p")), shown);
        QTextImageFormat f;
        f.setName(QStringLiteral("p"));
        f.setWidth(20);
        f.setHeight(15);
        JpegPicture::keep(f, kept);
        QTextCursor(&doc).insertImage(f);

        const QByteArray rtf = rtfOf(doc);
        QVERIFY2(rtf.contains("{\\pict" + blip + "\\picwgoal300\\pichgoal225\r\n"), rtf.constData());
        const bool isJpeg = blip.contains("jpeg");
        QCOMPARE(pictureHex(rtf) == kept.toHex(), isJpeg);

        QTextDocument again;
        LetterDocument::load(rtf.toStdString(), &again);
        const QTextImageFormat read = TestPictures::in(again).value(0);
        QCOMPARE(read.width(), 20.0);
        QCOMPARE(JpegPicture::bytesOf(read), isJpeg ? kept : QByteArray());
        QVERIFY(!again.resource(QTextDocument::ImageResource, QUrl(read.name())).value<QImage>().isNull());
        // Saving the letter again writes the same picture.
        QCOMPARE(pictureHex(rtfOf(again)), pictureHex(rtf));
    }

    void damagedJpegIsNotKept()
    {
        // A \jpegblip whose header does not read is drawn as a frame and not written back as JPEG.
        const QByteArray rtf = "{\\rtf1{\\pict\\jpegblip\\picw10\\pich10 ffd8ff00112233}}";
        QTextDocument doc;
        LetterDocument::load(rtf.toStdString(), &doc);
        QVERIFY(JpegPicture::bytesOf(TestPictures::in(doc).value(0)).isEmpty());
        QVERIFY(rtfOf(doc).contains("\\pngblip"));
    }
};

QTEST_MAIN(TestJpegPicture)
#include "tst_jpegpicture.moc"
