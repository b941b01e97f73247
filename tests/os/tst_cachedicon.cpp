#include "os/CachedIcon.h"
#include "os/PictureCache.h"
#include "os/ProgramIcons.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmapCache>
#include <QTemporaryDir>
#include <QtTest>

// Icons drawn once and then taken from the picture cache: the source is made only for a
// picture not kept yet, and every colour, size, scale and mode the picture depends on
// leads to a picture of its own.
class TestCachedIcon : public QObject
{
    Q_OBJECT

private:
    // A maker that counts its calls and draws a square in the palette's text colour, in
    // three sizes.
    struct Source
    {
        int made = 0;
        CachedIcon::Maker maker()
        {
            return [this] {
                ++made;
                QIcon icon;
                for (int side : {8, 16, 32}) {
                    QPixmap picture(side, side);
                    picture.fill(QGuiApplication::palette().color(QPalette::WindowText));
                    icon.addPixmap(picture);
                }
                return icon;
            };
        }
    };

    static QImage pixels(const QPixmap &p) { return p.toImage().convertToFormat(QImage::Format_ARGB32); }

private slots:
    void aKeptPictureNeedsNoSource()
    {
        QTemporaryDir dir;
        const PictureCache cache(dir.path());
        Source first;
        const QIcon drawn = CachedIcon::wrap("square", first.maker(), cache, {});
        const QImage once = pixels(drawn.pixmap(QSize(16, 16)));
        QCOMPARE(first.made, 1);

        // Repaints in this run come from memory: the disk is not read again.
        for (const QString &f : QDir(dir.path()).entryList(QDir::Files))
            QFile::rename(dir.filePath(f), dir.filePath(f + QStringLiteral(".away")));
        QCOMPARE(pixels(drawn.pixmap(QSize(16, 16))), once);
        QCOMPARE(first.made, 1);
        for (const QString &f : QDir(dir.path()).entryList(QDir::Files))
            QFile::rename(dir.filePath(f), dir.filePath(f.chopped(5)));

        // The next run (nothing in memory): a new icon of the same source is never made.
        QPixmapCache::clear();
        Source second;
        QIcon kept = CachedIcon::wrap("square", second.maker(), cache, {});
        QCOMPARE(pixels(kept.pixmap(QSize(16, 16))), once);
        QVERIFY(!kept.isNull());
        QCOMPARE(second.made, 0);

        // Twice the scale: a picture of its own, twice as many pixels, marked as such.
        const QPixmap sharp = kept.pixmap(QSize(16, 16), 2.0);
        QCOMPARE(sharp.devicePixelRatio(), 2.0);
        QCOMPARE(sharp.size(), QSize(32, 32));
        QCOMPARE(second.made, 1);
        const QPixmap keptSharp = CachedIcon::wrap("square", second.maker(), cache, {}).pixmap(QSize(16, 16), 2.0);
        QCOMPARE(keptSharp.size(), QSize(32, 32));
        QCOMPARE(keptSharp.devicePixelRatio(), 2.0);
        QCOMPARE(second.made, 1);
        // Another source under another name.
        CachedIcon::wrap("circle", second.maker(), cache, {}).pixmap(QSize(16, 16));
        QCOMPARE(second.made, 2);
    }

