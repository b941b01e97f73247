#include "os/PictureCache.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

// The picture cache gives back exactly what it kept, and treats every file it did not
// write whole (cut short, grown, foreign, lying about its size) as a miss.
class TestPictureCache : public QObject
{
    Q_OBJECT

private:
    static QImage sample()
    {
        QImage image(5, 3, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qPremultiply(qRgba(x * 50, y * 80, 200, x == 0 ? 0 : 128 + y * 40)));
        return image;
    }

    static QString onlyFile(const QString &folder)
    {
        const QStringList files = QDir(folder).entryList(QDir::Files);
        return files.size() == 1 ? QDir(folder).filePath(files.first()) : QString();
    }

private slots:
    void keptPicturesComeBackAsTheyWere()
    {
        QTemporaryDir dir;
        const PictureCache cache(dir.filePath(QStringLiteral("pictures")));
        QVERIFY(cache.find("a").isNull());
        cache.store("a", sample());
        const QImage found = cache.find("a");
        QCOMPARE(found, sample());
        QVERIFY(cache.find("b").isNull());
        // Another format is kept as the same pixels.
        cache.store("rgb", sample().convertToFormat(QImage::Format_ARGB32));
        QCOMPARE(cache.find("rgb"), sample());
    }

    void damagedFilesAreMisses_data()
    {
        QTest::addColumn<int>("damage");
        QTest::newRow("cut short") << 0;
        QTest::newRow("one byte more") << 1;
        QTest::newRow("empty") << 2;
        QTest::newRow("other magic") << 3;
        QTest::newRow("another key under this name") << 4;
        QTest::newRow("huge size, small body") << 5;
        QTest::newRow("zero width") << 6;
        QTest::newRow("key length past the end") << 7;
    }

    void damagedFilesAreMisses()
    {
        QFETCH(int, damage);
        QTemporaryDir dir;
        const PictureCache cache(dir.path());
        cache.store("key", sample());
        const QString path = onlyFile(dir.path());
        QVERIFY(!path.isEmpty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        // Layout: 8 bytes magic, 4 bytes key length, the key (3 bytes), width, height, pixels.
        const int sizeAt = 8 + 4 + 3;
        auto putNumber = [&bytes](int at, quint32 value) { qToLittleEndian(value, bytes.data() + at); };
        switch (damage) {
        case 0: bytes.chop(1); break;
        case 1: bytes.append('x'); break;
        case 2: bytes.clear(); break;
        case 3: bytes[0] = 'X'; break;
        case 4: bytes[12] = 'K'; break;
        case 5: putNumber(sizeAt, 4096); putNumber(sizeAt + 4, 4096); break;
        case 6: putNumber(sizeAt, 0); break;
        case 7: putNumber(8, 0xFFFFFFF0u); break;
        }
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        QVERIFY(cache.find("key").isNull());
        // A new picture mends the file.
        cache.store("key", sample());
        QCOMPARE(cache.find("key"), sample());
    }

    void theOldestGoPastTheLimit()
    {
        QTemporaryDir dir;
        const qint64 one = QFileInfo([&] {
            const PictureCache probe(dir.filePath(QStringLiteral("one")));
            probe.store("k", sample());
            return onlyFile(dir.filePath(QStringLiteral("one")));
        }()).size();
        // Room for two pictures; each picture kept by a run of its own, a day after the one before.
        const QString two = dir.filePath(QStringLiteral("two"));
        const qint64 limit = 2 * one + one / 2;
        const QDateTime now = QDateTime::currentDateTime();
        int age = 3;
        for (const QByteArray key : {"old", "mid", "new"}) {
            PictureCache(two, limit).store(key, sample());
            for (const QFileInfo &f : QDir(two).entryInfoList(QDir::Files)) {
                QFile file(f.filePath());
                if (f.lastModified() > now.addDays(-1) && file.open(QIODevice::ReadWrite))
                    file.setFileTime(now.addDays(-age), QFileDevice::FileModificationTime);
            }
            --age;
        }
        const PictureCache cache(two, limit);
        QVERIFY(cache.find("old").isNull());
        QCOMPARE(cache.find("mid"), sample());
        QCOMPARE(cache.find("new"), sample());
        // A picture larger than the whole limit is still kept: it is the one in use.
        const QString tiny = dir.filePath(QStringLiteral("tiny"));
        PictureCache(tiny, 1).store("a", sample());
        PictureCache(tiny, 1).store("b", sample());
        QVERIFY(PictureCache(tiny, 1).find("a").isNull());
        QCOMPARE(PictureCache(tiny, 1).find("b"), sample());

        // A write cut short by an ended run is cleared away once it is old; one under way stays.
        QFile stale(QDir(two).filePath(QStringLiteral("x.pic.abc.tmp")));
        QFile fresh(QDir(two).filePath(QStringLiteral("y.pic.abc.tmp")));
        QVERIFY(stale.open(QIODevice::WriteOnly) && fresh.open(QIODevice::WriteOnly));
        QVERIFY(stale.setFileTime(now.addDays(-1), QFileDevice::FileModificationTime));
        stale.close();
        fresh.close();
        PictureCache(two, limit).store("newer", sample());
        QVERIFY(!stale.exists());
        QVERIFY(fresh.exists());
    }

    void nothingIsKeptWhereNothingCanBe()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        // A folder that is a file, and no folder at all: quiet misses.
        for (const QString &folder : {blocker.fileName() + QStringLiteral("/pictures"), QString()}) {
            const PictureCache cache(folder);
            cache.store("a", sample());
            QVERIFY(cache.find("a").isNull());
        }
        // Too large to keep.
        const PictureCache cache(dir.path());
        cache.store("big", QImage(PictureCache::kLargestSide + 1, 1, QImage::Format_ARGB32_Premultiplied));
        QVERIFY(cache.find("big").isNull());
    }
};

QTEST_GUILESS_MAIN(TestPictureCache)
#include "tst_picturecache.moc"
