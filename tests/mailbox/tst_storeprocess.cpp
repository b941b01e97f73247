#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "tests/mailbox/StoreBytes.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace StoreBytes;

// The store against other processes: a second holder of the lock, a purge killed at
// random moments, and writes that fail for lack of room.
class TestStoreProcess : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;

    static QString helper() { return QStringLiteral(VELLORN_STORE_HELPER); }

    static QString errorOf(const std::function<void()> &call)
    {
        try {
            call();
        } catch (const AppError &e) {
            return QString::fromStdString(e.what());
        }
        return QString();
    }

    QStringList otherFiles() const
    {
        QStringList names = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral("MailBox.dat"));
        return names;
    }

    // A store of mails of 10 KB to 100 KB with every third one marked deleted.
    static QByteArray sampleStore(int count)
    {
        QRandomGenerator rng(1234);
        QByteArray bytes = fileHeader();
        for (int i = 0; i < count; ++i)
            bytes += record(mail(i, 10000 + int(rng.bounded(90000))), i % 3 == 1 ? 'D' : 'u');
        return bytes;
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("MailBox.dat"));
    }

    void anotherProcessHoldsTheStore()
    {
        TestFiles::write(m_path, fileHeader() + record(mail(1)) + record(mail(2), 'D'));
        const QByteArray before = TestFiles::read(m_path);
        QProcess holder;
        holder.start(helper(), {QStringLiteral("hold"), m_path});
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine(), QByteArray("locked\n"));

        const MailStore store(m_path);
        const QString expected = QStringLiteral("Cannot open file %1").arg(m_path);
        QCOMPARE(errorOf([&] { store.ScanStore(); }), expected);
        QCOMPARE(errorOf([&] { store.ReadMailText(100); }), expected);
        QCOMPARE(errorOf([&] { store.AppendMail("x", 'u', 'N'); }), expected);
        QCOMPARE(errorOf([&] { store.SetBoxCode(100, "t"); }), expected);
        QCOMPARE(errorOf([&] { store.PurgeDeleted(); }), expected);
        QCOMPARE(TestFiles::read(m_path), before);
        QVERIFY(otherFiles().isEmpty());

        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        QCOMPARE(holder.exitCode(), 0);
        QCOMPARE(int(store.ScanStore().size()), 2);
        store.PurgeDeleted();
        QCOMPARE(int(store.ScanStore().size()), 1);
    }

    void purgeKilledAtRandomMoments()
    {
        const QByteArray before = sampleStore(300);   // about 16 MB
        TestFiles::write(m_path, before);
        MailStore(m_path).PurgeDeleted();
        const QByteArray after = TestFiles::read(m_path);
        QVERIFY(after.size() < before.size());

        // How long a purge takes in a child, from its start line to its exit.
        QElapsedTimer timer;
        qint64 purgeUs = 0;
        for (int i = 0; i < 3; ++i) {
            TestFiles::write(m_path, before);
            QProcess child;
            child.start(helper(), {QStringLiteral("purge"), m_path});
            QVERIFY(child.waitForReadyRead(10000));
            timer.start();
            QVERIFY(child.waitForFinished(30000));
            purgeUs = std::max(purgeUs, timer.nsecsElapsed() / 1000);
            QCOMPARE(child.exitCode(), 0);
            QCOMPARE(TestFiles::read(m_path), after);
        }

        QRandomGenerator rng(QRandomGenerator::global()->generate());
        int sawOld = 0, sawNew = 0;
        QElapsedTimer budget;
        budget.start();
        for (int round = 0; round < 60; ++round) {
            if (TestFiles::read(m_path) != before)
                TestFiles::write(m_path, before);
            QProcess child;
            child.start(helper(), {QStringLiteral("purge"), m_path});
            QVERIFY(child.waitForReadyRead(10000));
            QThread::usleep(rng.bounded(quint64(purgeUs + purgeUs / 4 + 1)));
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            const QByteArray now = TestFiles::read(m_path);
            QVERIFY2(now == before || now == after, qPrintable(QStringLiteral("round %1: store is neither").arg(round)));
            (now == before ? sawOld : sawNew)++;
            if (round >= 50 && budget.elapsed() > 40000)
                break;
        }
        qInfo("purge %lld us; killed purges left the old store %d times, the new one %d times", purgeUs, sawOld,
              sawNew);

        // A killed purge may leave its temporary file; the next purge clears it away.
        TestFiles::write(m_path, before);
        MailStore(m_path).PurgeDeleted();
        QCOMPARE(TestFiles::read(m_path), after);
        QVERIFY2(otherFiles().isEmpty(), qPrintable(otherFiles().join(QLatin1Char(' '))));
    }

    void purgeWithoutRoomLeavesTheOldStore()
    {
        const QByteArray before = sampleStore(40);
        TestFiles::write(m_path, before);
        QProcess child;
        child.start(helper(), {QStringLiteral("limited-purge"), m_path, QString::number(before.size() / 3)});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 1);
        const QByteArray err = child.readAllStandardError();
        QVERIFY2(err.startsWith("Cannot write file " + QFile::encodeName(m_path)), err.constData());
        QCOMPARE(TestFiles::read(m_path), before);
        QVERIFY(otherFiles().isEmpty());
    }

    void appendWithoutRoomWritesNothing()
    {
        const QByteArray before = fileHeader() + record(mail(1));
        TestFiles::write(m_path, before);
        QProcess child;
        child.start(helper(), {QStringLiteral("limited-append"), m_path, QString::number(before.size() + 500)});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 1);
        QVERIFY(child.readAllStandardError().startsWith("Cannot write file"));
        QCOMPARE(TestFiles::read(m_path), before);
    }
};

QTEST_GUILESS_MAIN(TestStoreProcess)
#include "tst_storeprocess.moc"