    void coloursAndLookBelongToTheKey()
    {
        QTemporaryDir dir;
        const PictureCache cache(dir.path());
        const QPalette before = QGuiApplication::palette();
        Source source;
        const CachedIcon::Kind follows{true, false, "fusion"};
        const QIcon icon = CachedIcon::wrap("mono", source.maker(), cache, follows);
        const QImage light = pixels(icon.pixmap(QSize(8, 8)));

        QPalette dark = before;
        dark.setColor(QPalette::Window, Qt::black);
        dark.setColor(QPalette::WindowText, Qt::white);
        QGuiApplication::setPalette(dark);
        QPixmapCache::clear();
        const QImage onDark = pixels(CachedIcon::wrap("mono", source.maker(), cache, follows).pixmap(QSize(8, 8)));
        QCOMPARE(source.made, 2);
        QVERIFY(onDark != light);
        QCOMPARE(onDark.pixel(4, 4), qRgb(255, 255, 255));

        // An icon that keeps its colours is the same picture on either palette.
        Source fixed;
        CachedIcon::wrap("art", fixed.maker(), cache, {}).pixmap(QSize(8, 8));
        QGuiApplication::setPalette(before);
        CachedIcon::wrap("art", fixed.maker(), cache, {}).pixmap(QSize(8, 8));
        QCOMPARE(fixed.made, 1);

        // Disabled pictures are the style's: another style, another picture.
        CachedIcon::wrap("art", fixed.maker(), cache, {false, false, "fusion"}).pixmap(QSize(8, 8), QIcon::Disabled);
        CachedIcon::wrap("art", fixed.maker(), cache, {false, false, "fusion"}).pixmap(QSize(8, 8), QIcon::Disabled);
        QCOMPARE(fixed.made, 2);
        CachedIcon::wrap("art", fixed.maker(), cache, {false, false, "windows"}).pixmap(QSize(8, 8), QIcon::Disabled);
        QCOMPARE(fixed.made, 3);
    }

    void artworkAnswersWithoutItsSource()
    {
        QTemporaryDir dir;
        const PictureCache cache(dir.path());
        Source source;
        QIcon art = CachedIcon::wrap("artwork", source.maker(), cache, {false, true, {}});
        QVERIFY(!art.isNull());
        QVERIFY(art.availableSizes().isEmpty());
        QCOMPARE(source.made, 0);
        // A theme icon asked whether it is there, before any picture: its source answers,
        // once; the answer is kept for the next run.
        Source themed;
        QVERIFY(!CachedIcon::wrap("theme", themed.maker(), cache, {}).isNull());
        QVERIFY(!CachedIcon::wrap("theme", themed.maker(), cache, {}).isNull());
        QCOMPARE(themed.made, 1);
        // The same icon asked again answers from memory, not from the disk nor its source.
        QIcon kept = CachedIcon::wrap("theme", themed.maker(), cache, {});
        QVERIFY(!kept.isNull());
        QVERIFY(QDir(dir.path()).removeRecursively());
        QVERIFY(!kept.isNull());
        QCOMPARE(themed.made, 1);
        // A source that is not there is asked every time.
        int asked = 0;
        const auto nothing = [&asked] { ++asked; return QIcon(); };
        QVERIFY(CachedIcon::wrap("gone", nothing, cache, {}).isNull());
        QVERIFY(CachedIcon::wrap("gone", nothing, cache, {}).isNull());
        QCOMPARE(asked, 2);
    }

    // Every icon the windows show looks the same from the cache as drawn afresh.
    void programIconsFromTheCacheAreTheDrawnOnes()
    {
        ProgramIcons::installFallbackTheme();
        QTemporaryDir dir;
        const PictureCache cache(dir.path());
        QStringList differ;
        for (const ProgramIcons::Role role : ProgramIcons::allRoles()) {
            ProgramIcons::keepPicturesIn(nullptr, {});
            const QImage drawn = pixels(ProgramIcons::icon(role).pixmap(QSize(24, 24)));
            ProgramIcons::keepPicturesIn(&cache, QStringLiteral("fusion"));
            ProgramIcons::icon(role).pixmap(QSize(24, 24));
            QPixmapCache::clear();
            const QImage kept = pixels(ProgramIcons::icon(role).pixmap(QSize(24, 24)));
            if (kept != drawn)
                differ << ProgramIcons::source(role);
        }
        ProgramIcons::keepPicturesIn(nullptr, {});
        QVERIFY2(differ.isEmpty(), qPrintable(differ.join(QStringLiteral(", "))));
        QVERIFY(!QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }
};

QTEST_MAIN(TestCachedIcon)
#include "tst_cachedicon.moc"
