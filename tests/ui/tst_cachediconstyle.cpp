#include "os/PictureCache.h"
#include "ui/CachedIconStyle.h"

#include <QApplication>
#include <QDir>
#include <QPixmapCache>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QtTest>

// The style that serves a tool bar's extension arrows from the picture cache draws them as
// its base style does, in either direction, and leaves every other icon to the base.
class TestCachedIconStyle : public QObject
{
    Q_OBJECT

private:
    static QImage pixels(const QIcon &icon) { return icon.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32); }

private slots:
    void extensionArrowsAreTheBaseStyles()
    {
        QTemporaryDir dir;
        const PictureCache cache(dir.path());
        QStyle *plain = QStyleFactory::create(QStringLiteral("Fusion"));
        CachedIconStyle style(QStyleFactory::create(QStringLiteral("Fusion")), cache);
        for (const auto arrow : {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton})
            for (const auto direction : {Qt::LeftToRight, Qt::RightToLeft}) {
                QStyleOption option;
                option.direction = direction;
                const QImage expected = pixels(plain->standardIcon(arrow, &option));
                QCOMPARE(pixels(style.standardIcon(arrow, &option)), expected); // drawn and kept
                QCOMPARE(pixels(style.standardIcon(arrow, &option)), expected); // from the cache
            }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 4);
        QCOMPARE(pixels(style.standardIcon(QStyle::SP_DialogOkButton)), pixels(plain->standardIcon(QStyle::SP_DialogOkButton)));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 4);
        delete plain;
    }

    void anArrowOutlivesItsStyle()
    {
        QTemporaryDir dir;
        const PictureCache cache(dir.path());
        auto *style = new CachedIconStyle(QStyleFactory::create(QStringLiteral("Fusion")), cache);
        const QIcon arrow = style->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        delete style;
        QPixmapCache::clear();
        QVERIFY(!arrow.pixmap(QSize(16, 16)).isNull()); // drawn by the style in use
    }
};

QTEST_MAIN(TestCachedIconStyle)
#include "tst_cachediconstyle.moc"
