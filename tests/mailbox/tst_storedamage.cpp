#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "tests/mailbox/StoreBytes.h"
#include "tests/support/TestFiles.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <limits>

using namespace StoreBytes;

// Damaged stores: torn appends, bad lengths, junk between records, short files. The
// walk must list every whole record, never read outside the file, and the purge must
// carry the damage through untouched.
class TestStoreDamage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;

    static std::string str(const QByteArray &b) { return std::string(b.constData(), size_t(b.size())); }

    QList<qint64> listed() const
    {
        QList<qint64> list;
        for (const MailSummary &s : MailStore(m_path).ScanStore())
            list << s.position;
        return list;
    }

    QList<QPair<qint64, qint64>> damage() const
    {
        QList<QPair<qint64, qint64>> list;
        for (const StoreWalker::Step &s : MailStore(m_path).walkStore())
            if (!s.isRecord)
                list << qMakePair(qint64(s.start), qint64(s.end));
        return list;
    }

    // The walk's steps cover the file from the first record position without gap,
    // every listed record reads back with its own length, and a purge keeps exactly
    // the steps that are not deleted records.
    void checkConsistent(const QByteArray &bytes)
    {
        TestFiles::write(m_path, bytes);
        const MailStore store(m_path);
        const std::vector<StoreWalker::Step> steps = store.walkStore();
        qint64 at = 100;
        QByteArray kept = bytes.left(100);
        for (const StoreWalker::Step &s : steps) {
            QCOMPARE(qint64(s.start), at);
            QVERIFY(s.end > s.start);
            at = s.end;
            if (s.isRecord) {
                QCOMPARE(s.end - s.start, 20 + qint64(s.header.length));
                QCOMPARE(store.ReadMailText(s.start).size(), size_t(s.header.length));
            }
            if (!s.isRecord || s.header.boxCode != 'D')
                kept += bytes.mid(int(s.start), int(s.end - s.start));
        }
        QCOMPARE(at, std::max<qint64>(100, bytes.size()));
        store.ScanStore();
        store.PurgeDeleted();
        QCOMPARE(TestFiles::read(m_path), bytes.size() < 100 ? bytes : kept);
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("MailBox.dat"));
    }

    void everyCutInsideTheLastRecord()
    {
        const QByteArray a = record(mail(1)), b = record(mail(2), 'D'), c = record(mail(3, 150), 's');
        const QByteArray good = fileHeader() + a + b;
        const qint64 posB = 100 + a.size(), posC = good.size();
        // Longer than the torn record, so that the torn record's end never falls exactly
        // on the end of the file (it would then look whole: nothing can tell them apart).
        const QByteArray next = mail(4, 600);
        QVERIFY(next.size() > c.size());
        for (int cut = 1; cut < c.size(); ++cut) {
            const QByteArray torn = good + c.left(cut);
            TestFiles::write(m_path, torn);
            QCOMPARE(listed(), (QList<qint64>{100, posB}));
            QCOMPARE(damage(), (QList<QPair<qint64, qint64>>{{posC, torn.size()}}));
            QVERIFY_THROWS_EXCEPTION(AppError, MailStore(m_path).ReadMailText(posC));

            // More mails appended after the torn one stay visible, and so do the earlier ones.
            const qint64 posD = MailStore(m_path).AppendMail(str(next), 'u', 'N');
            QCOMPARE(posD, qint64(torn.size()));
            QVERIFY2(listed() == (QList<qint64>{100, posB, posD}), qPrintable(QStringLiteral("cut %1").arg(cut)));
            QCOMPARE(MailStore(m_path).ReadMailText(posD), str(next));
            QCOMPARE(MailStore(m_path).ReadMailText(100), str(mail(1)));

            // The purge removes the deleted record and keeps the torn bytes as they are.
            MailStore(m_path).PurgeDeleted();
            QCOMPARE(TestFiles::read(m_path), fileHeader() + a + c.left(cut) + record(next));
        }
    }

    void badLengths_data()
    {
        QTest::addColumn<qint64>("length");   // of the middle record B; -1000 stands for "into C"
        QTest::addColumn<bool>("bListed");
        const qint64 realB = mail(2, 500).size();
        QTest::newRow("negative") << qint64(-1) << false;
        QTest::newRow("most negative") << qint64(std::numeric_limits<std::int32_t>::min()) << false;
        QTest::newRow("zero") << qint64(0) << true;
        QTest::newRow("shorter than the text") << realB - 10 << true;
        QTest::newRow("larger than the file") << qint64(100000) << false;
        QTest::newRow("2^31-1") << qint64(0x7FFFFFFF) << false;
        QTest::newRow("into the next record") << qint64(-1000) << false;
        QTest::newRow("onto the next text") << realB + 20 << false;
    }
    void badLengths()
    {
        QFETCH(qint64, length);
        QFETCH(bool, bListed);
        const QByteArray a = record(mail(1), 'D');
        const QByteArray textB = mail(2, 500), c = record(mail(3, 800), 't');
        if (length == -1000)
            length = textB.size() + 20 + c.size() / 2;
        const QByteArray b = recordWithLength(textB, std::int32_t(length));
        const QByteArray bytes = fileHeader() + a + b + c;
        const qint64 posB = 100 + a.size(), posC = posB + b.size();
        TestFiles::write(m_path, bytes);

        const QList<qint64> expected = bListed ? QList<qint64>{100, posB, posC} : QList<qint64>{100, posC};
        QCOMPARE(listed(), expected);
        QCOMPARE(MailStore(m_path).ReadMailText(posC), str(mail(3, 800)));
        QCOMPARE(damage().size(), 1);
        QCOMPARE(damage().first().second, posC);
        if (!bListed)
            QVERIFY_THROWS_EXCEPTION(AppError, MailStore(m_path).SetBoxCode(posB, "D"));
        checkConsistent(bytes);
        QCOMPARE(TestFiles::read(m_path), fileHeader() + b + c);
    }

    void junkBetweenRecords_data()
    {
        QTest::addColumn<QByteArray>("junk");
        QTest::newRow("one byte") << QByteArray("x");
        QTest::newRow("zeros") << QByteArray(300, '\0');
        QTest::newRow("a partial header") << record("abc").left(13);
        QTest::newRow("a fake header pointing far") << recordWithLength("", 1 << 30);
        QTest::newRow("a fake header pointing into B") << recordWithLength("", 25);
        QTest::newRow("reserved text alone") << QByteArray("0000-0000-0000N0000-0000-0000");
    }
    void junkBetweenRecords()
    {
        QFETCH(QByteArray, junk);
        const QByteArray a = record(mail(1)), b = record(mail(2));
        const QByteArray bytes = fileHeader() + a + junk + b;
        TestFiles::write(m_path, bytes);
        QCOMPARE(listed(), (QList<qint64>{100, 100 + a.size() + junk.size()}));
        QCOMPARE(damage(), (QList<QPair<qint64, qint64>>{{100 + a.size(), 100 + a.size() + junk.size()}}));
        QCOMPARE(MailStore(m_path).ReadMailText(100), str(mail(1)));
        checkConsistent(bytes);
    }

    void shortFiles_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("empty") << 0;
        QTest::newRow("half a header") << 50;
        QTest::newRow("header less one") << 99;
        QTest::newRow("header only") << 100;
        QTest::newRow("header and a byte") << 101;
        QTest::newRow("header and 19 bytes") << 119;
    }
    void shortFiles()
    {
        QFETCH(int, size);
        const QByteArray bytes = (fileHeader() + record("")).left(size);
        TestFiles::write(m_path, bytes);
        const MailStore store(m_path);
        QVERIFY(store.ScanStore().empty());
        QVERIFY_THROWS_EXCEPTION(AppError, store.ReadMailText(100));
        QVERIFY_THROWS_EXCEPTION(AppError, store.SetBoxCode(100, "D"));
        store.PurgeDeleted();
        QCOMPARE(TestFiles::read(m_path), bytes);
        QCOMPARE(damage().isEmpty(), size <= 100);
    }

    void randomDamage()
    {
        // Good stores with bytes overwritten, cut or inserted at random places.
        QRandomGenerator rng(20021202);
        for (int round = 0; round < 150; ++round) {
            QByteArray bytes = fileHeader();
            const int count = 1 + int(rng.bounded(8));
            for (int i = 0; i < count; ++i)
                bytes += record(mail(i, int(rng.bounded(1500))), "ustD"[rng.bounded(4)], rng.bounded(2) ? 'Y' : 'N');
            const int hits = 1 + int(rng.bounded(4));
            for (int h = 0; h < hits; ++h) {
                const int at = 100 + int(rng.bounded(bytes.size() - 100));
                switch (rng.bounded(4)) {
                case 0: bytes[at] = char(rng.bounded(256)); break;
                case 1: bytes.truncate(at); break;
                case 2: bytes.insert(at, QByteArray(int(rng.bounded(40)) + 1, char(rng.bounded(256)))); break;
                default: bytes.remove(at, int(rng.bounded(30)) + 1); break;
                }
                if (bytes.size() <= 100)
                    break;
            }
            checkConsistent(bytes);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void randomBytes()
    {
        QRandomGenerator rng(4711);
        for (int round = 0; round < 100; ++round) {
            QByteArray bytes(int(rng.bounded(4000)), '\0');
            for (char &c : bytes)
                c = rng.bounded(4) ? char(rng.bounded(256)) : "0000-0000-0000YN"[rng.bounded(16)];
            checkConsistent(bytes);
            if (QTest::currentTestFailed())
                return;
        }
    }
};

QTEST_GUILESS_MAIN(TestStoreDamage)
#include "tst_storedamage.moc"
