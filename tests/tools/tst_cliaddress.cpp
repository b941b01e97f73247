#include "TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// vellorn-cli address: list, add and remove with the rules of the address dialogs.
class TestCliAddress : public QObject
{
    Q_OBJECT

private:
    int run(const QStringList &args, QByteArray *out = nullptr, QByteArray *err = nullptr)
    {
        QProcess p;
        p.start(QStringLiteral(VELLORN_BIN_DIR "/vellorn-cli"), QStringList{QStringLiteral("address")} + args);
        if (!p.waitForFinished(30000))
            return -1;
        if (out)
            *out = p.readAllStandardOutput();
        if (err)
            *err = p.readAllStandardError();
        return p.exitCode();
    }

private slots:
    void listAddRemove()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("Config.dat"));
        TestFiles::write(config, "[System]\r\nPIC_W=600\r\n[Address List]\r\nBob=bob@example.com\r\n");

        QCOMPARE(run({"add", config, " Carol ", " carol@example.org "}), 0);
        QCOMPARE(run({"add", config, "BOB", "robert@example.com"}), 0);
        QByteArray out, err;
        QCOMPARE(run({"list", config}, &out), 0);
        QCOMPARE(out, QByteArray("BOB\trobert@example.com\nCarol\tcarol@example.org\n"));

        const QByteArray before = TestFiles::read(config);
        QVERIFY(run({"add", config, "a=b", "x@example.org"}, &out, &err) != 0);
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(run({"add", config, "Dave", " "}, &out, &err) != 0);
        QVERIFY(err.contains("Name or Mail Address can not be empty!"));
        QCOMPARE(TestFiles::read(config), before);

        QCOMPARE(run({"remove", config, "carol"}), 0);
        QCOMPARE(run({"remove", config, "nobody"}), 0);
        QCOMPARE(TestFiles::read(config), QByteArray("[System]\r\nPIC_W=600\r\n[Address List]\r\nBOB=robert@example.com\r\n"));

        QVERIFY(run({"list", dir.filePath(QStringLiteral("none.dat"))}, &out, &err) != 0);
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(run({"rename", config}, &out, &err) != 0);
    }
};

QTEST_GUILESS_MAIN(TestCliAddress)
#include "tst_cliaddress.moc"
