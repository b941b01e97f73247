#include "tests/picture/JpegInfo.h"
#include "tests/picture/PictureFixtures.h"
#include "tests/support/AiosmtpdServer.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// vellorn-cli render and picture, run as the program they are.
class TestCliPicture : public QObject
{
    Q_OBJECT

private:
    int run(const QStringList &args, QByteArray *out = nullptr, QByteArray *err = nullptr)
    {
        QProcess p;
        p.start(QStringLiteral(VELLORN_BIN_DIR "/vellorn-cli"), args);
        if (!p.waitForFinished(120000))
            return -1;
        if (out)
            *out = p.readAllStandardOutput();
        if (err)
            *err = p.readAllStandardError();
        return p.exitCode();
    }

private slots:
    void renderWritesEveryPage();
    void renderTakesTheConfig();
    void pictureWritesTheMail();
    void pictureThenSend();
    void failures_data();
    void failures();
};

void TestCliPicture::renderWritesEveryPage()
{
    QTemporaryDir dir;
    const QString letter = dir.filePath(QStringLiteral("letter.rtf"));
    TestFiles::write(letter, QByteArray::fromStdString(PictureFixtures::rtfLetter(200)));
    QByteArray out;
    QCOMPARE(run({QStringLiteral("render"), letter, QStringLiteral("-o"), dir.filePath(QStringLiteral("pages"))}, &out), 0);
    const int pages = out.trimmed().toInt();
    QVERIFY(pages >= 2);
    const QStringList files = QDir(dir.filePath(QStringLiteral("pages"))).entryList(QDir::Files, QDir::Name);
    QCOMPARE(files.size(), pages);
    // Sharp text pages: palette PNG at twice the pixels.
    for (int n = 1; n <= pages; ++n) {
        QImage page;
        QVERIFY(page.load(dir.filePath(QStringLiteral("pages/%1.png").arg(n)), "PNG"));
        QCOMPARE(page.width(), 1200);
        // The last page ends below its last line.
        if (n < pages)
            QCOMPARE(page.height(), 1600);
        else
            QVERIFY(page.height() < 1600);
    }
}

// [System] keys from CONFIG; missing keys take their fallbacks (PIC_W 600).
void TestCliPicture::renderTakesTheConfig()
{
    QTemporaryDir dir;
    const QString letter = dir.filePath(QStringLiteral("letter.txt"));
    TestFiles::write(letter, "A plain-text letter.\r\nSecond line.\r\n");
    const QString config = dir.filePath(QStringLiteral("Config.dat"));
    TestFiles::write(config, "[System]\r\nPIC_H=300\r\nPIC_Quality=40\r\nPIC_ShortLastPage=0\r\nPIC_Progressive=0\r\n"
                             "PIC_Sharp=0\r\nPIC_JpegOnly=1\r\n");
    QByteArray out;
    QCOMPARE(run({QStringLiteral("render"), letter, QStringLiteral("-o"), dir.path(), QStringLiteral("--config"), config}, &out), 0);
    QCOMPARE(out, QByteArray("1\n"));
    const JpegInfo info = JpegInfo::decode(TestFiles::readString(dir.filePath(QStringLiteral("1.jpg"))));
    QCOMPARE(info.width, 600);
    QCOMPARE(info.height, 300);
    QVERIFY(info.luminance == JpegInfo::expectedTable(40, false));
    QVERIFY(!info.progressive);
}

void TestCliPicture::pictureWritesTheMail()
{
    QTemporaryDir dir;
    const QString mail = dir.filePath(QStringLiteral("stored.txt"));
    TestFiles::write(mail, QByteArray::fromStdString(PictureFixtures::storedMail("From the tool", PictureFixtures::rtfLetter(3),
                                                                                 {{"x.bin", "\x01\x02\x03"}})));
    const QString eml = dir.filePath(QStringLiteral("out.eml"));
    QByteArray out;
    QCOMPARE(run({QStringLiteral("picture"), mail, QStringLiteral("-o"), eml}, &out), 0);
    QCOMPARE(out, QByteArray("1\n"));
    const QJsonObject m = PictureFixtures::describe(TestFiles::read(eml));
    QCOMPARE(m.value(QStringLiteral("subject")).toString(), QStringLiteral("From the tool"));
    QCOMPARE(m.value(QStringLiteral("pictures")).toArray().size(), 1);
    QCOMPARE(m.value(QStringLiteral("attachments")).toArray().size(), 1);
    QVERIFY(m.value(QStringLiteral("plain")).toString().contains(QStringLiteral("Paragraph 3 of the letter, in blue and plain.")));
    QCOMPARE(m.value(QStringLiteral("x_unsent")).toArray(), QJsonArray{QStringLiteral("1")});

    // dump shows the text part of the mail it wrote.
    QCOMPARE(run({QStringLiteral("dump"), eml}, &out), 0);
    const QJsonObject dumped = QJsonDocument::fromJson(out).object();
    const QJsonObject plain = dumped.value(QStringLiteral("plain")).toObject();
    QVERIFY(plain.value(QStringLiteral("text")).toString().startsWith(QStringLiteral("Dear reader,\r\nParagraph 1 of the letter")));
}

