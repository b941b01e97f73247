#include "tests/support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
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

    // rtf text of a letter, and of our own RTF of it: the same text, in UTF-8.
    void rtfTextAndWriteBack()
    {
        const QString letter = TestFiles::dataPath(QStringLiteral("rtf/gb2312.rtf"));
        QByteArray text, err;
        QCOMPARE(run({QStringLiteral("rtf"), QStringLiteral("text"), letter}, &text, &err), 0);
        QVERIFY(text.startsWith("\xE4\xBD\xA0\xE5\xA5\xBD, \xE4\xB8\x96\xE7\x95\x8C\n"));

        QByteArray written;
        QCOMPARE(run({QStringLiteral("rtf"), QStringLiteral("write"), letter}, &written, &err), 0);
        QVERIFY(written.startsWith("{\\rtf1"));
        QTemporaryDir dir;
        const QString again = dir.filePath(QStringLiteral("again.rtf"));
        TestFiles::write(again, written);
        QByteArray textAgain;
        QCOMPARE(run({QStringLiteral("rtf"), QStringLiteral("text"), again}, &textAgain, &err), 0);
        QCOMPARE(textAgain, text);

        QByteArray html;
        QCOMPARE(run({QStringLiteral("rtf"), QStringLiteral("html"), letter}, &html, &err), 0);
        QVERIFY(html.contains("<html>") || html.contains("<!DOCTYPE"));

        QVERIFY(run({QStringLiteral("rtf"), QStringLiteral("pdf"), letter}, &written, &err) != 0);
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(run({QStringLiteral("rtf"), QStringLiteral("text"), dir.filePath(QStringLiteral("none.rtf"))}, &written,
                    &err)
                != 0);
        QCOMPARE(err.count('\n'), 1);
    }

    // address: list, add and remove with the rules of the address dialogs.
    void addressBook()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("Config.dat"));
        TestFiles::write(config, "[System]\r\nPIC_W=600\r\n[Address List]\r\nBob=bob@example.com\r\n");

        QByteArray out, err;
        QCOMPARE(run({"address", "add", config, " Carol ", " carol@example.org "}, &out, &err), 0);
        QCOMPARE(run({"address", "add", config, "BOB", "robert@example.com"}, &out, &err), 0);
        QCOMPARE(run({"address", "list", config}, &out, &err), 0);
        QCOMPARE(out, QByteArray("BOB\trobert@example.com\nCarol\tcarol@example.org\n"));

        const QByteArray before = TestFiles::read(config);
        QVERIFY(run({"address", "add", config, "a=b", "x@example.org"}, &out, &err) != 0);
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(run({"address", "add", config, "Dave", " "}, &out, &err) != 0);
        QVERIFY(err.contains("Name or Mail Address can not be empty!"));
        QCOMPARE(TestFiles::read(config), before);

        QCOMPARE(run({"address", "remove", config, "carol"}, &out, &err), 0);
        QCOMPARE(run({"address", "remove", config, "nobody"}, &out, &err), 0);
        QCOMPARE(TestFiles::read(config), QByteArray("[System]\r\nPIC_W=600\r\n[Address List]\r\nBOB=robert@example.com\r\n"));

        QVERIFY(run({"address", "list", dir.filePath(QStringLiteral("none.dat"))}, &out, &err) != 0);
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(run({"address", "rename", config}, &out, &err) != 0);

        // Names in any script, listed as UTF-8 and stored as UTF-8 only where needed.
        QCOMPARE(run({"address", "add", config, QStringLiteral("张三"), "zhang@example.cn"}, &out, &err), 0);
        QCOMPARE(run({"address", "add", config, QStringLiteral("Zoë"), "zoe@example.org"}, &out, &err), 0);
        QCOMPARE(run({"address", "list", config}, &out, &err), 0);
        QVERIFY(out.endsWith("张三\tzhang@example.cn\nZoë\tzoe@example.org\n"));
        QVERIFY(TestFiles::read(config).endsWith("张三=zhang@example.cn\r\nZo\xeb" "=zoe@example.org\r\n"));
    }

    // build takes its texts as UTF-8; dump prints decoded texts and each body's charset.
    void buildAndDumpInAnyScript()
    {
        QTemporaryDir dir;
        const QString body = dir.filePath(QStringLiteral("body.txt"));
        TestFiles::write(body, "Grüße 中文\n");
        const QString file = dir.filePath(QStringLiteral("Ωmega 报告.txt"));
        TestFiles::write(file, "hi");
        const QString mail = dir.filePath(QStringLiteral("m.eml"));
        QByteArray out, err;
        QCOMPARE(run({"build", "-o", mail, "--subject", QStringLiteral("中文 café"), "--from", QStringLiteral("张三 <a@b.c>"),
                      "--to", QStringLiteral("\"Иван, П\" <i@x.ru>"), "--plain", body, "--attach", file},
                     &out, &err),
                 0);
        QCOMPARE(run({"dump", mail}, &out, &err), 0);
        const QJsonObject o = QJsonDocument::fromJson(out).object();
        QCOMPARE(o["subject"].toString(), QStringLiteral("中文 café"));
        QCOMPARE(o["from"].toArray()[0].toString(), QStringLiteral("张三"));
        QCOMPARE(o["to"].toArray()[0].toArray()[0].toString(), QStringLiteral("Иван, П"));
        QCOMPARE(o["plain"]["text"].toString(), QStringLiteral("Grüße 中文\r\n"));
        QCOMPARE(o["plain"]["charset"].toString(), QStringLiteral("utf-8"));
        QVERIFY(o["html"].isNull());
        QCOMPARE(o["attachments"][0]["name"].toString(), QStringLiteral("Ωmega 报告.txt"));

        // A mail of another writer in GB2312.
        QCOMPARE(run({"dump", TestFiles::dataPath(QStringLiteral("charsets/gb2312.eml"))}, &out, &err), 0);
        const QJsonObject gb = QJsonDocument::fromJson(out).object();
        QCOMPARE(gb["subject"].toString(), QStringLiteral("中文邮件"));
        QCOMPARE(gb["plain"]["charset"].toString(), QStringLiteral("gb2312"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
