#include "mailbox/MailStore.h"
#include "mailbox/StoreFile.h"
#include "os/AppError.h"
#include "tests/mailbox/StoreBytes.h"
#include "tests/support/ReadOnlyFile.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace StoreBytes;

// The store's routines on whole files: positions, boxes, reading, listing and purging.
class TestMailStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;

    static std::string str(const QByteArray &b) { return std::string(b.constData(), size_t(b.size())); }

    QByteArray storeBytes() const { return TestFiles::read(m_path); }

    QList<qint64> positions(const MailStore &store) const
    {
        QList<qint64> list;
        for (const MailSummary &s : store.ScanStore())
            list << s.position;
        return list;
    }

    static QString errorOf(const std::function<void()> &call)
    {
        try {
            call();
        } catch (const AppError &e) {
            return QString::fromStdString(e.what());
        }
        return QString();
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("MailBox.dat"));
        TestFiles::write(m_path, fileHeader());
    }

    void appendPositionsAndReadBack()
    {
        const MailStore store(m_path);
        QVERIFY(store.ScanStore().empty());
        const QByteArray a = mail(1), b = mail(2, 3000);
        QCOMPARE(store.AppendMail(str(a), 'u', 'N'), qint64(100));
        QCOMPARE(store.AppendMail(str(b), 's', 'Y'), qint64(100 + 20 + a.size()));
        QCOMPARE(store.AppendMail("", 't', 'N'), qint64(100 + 20 + a.size() + 20 + b.size()));
        // The layout, byte for byte, as an independent writer makes it.
        QCOMPARE(storeBytes(), fileHeader() + record(a) + record(b, 's', 'Y') + record("", 't'));
        QCOMPARE(store.ReadMailText(100), str(a));
        QCOMPARE(store.ReadMailText(120 + a.size()), str(b));
        QCOMPARE(store.ReadMailText(140 + a.size() + b.size()), std::string());

        const std::vector<MailSummary> list = store.ScanStore();
        QCOMPARE(int(list.size()), 3);
        QCOMPARE(list[1].position, std::int64_t(120 + a.size()));
        QCOMPARE(list[1].boxCode, 's');
        QCOMPARE(list[1].attachFlag, 'Y');
        QCOMPARE(list[1].to, std::string("Person 2"));
        QCOMPARE(list[1].subject, std::string("mail 2"));
        QCOMPARE(list[1].date, std::string("2002-12-02 10:20:30"));
        QCOMPARE(list[1].sizeText, std::string("3 KB"));
        QCOMPARE(list[2].sizeText, std::string("0 KB"));
    }

    void binaryTextUnchanged()
    {
        const MailStore store(m_path);
        std::string text;
        for (int i = 0; i < 3000; ++i)
            text += char(i * 7);
        const qint64 pos = store.AppendMail(text, 'u', 'Y');
        QCOMPARE(store.ReadMailText(pos), text);
    }

    void windowStaysInsideItsRecord()
    {
        const MailStore store(m_path);
        // A short mail followed by one whose first bytes look like headers.
        store.AppendMail("X-Short: yes", 'u', 'N');
        store.AppendMail("To: \"Next\" <n@x>\r\nSubject: next\r\nDate: Mon, 02 Dec 2002 10:20:30 +0800\r\n", 'u', 'N');
        // Headers beyond the first 1024 bytes are not seen.
        std::string late = "X-Filler: " + std::string(1010, 'f') + "\r\nSubject: late\r\nTo: \"Late\" <l@x>\r\n";
        store.AppendMail(late, 'u', 'N');
        std::string edge = std::string(1011, 'e') + "\r\nSubject: ab";   // the window ends after "ab"
        edge += "cdef\r\n";
        store.AppendMail(edge, 'u', 'N');
        const std::vector<MailSummary> list = store.ScanStore();
        QCOMPARE(int(list.size()), 4);
        QCOMPARE(list[0].to, std::string());
        QCOMPARE(list[0].subject, std::string());
        QCOMPARE(list[1].subject, std::string("next"));
        QCOMPARE(list[2].subject, std::string());
        QCOMPARE(list[2].to, std::string());
        QCOMPARE(list[3].subject, std::string("ab"));
    }

    void deleteAndPurge_data()
    {
        QTest::addColumn<QList<int>>("deleted");
        QTest::newRow("middle") << QList<int>{2};
        QTest::newRow("two adjacent") << QList<int>{1, 2};
        QTest::newRow("last") << QList<int>{4};
        QTest::newRow("first") << QList<int>{0};
        QTest::newRow("all") << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("every other") << QList<int>{0, 2, 4};
        QTest::newRow("none") << QList<int>{};
    }
    void deleteAndPurge()
    {
        QFETCH(QList<int>, deleted);
        const MailStore store(m_path);
        QList<QByteArray> texts;
        QList<qint64> pos;
        for (int i = 0; i < 5; ++i) {
            texts << mail(i, 200 + 997 * i);
            pos << store.AppendMail(str(texts.last()), "ust"[i % 3], i % 2 ? 'Y' : 'N');
        }
        const QByteArray before = storeBytes();
        QByteArray expected = fileHeader();
        for (int i = 0; i < 5; ++i) {
            if (deleted.contains(i))
                store.SetBoxCode(pos[i], "Deleted");   // the first character counts
            else
                expected += record(texts[i], "ust"[i % 3], i % 2 ? 'Y' : 'N');
        }
        // Marked records are still listed (the caller sorts them out); the size stays.
        QCOMPARE(storeBytes().size(), before.size());
        const std::vector<MailSummary> list = store.ScanStore();
        QCOMPARE(int(list.size()), 5);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(list[size_t(i)].boxCode, deleted.contains(i) ? 'D' : "ust"[i % 3]);

        struct stat old{};
        ::stat(QFile::encodeName(m_path).constData(), &old);
        store.PurgeDeleted();
        QCOMPARE(storeBytes(), expected);
        if (deleted.isEmpty()) {
            // Not rewritten at all.
            struct stat now{};
            ::stat(QFile::encodeName(m_path).constData(), &now);
            QCOMPARE(now.st_ino, old.st_ino);
        }
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("MailBox.dat")});
    }

    void purgeKeepsLinkAndPermissions()
    {
        const QString real = m_dir.filePath(QStringLiteral("real.dat"));
        QVERIFY(QFile::rename(m_path, real));
        QVERIFY(QFile::link(real, m_path));
        QVERIFY(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const MailStore store(m_path);
        store.AppendMail(str(mail(1)), 'D', 'N');
        store.AppendMail(str(mail(2)), 'u', 'N');
        store.PurgeDeleted();
        QVERIFY(QFileInfo(m_path).isSymLink());
        QCOMPARE(TestFiles::read(real), fileHeader() + record(mail(2)));
        QCOMPARE(TestFiles::unixMode(real), 0640);
        QVERIFY(QFile::remove(m_path));
        QVERIFY(QFile::rename(real, m_path));
    }

    void setBoxCodeOnlyTouchesOneByte()
    {
        const MailStore store(m_path);
        const qint64 a = store.AppendMail(str(mail(1)), 'u', 'N');
        const qint64 b = store.AppendMail(str(mail(2)), 'u', 'N');
        QByteArray expected = storeBytes();
        store.SetBoxCode(b, "s");
        store.SetBoxCode(a, "t");
        expected[int(a + 4)] = 't';
        expected[int(b + 4)] = 's';
        QCOMPARE(storeBytes(), expected);
        QVERIFY(!errorOf([&] { store.SetBoxCode(a, ""); }).isEmpty());
        QCOMPARE(storeBytes(), expected);
    }

    void positionsThatAreNoRecord_data()
    {
        QTest::addColumn<qint64>("position");
        QTest::newRow("inside the file header") << qint64(0);
        QTest::newRow("just before the record") << qint64(99);
        QTest::newRow("inside the header") << qint64(101);
        QTest::newRow("inside the text") << qint64(150);
        QTest::newRow("at the end") << qint64(-1);
        QTest::newRow("past the end") << qint64(1000000);
        QTest::newRow("negative") << qint64(-5);
    }
    void positionsThatAreNoRecord()
    {
        QFETCH(qint64, position);
        const MailStore store(m_path);
        store.AppendMail(str(mail(1)), 'u', 'N');
        const QByteArray before = storeBytes();
        if (position == -1)
            position = before.size();
        const QString expected = QStringLiteral("No mail record starts at position %1 of %2").arg(position).arg(m_path);
        QCOMPARE(errorOf([&] { store.ReadMailText(position); }), expected);
        QCOMPARE(errorOf([&] { store.SetBoxCode(position, "D"); }), expected);
        QCOMPARE(storeBytes(), before);
    }

    void refusedAppends()
    {
        const MailStore store(m_path);
        QVERIFY(errorOf([&] { store.AppendMail("x", 'u', 'y'); }).contains(QLatin1String("'Y' or 'N'")));
        QCOMPARE(storeBytes(), fileHeader());

        // A store cut inside its file header takes no record that could never be found.
        TestFiles::write(m_path, fileHeader().left(60));
        QVERIFY(errorOf([&] { store.AppendMail("x", 'u', 'N'); }).contains(QLatin1String("100-byte")));
        QCOMPARE(storeBytes(), fileHeader().left(60));
    }

    void twoGigabyteBound()
    {
        // A sparse store just below the limit of positions.
        const MailStore store(m_path);
        QFile f(m_path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        const qint64 size = MailStore::MaxFileSize - 100;
        QVERIFY(f.resize(size));
        f.close();
        QVERIFY(errorOf([&] { store.AppendMail(std::string(81, 'x'), 'u', 'N'); }).contains(QLatin1String("2 GB")));
        QCOMPARE(QFileInfo(m_path).size(), size);
        // Up to the last byte fits.
        QCOMPARE(store.AppendMail(std::string(80, 'x'), 'u', 'N'), size);
        QCOMPARE(QFileInfo(m_path).size(), MailStore::MaxFileSize);
        QVERIFY(!errorOf([&] { store.AppendMail("", 'u', 'N'); }).isEmpty());
        QCOMPARE(QFileInfo(m_path).size(), MailStore::MaxFileSize);
        QVERIFY(f.resize(0));
    }

    // A batch lands as single appends would leave it, or, when any of its mails fails,
    // not at all.
    void appendBatch_data()
    {
        QTest::addColumn<int>("failAt");   // the mail whose text cannot be had, -1 for none
        QTest::addColumn<char>("attach");
        QTest::newRow("whole batch") << -1 << 'Y';
        QTest::newRow("first text fails") << 0 << 'N';
        QTest::newRow("last text fails") << 3 << 'N';
        QTest::newRow("bad attachment flag") << -1 << 'y';
    }
    void appendBatch()
    {
        QFETCH(int, failAt);
        QFETCH(char, attach);
        const MailStore store(m_path);
        const QByteArray first = mail(9);
        QCOMPARE(store.AppendMail(str(first), 'u', 'N'), 100);
        const QByteArray before = storeBytes();
        const QList<QByteArray> texts{mail(1), mail(2, 5000), QByteArray(), mail(3)};
        std::vector<std::int64_t> got;
        const QString error = errorOf([&] {
            got = store.AppendMails(4, 's', attach, [&](std::size_t i) {
                if (int(i) == failAt)
                    throw AppError("cannot read the mail");
                return str(texts.at(qsizetype(i)));
            });
        });
        if (failAt >= 0 || attach == 'y') {
            QVERIFY(!error.isEmpty());
            QCOMPARE(storeBytes(), before);
            return;
        }
        QCOMPARE(error, QString());
        QByteArray expected = before;
        std::vector<std::int64_t> positions;
        for (const QByteArray &text : texts) {
            positions.push_back(expected.size());
            expected += record(text, 's', 'Y');
        }
        QCOMPARE(got, positions);
        QCOMPARE(storeBytes(), expected);
        QCOMPARE(store.ReadMailText(got[1]), str(texts[1]));
    }

    // A batch is flushed once at its end; a crash before that may cut the file anywhere
    // inside it. Wherever the cut falls, the walk lists the whole records before it and
    // never a torn one.
    void batchCutAnywhereListsWholeRecords()
    {
        const MailStore store(m_path);
        const QList<QByteArray> texts{mail(1), mail(2, 300), mail(3, 70)};
        const std::vector<std::int64_t> got =
            store.AppendMails(3, 'u', 'N', [&](std::size_t i) { return str(texts.at(qsizetype(i))); });
        const QByteArray whole = storeBytes();
        for (qsizetype cut = 100; cut <= whole.size(); ++cut) {
            TestFiles::write(m_path, whole.left(cut));
            QList<qint64> expected;
            for (std::size_t i = 0; i < got.size(); ++i)
                if (got[i] + 20 + texts.at(qsizetype(i)).size() <= cut)
                    expected << got[i];
            QCOMPARE(positions(store), expected);
        }
    }

    void cannotOpen_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing" << ": not found";
        QTest::newRow("a folder") << "folder" << ": not a file";
    }
    void cannotOpen()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QString path = m_path;
        if (kind == QLatin1String("missing")) {
            path = m_dir.filePath(QStringLiteral("nothing.dat"));
        } else if (kind == QLatin1String("folder")) {
            path = m_dir.filePath(QStringLiteral("folder"));
            QVERIFY(QDir().mkpath(path));
        }
        const MailStore store(path);
        const QString expected = QStringLiteral("Cannot open file %1").arg(path) + reason;
        QCOMPARE(errorOf([&] { store.ScanStore(); }), expected);
        QCOMPARE(errorOf([&] { store.AppendMail("x", 'u', 'N'); }), expected);
        QCOMPARE(errorOf([&] { store.ReadMailText(100); }), expected);
        QCOMPARE(errorOf([&] { store.SetBoxCode(100, "D"); }), expected);
        QCOMPARE(errorOf([&] { store.PurgeDeleted(); }), expected);
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("nothing.dat"))));
    }

    // A store that may only be read (a read-only folder, another user's file) still shows
    // its mails; every change is refused with the reason, and the file stays as it was.
    void readOnlyStoreIsRead()
    {
        const MailStore store(m_path);
        const std::int64_t position = store.AppendMail(str(mail(1)), 'u', 'N');
        const QByteArray before = TestFiles::read(m_path);
        ReadOnlyFile readOnly(m_path);
        if (!readOnly.made())
            QSKIP("this file system cannot make a file read-only for root");
        QCOMPARE(StoreFile::writeRefusal(m_path), QStringLiteral("permission denied"));
        QCOMPARE(store.ScanStore().size(), std::size_t(1));
        QCOMPARE(store.ReadMailText(position), str(mail(1)));
        const QString expected = QStringLiteral("Cannot open file %1: permission denied").arg(m_path);
        QCOMPARE(errorOf([&] { store.AppendMail("x", 'u', 'N'); }), expected);
        QCOMPARE(errorOf([&] { store.SetBoxCode(position, "D"); }), expected);
        QCOMPARE(errorOf([&] { store.PurgeDeleted(); }), expected);
        QCOMPARE(TestFiles::read(m_path), before);
        readOnly.release();
        QVERIFY(StoreFile::writeRefusal(m_path).isEmpty());
    }

    // The words of each failure of the system an open may meet; the ones no person can
    // act on give the plain message.
    void openFailureReasons_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << ENOENT << "not found";
        QTest::newRow("missing folder") << ENOTDIR << "not found";
        QTest::newRow("disk failure") << EIO << "I/O error";
        QTest::newRow("a folder") << EISDIR << "not a file";
        QTest::newRow("no access") << EACCES << "permission denied";
        QTest::newRow("not permitted") << EPERM << "permission denied";
        QTest::newRow("read-only") << EROFS << "read-only file system";
        QTest::newRow("other") << EMFILE << "";
    }
    void openFailureReasons()
    {
        QFETCH(int, error);
        QFETCH(QString, reason);
        QCOMPARE(StoreFile::openFailureReason(error), reason);
    }

    void secondOpenInTheSameProcessIsRefused()
    {
        // Each operation holds its own lock; one nested inside another (for instance
        // from an event served during a long walk) fails instead of interleaving.
        const MailStore store(m_path);
        store.AppendMail(str(mail(1)), 'u', 'N');
        StoreFile held(m_path);
        QCOMPARE(errorOf([&] { store.ScanStore(); }), QStringLiteral("Cannot open file %1").arg(m_path));
    }
};

QTEST_GUILESS_MAIN(TestMailStore)
#include "tst_mailstore.moc"
