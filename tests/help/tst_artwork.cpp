#include "os/ProgramIcons.h"

#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTest>

// The program's own artwork is compiled into vellorn_os; a program that links it
// must find every picture and get a drawn (not empty) image at the sizes the windows use.
class TestArtwork : public QObject
{
    Q_OBJECT

    // Share of pixels that are not fully transparent.
    static double coverage(const QImage &image)
    {
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        qint64 drawn = 0;
        for (int y = 0; y < argb.height(); ++y)
            for (int x = 0; x < argb.width(); ++x)
                if (qAlpha(argb.pixel(x, y)) > 0)
                    ++drawn;
        return double(drawn) / double(argb.width() * argb.height());
    }

private slots:
    void drawsAtItsSizes_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QSize>("size");
        using R = ProgramIcons::Role;
        for (int side : {16, 24, 48, 256})
            QTest::addRow("icon %d", side) << int(R::ProgramIcon) << QSize(side, side);
        QTest::newRow("logo") << int(R::Logo) << QSize(120, 48);
        QTest::newRow("about") << int(R::AboutPicture) << QSize(420, 280);
        QTest::newRow("tips") << int(R::TipsPicture) << QSize(90, 250);
    }

    void drawsAtItsSizes()
    {
        QFETCH(int, role);
        QFETCH(QSize, size);
        const QIcon icon = ProgramIcons::icon(ProgramIcons::Role(role));
        QVERIFY(!icon.isNull());
        const QImage image = icon.pixmap(size).toImage();
        QCOMPARE(image.size(), size);
        // The icon and the logo stand on a transparent ground; the pictures fill their area.
        const double drawn = coverage(image);
        QVERIFY2(drawn > (role == int(ProgramIcons::Role::Logo) ? 0.2 : 0.6), qPrintable(QString::number(drawn)));
    }
};

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
