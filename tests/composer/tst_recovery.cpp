// The recovery copy of an unsaved letter: its file format against damage, the folder's
// atomic write, stale-copy rule and ownership between running programs, the keeper's
// timing rules, and a declined letter kept in the trash box.
#include "composer/LetterRecovery.h"
#include "composer/MailStorer.h"
#include "composer/PersonalWords.h"
#include "composer/RecoveryCopy.h"
#include "composer/RecoveryFolder.h"
#include "composer/RecoveryKeeper.h"
#include "config/ConfigSettings.h"
#include "config/DataFiles.h"
#include "mail/TMailMessage.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "os/Clock.h"
#include "richtext/LetterDocument.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

namespace {

class StillClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2002, 12, 2), QTime(10, 20, 30)); }
};

RecoveryCopy sampleCopy()
{
    RecoveryCopy c;
    c.stamp = 1700000000123;
    c.mode = ComposeMode::Modify;
    c.boxCode = BoxCode::Sent;
    c.recordPos = 4711;
    c.letter = "{\\rtf1\\ansi Dear Bob,\\par caf\\'e9 \n end}";
    c.subject = QStringLiteral("Plans \u00e9\u4e2d");
    c.to = QStringLiteral("Bob Smith\ncarol@example.org");
    c.cc = QStringLiteral("dave@example.net");
    c.bcc = QString();
    c.attachments.push_back({QStringLiteral("notes.txt"), QStringLiteral("/home/ann/notes 1.txt"), {}, false});
    c.attachments.push_back({QStringLiteral("scan.pdf"), {}, QByteArray("%PDF\n\0\r\nend 12\n", 16), true});
    return c;
}

