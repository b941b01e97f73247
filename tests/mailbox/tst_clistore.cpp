#include "StoreBytes.h"
#include "TestFiles.h"

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
        QCOMPARE(out, "100\tD\tN\t0 KB\tAnn\tcaf\xc3\xa9\t2002-12-2 10:20:30\n" + second
                          + "\ts\tY\t0 KB\tAnn\tcaf\xc3\xa9\t2002-12-2 10:20:30\n");
        QCOMPARE(run({QStringLiteral("check"), m_path}, &out), 0);
        QCOMPARE(out, QByteArray("2 records, 0 damaged stretches\n"));
        QCOMPARE(run({QStringLiteral("purge"), m_path}), 0);
        QCOMPARE(TestFiles::read(m_path), fileHeader() + record(mailBytes, 's', 'Y'));
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
        QCOMPARE(err, "vellorn-cli: Cannot open file " + missing.toLocal8Bit() + "\n");
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