// The .eml hand-over goes to a server with "send": the recipient gets no "X-Unsent", a
// fresh Date in a numeric zone, the text for text readers first and the pictures with
// the HTML, each under a Content-ID of its own that the HTML names.
void TestCliPicture::pictureThenSend()
{
    QTemporaryDir dir;
    const QString mail = dir.filePath(QStringLiteral("stored.txt"));
    TestFiles::write(mail, QByteArray::fromStdString(PictureFixtures::storedMail("Sent on", PictureFixtures::rtfLetter(120),
                                                                                 {{"x.bin", "\x01\x02\x03"}})));
    const QString eml = dir.filePath(QStringLiteral("out.eml"));
    QByteArray out, err;
    QCOMPARE(run({QStringLiteral("picture"), mail, QStringLiteral("-o"), eml}, &out), 0);
    QVERIFY(TestFiles::read(eml).contains("\r\nX-Unsent: 1\r\n"));

    AiosmtpdServer server;
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    QCOMPARE(run({QStringLiteral("send"), eml, QStringLiteral("--host"), server.host(), QStringLiteral("--port"),
                  QString::number(server.port()), QStringLiteral("--security"), QStringLiteral("none"),
                  QStringLiteral("--timeout"), QStringLiteral("20")},
                 &out, &err),
             0);
    QCOMPARE(server.mails().size(), 1);
    const QByteArray received = server.mails().front().content;
    QVERIFY2(!received.contains("X-Unsent"), received.left(600).constData());
    const QRegularExpression date(QStringLiteral("\r\nDate: (\\w{3}, \\d\\d \\w{3} \\d{4} \\d\\d:\\d\\d:\\d\\d [+-]\\d{4})\r\n"));
    const QRegularExpressionMatch dated = date.match(QString::fromLatin1(received));
    QVERIFY2(dated.hasMatch(), received.left(600).constData());
    const QDateTime sent = QDateTime::fromString(dated.captured(1), Qt::RFC2822Date);
    QVERIFY(qAbs(sent.secsTo(QDateTime::currentDateTime())) < 300);
    // The related container names its first part, the HTML.
    QVERIFY(received.contains("multipart/related; boundary=") && received.contains("type=\"text/html\""));

    const QJsonObject m = PictureFixtures::describe(received);
    const QString tree = m.value(QStringLiteral("tree")).toString();
    QVERIFY2(tree.startsWith(QStringLiteral("multipart/mixed(multipart/alternative(text/plain,multipart/related(text/html,"
                                            "image/png"))
                 && tree.endsWith(QStringLiteral(")),application/octet-stream)")),
             qPrintable(tree));
    const QJsonArray pictures = m.value(QStringLiteral("pictures")).toArray();
    QVERIFY(pictures.size() >= 2);
    QJsonArray ids;
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        const QString id = pictures[i].toObject().value(QStringLiteral("cid")).toString();
        QVERIFY2(id.startsWith(QStringLiteral("page%1.").arg(i + 1)) && id.contains(QLatin1Char('@')), qPrintable(id));
        QVERIFY(!ids.contains(id));
        ids.append(id);
    }
    QCOMPARE(m.value(QStringLiteral("cids")).toArray(), ids);
    QVERIFY(m.value(QStringLiteral("unresolved")).toArray().isEmpty());
}

void TestCliPicture::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("render without -o") << QStringList{QStringLiteral("render"), QStringLiteral("@letter")};
    QTest::newRow("render missing letter") << QStringList{QStringLiteral("render"), QStringLiteral("@nothing"), QStringLiteral("-o"), QStringLiteral("@out")};
    QTest::newRow("render missing config") << QStringList{QStringLiteral("render"), QStringLiteral("@letter"), QStringLiteral("-o"),
                                                          QStringLiteral("@out"), QStringLiteral("--config"), QStringLiteral("@nothing")};
    QTest::newRow("render bad page size") << QStringList{QStringLiteral("render"), QStringLiteral("@letter"), QStringLiteral("-o"),
                                                         QStringLiteral("@out"), QStringLiteral("--config"), QStringLiteral("@huge")};
    QTest::newRow("picture two inputs") << QStringList{QStringLiteral("picture"), QStringLiteral("@letter"), QStringLiteral("@letter"),
                                                       QStringLiteral("-o"), QStringLiteral("@out")};
    QTest::newRow("picture unwritable") << QStringList{QStringLiteral("picture"), QStringLiteral("@letter"), QStringLiteral("-o"),
                                                       QStringLiteral("@nothing/deeper/out.eml")};
}

// One clear line on stderr and a non-zero exit.
void TestCliPicture::failures()
{
    QFETCH(QStringList, args);
    QTemporaryDir dir;
    TestFiles::write(dir.filePath(QStringLiteral("letter")), "text");
    TestFiles::write(dir.filePath(QStringLiteral("huge")), "[System]\r\nPIC_W=100000\r\nPIC_H=100000\r\n");
    for (QString &a : args)
        if (a.startsWith(QLatin1Char('@')))
            a = dir.filePath(a.mid(1));
    QByteArray err;
    QVERIFY(run(args, nullptr, &err) != 0);
    QCOMPARE(err.count('\n'), 1);
    QVERIFY(err.startsWith("vellorn-cli: "));
}

QTEST_GUILESS_MAIN(TestCliPicture)
#include "tst_clipicture.moc"