QStringList filesIn(const QString &folder, const QString &pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

private slots:
    // The size guard counts what write() produces, byte for byte: an estimate below it
    // let a copy pass that read() then refused.
    void sizeIsWhatIsWritten_data()
    {
        QTest::addColumn<int>("attachments");
        QTest::addColumn<int>("bytes"); // of each streamed attachment, and of the letter
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("one of nine bytes") << 1 << 9;
        QTest::newRow("one of ten bytes") << 1 << 10;
        QTest::newRow("45 of one byte") << 45 << 1;
        QTest::newRow("45 of 1000 bytes") << 45 << 1000;
        QTest::newRow("3 of 100000 bytes") << 3 << 100000;
    }

    void sizeIsWhatIsWritten()
    {
        QFETCH(int, attachments);
        QFETCH(int, bytes);
        RecoveryCopy c = sampleCopy();
        c.letter.assign(std::size_t(bytes), 'x');
        for (int i = 0; i < attachments; ++i) {
            c.attachments.push_back({QStringLiteral("a%1").arg(i), {}, QByteArray(bytes, 'b'), true});
            // A file attachment's bytes are not written: they must not be counted.
            c.attachments.push_back({QStringLiteral("f%1").arg(i), QStringLiteral("/tmp/f"), QByteArray(bytes, 'f'), false});
        }
        QCOMPARE(c.size(), std::int64_t(c.write().size()));
    }

    void copyRoundTrip()
    {
        const RecoveryCopy c = sampleCopy();
        const QByteArray bytes = c.write();
        QCOMPARE(c.size(), std::int64_t(bytes.size()));
        const RecoveryCopy r = RecoveryCopy::read(bytes);
        QCOMPARE(r.stamp, c.stamp);
        QCOMPARE(r.mode, c.mode);
        QCOMPARE(r.boxCode, c.boxCode);
        QCOMPARE(r.recordPos, c.recordPos);
        QCOMPARE(r.letter, c.letter);
        QCOMPARE(r.subject, c.subject);
        QCOMPARE(r.to, c.to);
        QCOMPARE(r.cc, c.cc);
        QCOMPARE(r.bcc, c.bcc);
        QCOMPARE(r.attachments.size(), std::size_t(2));
        QCOMPARE(r.attachments[0].path, c.attachments[0].path);
        QVERIFY(!r.attachments[0].stream);
        QCOMPARE(r.attachments[1].bytes, c.attachments[1].bytes);
        QVERIFY(r.attachments[1].stream);
        QCOMPARE(RecoveryCopy::stampOf(bytes.left(40)), c.stamp);
    }

    void damagedCopyIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = sampleCopy().write();
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("other file") << QByteArray("hello\n");
        QTest::newRow("first line only") << good.left(good.indexOf('\n') + 1);
        QTest::newRow("cut in the letter") << good.left(good.indexOf("Dear") + 3);
        QTest::newRow("end line gone") << good.left(good.lastIndexOf("end "));
        QTest::newRow("one byte short") << good.chopped(1);
        QByteArray flipped = good;
        flipped[flipped.indexOf("Dear")] = 'B';
        QTest::newRow("a byte changed") << flipped;
        QByteArray huge = good;
        huge.replace("letter ", "letter 99999999999999999999");
        QTest::newRow("length beyond any number") << huge;
        QByteArray longer = good;
        longer.replace("subject ", "subject 9");
        QTest::newRow("length beyond the file") << longer;
        QByteArray negative = good;
        negative.replace("to ", "to -");
        QTest::newRow("negative length") << negative;
        QTest::newRow("trailing bytes") << good + "x";
        QByteArray lone = good;
        lone.replace("attachment 9\nnotes.txt\n", "");
        QTest::newRow("source without its attachment") << lone;
    }
    void damagedCopyIsRefused()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY_THROWS_EXCEPTION(AppError, RecoveryCopy::read(bytes));
    }

    void writeIsAtomicAndNeverStale()
    {
        QTemporaryDir dir;
        RecoveryFolder folder(dir.filePath(QStringLiteral("Recovery")), QStringLiteral("1-a"));
        QVERIFY(folder.open());
        const QString path = folder.newCopyPath();
        RecoveryCopy c = sampleCopy();
        QCOMPARE(folder.write(path, c), RecoveryFolder::WriteResult::Written);
        // An older state never replaces a newer copy.
        RecoveryCopy older = c;
        older.stamp = c.stamp - 1;
        older.subject = QStringLiteral("old");
        QCOMPARE(folder.write(path, older), RecoveryFolder::WriteResult::Stale);
        QCOMPARE(RecoveryCopy::read(TestFiles::read(path)).subject, c.subject);
        RecoveryCopy newer = c;
        newer.stamp = c.stamp + 1;
        newer.subject = QStringLiteral("new");
        QCOMPARE(folder.write(path, newer), RecoveryFolder::WriteResult::Written);
        QCOMPARE(RecoveryCopy::read(TestFiles::read(path)).subject, QStringLiteral("new"));
        // No temporary file is left beside the copy and the program's lock.
        QCOMPARE(filesIn(folder.folder(), QStringLiteral("*")),
                 (QStringList{QStringLiteral("1-a-1.letter"), QStringLiteral("1-a.lock")}));
        // Too large: not written, and the copy on disk stays.
        RecoveryCopy big = newer;
        big.stamp += 1;
        big.letter.assign(std::size_t(RecoveryCopy::MaxBytes), 'x');
        QCOMPARE(folder.write(path, big), RecoveryFolder::WriteResult::TooLarge);
        QCOMPARE(RecoveryCopy::read(TestFiles::read(path)).subject, QStringLiteral("new"));
    }

    // The mail store, a recovery copy and the personal word list hold what the person
    // wrote: made for the owner alone. A file that is there keeps the mode it was given.
    void privateFilesModes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("before"); // -1: the file is made here
        QTest::addColumn<int>("after");
        for (const char *file : {"MailBox.dat", "recovery copy", "personal words"}) {
            QTest::addRow("%s, new", file) << QString::fromLatin1(file) << -1 << 0600;
            QTest::addRow("%s, existing 0640", file) << QString::fromLatin1(file) << 0640 << 0640;
        }
    }
    void privateFilesModes()
    {
        QFETCH(QString, file);
        QFETCH(int, before);
        QFETCH(int, after);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("file"));
        if (before >= 0) {
            TestFiles::write(path, QByteArray());
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                    | QFileDevice::ReadUser | QFileDevice::WriteUser
                                                    | QFileDevice::ReadGroup));
            QCOMPARE(TestFiles::unixMode(path), before);
        }
        if (file == QLatin1String("MailBox.dat")) {
            DataFiles::ensureMailBoxFile(path);
        } else if (file == QLatin1String("recovery copy")) {
            RecoveryFolder folder(dir.filePath(QStringLiteral("Recovery")), QStringLiteral("1-m"));
            QVERIFY(folder.open());
            QCOMPARE(folder.write(path, sampleCopy()), RecoveryFolder::WriteResult::Written);
        } else {
            PersonalWords words(path);
            QVERIFY(words.add(QStringLiteral("Vellorn")));
        }
        QCOMPARE(TestFiles::unixMode(path), after);
    }

    void programsKeepTheirOwnCopies()
    {
        QTemporaryDir dir;
        const QString where = dir.filePath(QStringLiteral("Recovery"));
        auto first = std::make_unique<RecoveryFolder>(where, QStringLiteral("100-x"));
        QVERIFY(first->open());
        const QString firstPath = first->newCopyPath();
        QCOMPARE(first->write(firstPath, sampleCopy()), RecoveryFolder::WriteResult::Written);

        // A second program running at the same time leaves the first one's copy alone.
        RecoveryFolder second(where, QStringLiteral("200-y"));
        QVERIFY(second.open());
        std::vector<RecoveryFolder::Damaged> damaged;
        QVERIFY(second.adoptLeftCopies(damaged).empty());
        QVERIFY(QFile::exists(firstPath));

        // A program killed without a word: its lock file stays, but nobody holds it.
        TestFiles::write(where + QStringLiteral("/300-z.lock"), QByteArray());
        RecoveryCopy killed = sampleCopy();
        killed.stamp = 5;
        killed.subject = QStringLiteral("killed");
        TestFiles::write(where + QStringLiteral("/300-z-1.letter"), killed.write());
        TestFiles::write(where + QStringLiteral("/300-z-2.letter"), killed.write().chopped(3));
        std::vector<RecoveryFolder::Found> found = second.adoptLeftCopies(damaged);
        QCOMPARE(found.size(), std::size_t(1));
        QCOMPARE(found[0].copy.subject, QStringLiteral("killed"));
        QVERIFY(found[0].path.contains(QStringLiteral("200-y-")));
        QVERIFY(QFile::exists(found[0].path));
        QCOMPARE(damaged.size(), std::size_t(1));
        QVERIFY(damaged[0].path.endsWith(QStringLiteral("300-z-2.letter")));
        QVERIFY(QFile::exists(damaged[0].path + QStringLiteral(".damaged")));
        QVERIFY(!QFile::exists(where + QStringLiteral("/300-z.lock")));
        QVERIFY(QFile::exists(firstPath));

        // The first program ends: its copy is the next start's.
        first.reset();
        damaged.clear();
        RecoveryFolder third(where, QStringLiteral("400-w"));
        QVERIFY(third.open());
        found = third.adoptLeftCopies(damaged);
        QVERIFY(damaged.empty());
        // The second program still runs: only the first one's copy is taken.
        QCOMPARE(found.size(), std::size_t(1));
        QCOMPARE(found[0].copy.subject, sampleCopy().subject);
        QVERIFY(!QFile::exists(firstPath));
    }

    void keeperWritesOnlyUnsavedChanges()
    {
        QTemporaryDir dir;
        RecoveryFolder folder(dir.filePath(QStringLiteral("Recovery")), QStringLiteral("1-k"));
        QVERIFY(folder.open());
        bool unsaved = false;
        int taken = 0;
        RecoveryKeeper keeper(folder, [&] { return unsaved; }, [&] { ++taken; return sampleCopy(); });
        QCOMPARE(keeper.timer().interval(), 30000);

        keeper.noteChange();
        QVERIFY(keeper.timer().isActive());
        QVERIFY(!keeper.writeNow()); // nothing unsaved
        unsaved = true;
        keeper.noteChange();
        QVERIFY(keeper.timer().isActive());
        QMetaObject::invokeMethod(&keeper.timer(), "timeout"); // as if 30 seconds had passed
        QVERIFY(QFile::exists(keeper.path()));
        QCOMPARE(taken, 1);
        keeper.focusLost(); // nothing new since: no second write
        QCOMPARE(taken, 1);
        keeper.noteChange();
        keeper.focusLost();
        QCOMPARE(taken, 2);
        QVERIFY(!keeper.timer().isActive());
        const QString path = keeper.path();
        keeper.discard();
        QVERIFY(!QFile::exists(path));
        keeper.focusLost();
        QCOMPARE(taken, 2);
    }

    void declinedLetterGoesToTheTrash()
    {
        QTemporaryDir dir;
        const QString box = dir.filePath(QStringLiteral("MailBox.dat"));
        DataFiles::ensureMailBoxFile(box);
        ConfigSettings settings;
        StillClock clock;
        const MailStorer storer(settings, clock, box, dir.filePath(QStringLiteral("Config.dat")), dir.path());
        RecoveryCopy copy = sampleCopy();
        const QString file = dir.filePath(QStringLiteral("notes.txt"));
        TestFiles::write(file, "some notes");
        copy.attachments[0].path = file;
        LetterRecovery::storeInTrash(storer, copy);
        const std::vector<MailSummary> records = MailStore(box).ScanStore();
        QCOMPARE(records.size(), std::size_t(1));
        QCOMPARE(records[0].boxCode, 't');
        TMailMessage m;
        MailStore(box).LoadMail(records[0].position, m);
        QCOMPARE(m.SubjectText(), copy.subject);
        QCOMPARE(m.Attachments.Count(), 2);
        QVERIFY(m.PlainText().find("Dear Bob") != std::string::npos);

        // A file that is gone: an error, and the store as it was.
        copy.attachments[0].path = dir.filePath(QStringLiteral("gone.txt"));
        QVERIFY_THROWS_EXCEPTION(AppError, LetterRecovery::storeInTrash(storer, copy));
        QCOMPARE(MailStore(box).ScanStore().size(), std::size_t(1));
    }

    // A copy replaces its stored mail only while the record still holds that mail.
    void replacedMailIsCheckedAgain()
    {
        QTemporaryDir dir;
        const QString box = dir.filePath(QStringLiteral("MailBox.dat"));
        DataFiles::ensureMailBoxFile(box);
        const std::string first = "Subject: one\r\n\r\nfirst\r\n";
        const std::string second = "Subject: two\r\n\r\nsecond\r\n";
        const std::int64_t at = MailStore(box).AppendMail(first, 's', 'N');
        const std::int64_t other = MailStore(box).AppendMail(second, 'u', 'N');
        RecoveryCopy copy = sampleCopy();
        copy.recordPos = at;
        copy.replacedDigest = LetterRecovery::digestOf(first);
        LetterRecovery::checkReplaced(copy, box);
        QCOMPARE(copy.mode, ComposeMode::Modify);
        QCOMPARE(copy.recordPos, at);
        QCOMPARE(copy.boxCode, BoxCode::Sent);
        // Another mail now lies there (the store was compacted), or nothing readable.
        for (const std::int64_t pos : {other, std::int64_t(7)}) {
            RecoveryCopy moved = copy;
            moved.recordPos = pos;
            LetterRecovery::checkReplaced(moved, box);
            QCOMPARE(moved.mode, ComposeMode::New);
            QCOMPARE(moved.boxCode, BoxCode::Unsent);
        }
    }

    void questionAndReport()
    {
        QCOMPARE(LetterRecovery::question(1), QStringLiteral("Recover 1 unsaved letter?"));
        QCOMPARE(LetterRecovery::question(2), QStringLiteral("Recover 2 unsaved letters?"));
        QVERIFY(LetterRecovery::damagedReport({}).isEmpty());
        const QString report = LetterRecovery::damagedReport({{QStringLiteral("/r/a.letter"), QStringLiteral("cut")}});
        QVERIFY(report.contains(QStringLiteral("/r/a.letter: cut")));
    }
};

QTEST_GUILESS_MAIN(TestRecovery)
#include "tst_recovery.moc"
