#include <QProcess>
#include <QTest>

// The dispatcher of vellorn-cli: its own commands and its failure line.
class TestCli : public QObject
{
    Q_OBJECT

private:
    int run(const QStringList &args, QByteArray *out, QByteArray *err)
    {
        QProcess p;
        p.start(QStringLiteral(VELLORN_BIN_DIR "/vellorn-cli"), args);
        if (!p.waitForFinished(30000))
            return -1;
        *out = p.readAllStandardOutput();
        *err = p.readAllStandardError();
        return p.exitCode();
    }

private slots:
    void versionAndHelp()
    {
        QByteArray out, err;
        QCOMPARE(run({QStringLiteral("version")}, &out, &err), 0);
        QCOMPARE(out, QByteArray("Vellorn Composer 5.0\n"));
        QCOMPARE(run({QStringLiteral("help")}, &out, &err), 0);
        QVERIFY(out.contains("version"));
        QVERIFY(out.contains("help"));
    }

    void failures()
    {
        QByteArray out, err;
        QVERIFY(run({QStringLiteral("no-such-command")}, &out, &err) != 0);
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(err.contains("no-such-command"));
        QVERIFY(run({}, &out, &err) != 0);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
