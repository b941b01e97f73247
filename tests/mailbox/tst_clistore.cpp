#include "tests/mailbox/StoreBytes.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace StoreBytes;

// vellorn-cli store: output formats, exit codes and the one-line failures.
class TestCliStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;

    int run(const QStringList &args, QByteArray *out = nullptr, QByteArray *err = nullptr)
    {
        QProcess p;
        p.start(QStringLiteral(VELLORN_BIN_DIR "/vellorn-cli"), QStringList{QStringLiteral("store")} + args);
        if (!p.waitForFinished(30000))
            return -1;
        if (out)
            *out = p.readAllStandardOutput();
        if (err)
            *err = p.readAllStandardError();
        return p.exitCode();
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("MailBox.dat"));
        TestFiles::write(m_path, fileHeader());
    }

    void roundTrip()
    {
        const QString mailFile = m_dir.filePath(QStringLiteral("m.eml"));
        const QByteArray text = "To: \"Ann\" <a@x>\r\nSubject: =?iso-8859-1?Q?caf=E9?=\r\nDate: 2 dec 2002 10:20:30 +0800\r\n\r\n\xff\0z";
        TestFiles::write(mailFile, QByteArray(text.constData(), text.size() + 2));
        const QByteArray mailBytes = TestFiles::read(mailFile);
        QByteArray out, err;
        QCOMPARE(run({QStringLiteral("append"), m_path, mailFile}, &out), 0);
        QCOMPARE(out, QByteArray("100\n"));
        QCOMPARE(run({QStringLiteral("append"), m_path, mailFile, QStringLiteral("--box"), QStringLiteral("s"),
                      QStringLiteral("--attach"), QStringLiteral("Y")},
                     &out),
                 0);
        const QByteArray second = QByteArray::number(120 + mailBytes.size());
        QCOMPARE(out, second + "\n");
        QCOMPARE(run({QStringLiteral("read"), m_path, QString::fromLatin1(second)}, &out), 0);
        QCOMPARE(out, mailBytes);
        QCOMPARE(run({QStringLiteral("set-box"), m_path, QStringLiteral("100"), QStringLiteral("D")}), 0);
        QCOMPARE(run({QStringLiteral("list"), m_path}, &out), 0);
        QCOMPARE(out, "100\tD\tN\t1 KB\tAnn\tcaf\xc3\xa9\t2002-12-2 10:20:30\n" + second
                          + "\ts\tY\t1 KB\tAnn\tcaf\xc3\xa9\t2002-12-2 10:20:30\n");
        QCOMPARE(run({QStringLiteral("check"), m_path}, &out), 0);
        QCOMPARE(out, QByteArray("2 records, 0 damaged stretches\n"));
        QCOMPARE(run({QStringLiteral("purge"), m_path}), 0);
        QCOMPARE(TestFiles::read(m_path), fileHeader() + record(mailBytes, 's', 'Y'));
    }

    // Many mails in one call: in order, with one position each; a file in the list that
    // cannot be read (missing, a folder) stops the call before anything is appended. A
    // store that does not exist is made first, with the header a first start writes,
    // unless the call stops.
    void appendMany_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("errorNames");
        QTest::addColumn<bool>("newStore");
        QTest::newRow("all readable") << QStringList{"a.eml", "b.eml", "c.eml"} << 0 << QByteArray() << false;
        QTest::newRow("all readable, new store") << QStringList{"a.eml", "b.eml", "c.eml"} << 0 << QByteArray() << true;
        QTest::newRow("missing in the middle") << QStringList{"a.eml", "gone.eml", "c.eml"} << 1 << QByteArray("gone.eml")
                                               << false;
        QTest::newRow("missing, new store") << QStringList{"a.eml", "gone.eml"} << 1 << QByteArray("gone.eml") << true;
        QTest::newRow("folder in the middle") << QStringList{"a.eml", "sub", "c.eml"} << 1 << QByteArray("sub") << false;
    }

    void appendMany()
    {
        QFETCH(QStringList, names);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, errorNames);
        QFETCH(bool, newStore);
        if (newStore)
            QVERIFY(QFile::remove(m_path));
        const QByteArray texts[] = {"Subject: a\r\n\r\none", "Subject: b\r\n\r\ntwo", "Subject: c\r\n\r\nthree"};
        TestFiles::write(m_dir.filePath(QStringLiteral("a.eml")), texts[0]);
        TestFiles::write(m_dir.filePath(QStringLiteral("b.eml")), texts[1]);
        TestFiles::write(m_dir.filePath(QStringLiteral("c.eml")), texts[2]);
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("sub")));
        QStringList args{QStringLiteral("append"), m_path};
        for (const QString &name : names)
            args << m_dir.filePath(name);
        args << QStringLiteral("--box") << QStringLiteral("s");

        QByteArray out, err;
        QCOMPARE(run(args, &out, &err), exitCode);
        if (exitCode != 0) {
            QCOMPARE(out, QByteArray());
            QVERIFY(err.contains(errorNames));
            QCOMPARE(err.count('\n'), 1);
            QCOMPARE(QFile::exists(m_path), !newStore);
            if (!newStore)
                QCOMPARE(TestFiles::read(m_path), fileHeader());
            return;
        }
        const qsizetype second = 100 + 20 + texts[0].size();
        const qsizetype third = second + 20 + texts[1].size();
        QCOMPARE(out, "100\n" + QByteArray::number(second) + "\n" + QByteArray::number(third) + "\n");
        const QByteArray stored = TestFiles::read(m_path);
        // A new store's header is the notice a first start writes.
        QVERIFY(stored.startsWith(newStore ? QByteArray("Vellorn Composer") : fileHeader()));
        QCOMPARE(stored.mid(100), record(texts[0], 's') + record(texts[1], 's') + record(texts[2], 's'));
    }

    void damageAndFailures()
    {
        TestFiles::write(m_path, fileHeader() + record("abc") + "junk" + record("defg"));
        QByteArray out, err;
        QCOMPARE(run({QStringLiteral("check"), m_path}, &out), 1);
        QCOMPARE(out, QByteArray("damaged stretch at offset 123, 4 bytes\n2 records, 1 damaged stretches\n"));

        TestFiles::write(m_path, "short");
        QCOMPARE(run({QStringLiteral("check"), m_path}, &out), 1);
        QCOMPARE(out, QByteArray("the file is 5 bytes long, shorter than its 100-byte header\n0 records, 1 damaged stretches\n"));
        TestFiles::write(m_path, fileHeader() + record("abc") + "junk" + record("defg"));

        const QString missing = m_dir.filePath(QStringLiteral("none.dat"));
        QCOMPARE(run({QStringLiteral("list"), missing}, &out, &err), 1);
        QCOMPARE(err, "vellorn-cli: Cannot open file " + missing.toLocal8Bit() + ": not found\n");
        QCOMPARE(run({QStringLiteral("read"), m_path, QStringLiteral("101")}, &out, &err), 1);
        QCOMPARE(err.count('\n'), 1);
        QCOMPARE(run({QStringLiteral("read"), m_path, QStringLiteral("x")}, &out, &err), 1);
        QCOMPARE(run({QStringLiteral("set-box"), m_path, QStringLiteral("100"), QStringLiteral("x")}, &out, &err), 1);
        QCOMPARE(run({QStringLiteral("append"), m_path, m_path, QStringLiteral("--box"), QStringLiteral("D")}, &out,
                     &err),
                 1);
        QCOMPARE(run({QStringLiteral("frobnicate"), m_path}, &out, &err), 1);
        QVERIFY(err.startsWith("vellorn-cli: usage:"));
        QCOMPARE(TestFiles::read(m_path), fileHeader() + record("abc") + "junk" + record("defg"));
    }
};

QTEST_GUILESS_MAIN(TestCliStore)
#include "tst_clistore.moc"
