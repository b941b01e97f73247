#include "composer/PictureFile.h"
#include "composer/PictureSize.h"
#include "config/ConfigSettings.h"
#include "richtext/JpegPicture.h"
#include "richtext/LetterDocument.h"
#include "richtext/writing/RtfWriter.h"
#include "tests/support/TestPictures.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

// Pictures from files: recognised by content, decoded once and capped, shown at most as
// wide as the pages' text, JPEG stored unchanged; and resizing a picture of the letter.
class TestPictureFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void readsByContent_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size"); // invalid: no picture
        QTest::addColumn<bool>("jpegKept");
        QTest::newRow("png") << "a.png" << TestPictures::encoded(30, 20, "PNG") << QSize(30, 20) << false;
        QTest::newRow("jpeg") << "b.jpg" << TestPictures::encoded(30, 20, "JPEG") << QSize(30, 20) << true;
        // Qt writes no GIF: the smallest one there is, one pixel.
        QTest::newRow("gif") << "c.gif"
                             << QByteArray::fromHex("47494638396101000100800000ffffff00000021f90401000000002c000000000100"
                                                    "01000002024401003b")
                             << QSize(1, 1) << false;
        QTest::newRow("bmp") << "d.bmp" << TestPictures::encoded(12, 8, "BMP") << QSize(12, 8) << false;
        QTest::newRow("jpeg named png") << "e.png" << TestPictures::encoded(30, 20, "JPEG") << QSize(30, 20) << true;
        QTest::newRow("svg rasterised")
            << "f.svg"
            << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='64' height='32'>"
                          "<rect width='64' height='32' fill='red'/></svg>")
            << QSize(64, 32) << false;
        // An SVG that claims an enormous canvas is drawn within the paste path's cap.
        QTest::newRow("huge svg capped")
            << "g.svg"
            << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='200000' height='100000'>"
                          "<rect width='10' height='10'/></svg>")
            << QSize(4096, 2048) << false;
        QTest::newRow("text named png") << "h.png" << QByteArray("not a picture") << QSize() << false;
        QTest::newRow("truncated png") << "i.png" << TestPictures::encoded(30, 20, "PNG").left(40) << QSize() << false;
    }
    void readsByContent()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QFETCH(bool, jpegKept);
        const PictureFile::Picture p = PictureFile::read(write(name, bytes));
        QCOMPARE(p.image.isNull() ? QSize() : p.image.size(), size);
        QCOMPARE(p.error.isEmpty(), size.isValid());
        QCOMPARE(p.jpeg, jpegKept ? bytes : QByteArray());
    }

    void missingFileIsAnError()
    {
        const PictureFile::Picture p = PictureFile::read(m_dir.filePath(QStringLiteral("nothing.png")));
        QVERIFY(p.image.isNull());
        QVERIFY(p.error.contains(QLatin1String("nothing.png")));
    }

    void shownSize_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<int>("textWidth");
        QTest::addColumn<QSizeF>("shown");
        QTest::newRow("narrower stays") << QSize(300, 200) << 580 << QSizeF(300, 200);
        QTest::newRow("exactly as wide") << QSize(580, 10) << 580 << QSizeF(580, 10);
        QTest::newRow("wider scaled") << QSize(1160, 800) << 580 << QSizeF(580, 400);
        QTest::newRow("thin line keeps a pixel") << QSize(100000, 1) << 580 << QSizeF(580, 1);
    }
    void shownSize()
    {
        QFETCH(QSize, pixels);
        QFETCH(int, textWidth);
        QFETCH(QSizeF, shown);
        QCOMPARE(PictureFile::shownSize(pixels, textWidth), shown);
    }

    void textWidthFromSettings()
    {
        ConfigSettings s;
        s.PIC_W = 600;
        s.PIC_ML = 10;
        s.PIC_MR = 10;
        QCOMPARE(PictureFile::textWidth(s), 580);
        s.PIC_ML = 2000000000;
        s.PIC_MR = 2000000000;
        QCOMPARE(PictureFile::textWidth(s), 1);
    }

    void insertedJpegStoredUnchangedAndScaled()
    {
        const QByteArray wide = TestPictures::encoded(1200, 600, "JPEG");
        const PictureFile::Picture p = PictureFile::read(write(QStringLiteral("wide.jpg"), wide));
        const QByteArray small = TestPictures::encoded(40, 20, "PNG");
        const PictureFile::Picture q = PictureFile::read(write(QStringLiteral("small.png"), small));
        QTextDocument doc;
        QTextCursor cursor(&doc);
        cursor.insertText(QStringLiteral("Look: "));
        PictureFile::insert(cursor, p, 580);
        PictureFile::insert(cursor, q, 580);
        QList<QTextImageFormat> shown = TestPictures::in(doc);
        QCOMPARE(shown.size(), 2);
        QCOMPARE(QSizeF(shown[0].width(), shown[0].height()), QSizeF(580, 290));
        QCOMPARE(QSizeF(shown[1].width(), shown[1].height()), QSizeF(40, 20));

        const std::string rtf = RtfWriter::write(doc);
        const QByteArray text = QByteArray::fromStdString(rtf).replace("\r\n", "");
        QVERIFY(text.contains("\\jpegblip\\picw1200\\pich600\\picwgoal8700\\pichgoal4350" + wide.toHex()));
        QVERIFY(text.contains("\\pngblip\\picw40\\pich20"));

        // Reopened, the letter shows both pictures at their sizes and keeps the JPEG.
        QTextDocument again;
        LetterDocument::load(rtf, &again);
        shown = TestPictures::in(again);
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].width(), 580.0);
        QCOMPARE(JpegPicture::bytesOf(shown[0]), wide);
        QVERIFY(!again.resource(QTextDocument::ImageResource, QUrl(shown[1].name())).value<QImage>().isNull());
    }

    void sortsDroppedFiles()
    {
        const QString png = write(QStringLiteral("drop.png"), TestPictures::encoded(4, 4, "PNG"));
        const QString pdf = write(QStringLiteral("drop.pdf"), QByteArray("%PDF-1.4\n%\xE2\xE3\n1 0 obj\n<<>>\nendobj\n"));
        const PictureFile::Dropped d = PictureFile::sort({QUrl::fromLocalFile(png), QUrl::fromLocalFile(pdf),
                                                          QUrl(QStringLiteral("https://example.org/x.png")),
                                                          QUrl::fromLocalFile(m_dir.path())});
        QCOMPARE(d.pictures, QStringList{png});
        QCOMPARE(d.others, QStringList{pdf});
    }

    void sizes_data()
    {
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("value");
        QTest::addColumn<QSize>("result");
        QTest::newRow("50 percent") << QSize(400, 300) << "percent" << 50 << QSize(200, 150);
        QTest::newRow("tiny percent keeps a pixel") << QSize(400, 3) << "percent" << 1 << QSize(4, 1);
        QTest::newRow("percent capped") << QSize(4000, 3000) << "percent" << 100000 << QSize(10000, 10000);
        QTest::newRow("width keeps aspect") << QSize(400, 300) << "width" << 200 << QSize(200, 150);
        QTest::newRow("height keeps aspect") << QSize(400, 300) << "height" << 600 << QSize(800, 600);
        QTest::newRow("zero width") << QSize(400, 300) << "width" << 0 << QSize(1, 1);
    }
    void sizes()
    {
        QFETCH(QSize, natural);
        QFETCH(QString, how);
        QFETCH(int, value);
        QFETCH(QSize, result);
        const QSize got = how == QLatin1String("percent") ? PictureSize::scaled(natural, value)
                          : how == QLatin1String("width") ? PictureSize::withWidth(natural, value)
                                                          : PictureSize::withHeight(natural, value);
        QCOMPARE(got, result);
    }

    void resizesThePictureAtTheCaret()
    {
        QTextDocument doc;
        QTextCursor cursor(&doc);
        cursor.insertText(QStringLiteral("ab"));
        PictureFile::Picture p;
        p.image = QImage(200, 100, QImage::Format_RGB32);
        PictureFile::insert(cursor, p, 580);
        cursor.insertText(QStringLiteral("cd"));
        doc.setModified(false);

        QTextCursor caret(&doc);
        caret.setPosition(1);
        QVERIFY(PictureSize::pictureAt(caret).isNull());
        caret.setPosition(2); // just before the picture
        QTextCursor picture = PictureSize::pictureAt(caret);
        QCOMPARE(picture.selectionStart(), 2);
        caret.setPosition(3); // just after it
        QCOMPARE(PictureSize::pictureAt(caret).selectionStart(), 2);
        caret.setPosition(0);
        caret.setPosition(4, QTextCursor::KeepAnchor); // more than the picture
        QVERIFY(PictureSize::pictureAt(caret).isNull());

        QCOMPARE(PictureSize::naturalSize(picture), QSize(200, 100));
        PictureSize::resize(picture, PictureSize::scaled(QSize(200, 100), 50));
        QCOMPARE(PictureSize::shownSize(picture), QSize(100, 50));
        QCOMPARE(TestPictures::in(doc).value(0).width(), 100.0);
        QCOMPARE(doc.toPlainText().size(), 5);
        // One undo step takes the size back.
        doc.undo();
        QCOMPARE(TestPictures::in(doc).value(0).width(), 200.0);
    }
};

QTEST_MAIN(TestPictureFile)
#include "tst_picturefile.moc"
