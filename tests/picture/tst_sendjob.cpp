#include "AppError.h"
#include "ConfigSettings.h"
#include "DataFiles.h"
#include "HtmlBody.h"
#include "MailStore.h"
#include "PictureFixtures.h"
#include "SendJob.h"
#include "TestFiles.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

using namespace PictureFixtures;

namespace {

QString normalized(QString s)
{
    return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The whole job for one stored mail text, as the send dialog runs it.
QJsonObject pictureMail(SendJob &job, const std::string &stored)
{
    job.LoadMailText(stored);
    job.RenderPages();
    if (!job.BuildHtmlBody())
        return {};
    job.Rebuild();
    return describe(QByteArray::fromStdString(job.FMailMsg.SourceText()));
}

} // namespace

class TestSendJob : public QObject
{
    Q_OBJECT

private slots:
    void pictureMailAsPythonReadsIt_data();
    void pictureMailAsPythonReadsIt();
    void emptyLetterIsOneBlankPage_data();
    void emptyLetterIsOneBlankPage();
    void failedLoadLeavesNothingOfThePreviousMail();
    void cancelledHtmlBodyLeavesTheMessage();
    void savesWherePathsAreLongOrForeign();
    void plainLetterInItsCharset();
};

// A stored mail whose text body is plain text in another charset (not the composer's RTF)
// is laid out in its own characters, as are its subject and names in the picture mail.
void TestSendJob::plainLetterInItsCharset()
{
    const ConfigSettings settings = ConfigSettings::firstRun();
    SendJob job(settings);
    const std::string mail = "Subject: =?koi8-r?B?8tXT08vJyg==?=\r\nContent-Type: text/plain; charset=koi8-r\r\n"
                             "Content-Transfer-Encoding: 8bit\r\n\r\n\xf0\xd2\xc9\xd7\xc5\xd4\r\n";
    job.LoadMailText(mail);
    QCOMPARE(job.FEdt.toPlainText().trimmed(), QStringLiteral("Привет"));
    QCOMPARE(job.FMailMsg.SubjectText(), QStringLiteral("Русский"));
}

void TestSendJob::pictureMailAsPythonReadsIt_data()
{
    QTest::addColumn<int>("attachments");
    QTest::addColumn<QString>("tree");
    QTest::newRow("letter only") << 0 << "multipart/related(multipart/alternative(text/plain,text/html)";
    QTest::newRow("two attachments")
        << 2 << "multipart/mixed(multipart/related(multipart/alternative(text/plain,text/html)";
}

void TestSendJob::pictureMailAsPythonReadsIt()
{
    QFETCH(int, attachments);
    QFETCH(QString, tree);
    std::vector<Attachment> files;
    if (attachments > 0) {
        files.push_back({"report.pdf", binaryBytes(70000, 1)});
        files.push_back({"notes.txt", "first line\r\nsecond line\r\n"});
    }
    const ConfigSettings settings = ConfigSettings::firstRun();
    SendJob job(settings);
    const QJsonObject mail = pictureMail(job, storedMail("Quarterly letter", rtfLetter(150), files));
    QVERIFY2(!mail.contains(QStringLiteral("error")), qPrintable(mail.value(QStringLiteral("error")).toString()));
    QVERIFY(job.PageCount >= 2);
    QVERIFY2(mail.value(QStringLiteral("tree")).toString().startsWith(tree),
             qPrintable(mail.value(QStringLiteral("tree")).toString()));
    QCOMPARE(mail.value(QStringLiteral("defects")).toInt(), 0);
    QCOMPARE(mail.value(QStringLiteral("subject")).toString(), QStringLiteral("Quarterly letter"));
    QCOMPARE(mail.value(QStringLiteral("plain")).toString(), QStringLiteral(" "));

    std::string html;
    QVERIFY(HtmlBody::text(job.PageCount, 600, html));
    QCOMPARE(normalized(mail.value(QStringLiteral("html")).toString()), normalized(QString::fromStdString(html)));

    const QJsonArray pictures = mail.value(QStringLiteral("pictures")).toArray();
    QCOMPARE(pictures.size(), job.PageCount);
    for (int i = 0; i < pictures.size(); ++i) {
        const QJsonObject p = pictures.at(i).toObject();
        QCOMPARE(p.value(QStringLiteral("cid")).toString(), QStringLiteral("%1.jpg").arg(i + 1));
        QCOMPARE(p.value(QStringLiteral("type")).toString(), QStringLiteral("image/jpeg"));
        QVERIFY(p.value(QStringLiteral("jpeg")).toBool());
    }
    QCOMPARE(mail.value(QStringLiteral("cids")).toArray().size(), job.PageCount);
    QVERIFY(mail.value(QStringLiteral("unresolved")).toArray().isEmpty());

    const QJsonArray got = mail.value(QStringLiteral("attachments")).toArray();
    QCOMPARE(got.size(), int(files.size()));
    for (size_t i = 0; i < files.size(); ++i) {
        const QJsonObject a = got.at(int(i)).toObject();
        QCOMPARE(a.value(QStringLiteral("name")).toString(), QString::fromStdString(files[i].name));
        QCOMPARE(a.value(QStringLiteral("disposition")).toString(), QStringLiteral("attachment"));
        QCOMPARE(a.value(QStringLiteral("sha256")).toString(), QString::fromStdString(sha256Hex(files[i].bytes)));
    }
    // The letter's source does not travel with the picture mail.
    QVERIFY(job.FMailMsg.SourceText().find("Paragraph 1 of the letter") == std::string::npos);
}

void TestSendJob::emptyLetterIsOneBlankPage_data()
{
    QTest::addColumn<QByteArray>("letter");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("blanks and controls") << QByteArray(" \t\r\n \x01 \r\n");
    QTest::newRow("empty RTF") << QByteArray("{\\rtf1\\ansi }");
}

void TestSendJob::emptyLetterIsOneBlankPage()
{
    QFETCH(QByteArray, letter);
    const ConfigSettings settings = ConfigSettings::firstRun();
    SendJob job(settings);
    const QJsonObject mail = pictureMail(job, storedMail("Nothing to say", letter.toStdString()));
    QVERIFY2(!mail.contains(QStringLiteral("error")), qPrintable(mail.value(QStringLiteral("error")).toString()));
    QCOMPARE(job.PageCount, 1);
    QCOMPARE(mail.value(QStringLiteral("defects")).toInt(), 0);
    QCOMPARE(mail.value(QStringLiteral("pictures")).toArray().size(), 1);
    QVERIFY(mail.value(QStringLiteral("unresolved")).toArray().isEmpty());
    QCOMPARE(mail.value(QStringLiteral("plain")).toString(), QStringLiteral(" "));
}

// A stored mail that cannot be read must not leave the previous mail's message and
// letter in place, or the job would send them again under this mail's name.
void TestSendJob::failedLoadLeavesNothingOfThePreviousMail()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MailBox.dat"));
    DataFiles::ensureMailBoxFile(path);
    const MailStore store(path);
    const std::int64_t good = store.AppendMail(storedMail("First", rtfLetter(3)), 'u', 'N');

    const ConfigSettings settings = ConfigSettings::firstRun();
    SendJob job(settings);
    job.LoadLetter(store, good);
    QVERIFY(!job.FEdt.isEmpty());
    QVERIFY(!job.FMailMsg.Headers.empty());
    job.RenderPages();
    QCOMPARE(job.PageCount, 1);

    for (const std::int64_t bad : {std::int64_t(5), good + 1, std::int64_t(1) << 40, std::int64_t(-1)}) {
        QVERIFY_THROWS_EXCEPTION(AppError, job.LoadLetter(store, bad));
        QVERIFY(job.FEdt.isEmpty());
        QVERIFY(job.FMailMsg.Headers.empty());
        QVERIFY(job.FMailMsg.Attachments.IsEmpty());
        QVERIFY(job.FMailMsg.SubParts.IsEmpty());
        QCOMPARE(job.PageCount, 0);
    }
    const MailStore missing(dir.filePath(QStringLiteral("nothing/MailBox.dat")));
    QVERIFY_THROWS_EXCEPTION(AppError, job.LoadLetter(missing, good));
}

void TestSendJob::cancelledHtmlBodyLeavesTheMessage()
{
    const ConfigSettings settings = ConfigSettings::firstRun();
    SendJob job(settings);
    job.LoadMailText(storedMail("Letter", rtfLetter(2)));
    job.RenderPages();
    bool cancel = true;
    job.isCancelled = [&] { return cancel; };
    QVERIFY(!job.BuildHtmlBody());
    QVERIFY(job.FMailMsg.HtmlLines.empty());
    QVERIFY(job.FMailMsg.PlainText().find("rtf1") != std::string::npos);
    cancel = false;
    QVERIFY(job.BuildHtmlBody());
    QCOMPARE(job.FMailMsg.PlainText(), std::string(" \r\n"));
}

// The temporary folder is used whole, however long, and whatever characters it holds.
void TestSendJob::savesWherePathsAreLongOrForeign()
{
    QTemporaryDir dir;
    const QString longFolder = dir.filePath(QString(120, QLatin1Char('t')) + QStringLiteral("/") + QString(60, QLatin1Char('u')));
    const QString foreignFolder = dir.filePath(QStringLiteral("\u041f\u0438\u0441\u044c\u043c\u0430 \u90ae\u4ef6"));
    QVERIFY(QDir().mkpath(longFolder));
    QVERIFY(QDir().mkpath(foreignFolder));
    QCOMPARE(SendJob::emlPath(longFolder, 3), longFolder + QStringLiteral("/3.eml"));
    QCOMPARE(SendJob::emlPath(longFolder + QStringLiteral("/"), 0), longFolder + QStringLiteral("/0.eml"));

    const ConfigSettings settings = ConfigSettings::firstRun();
    SendJob job(settings);
    job.LoadMailText(storedMail("Saved", rtfLetter(2)));
    job.RenderPages();
    QVERIFY(job.BuildHtmlBody());
    job.Rebuild();
    const QByteArray source = QByteArray::fromStdString(job.FMailMsg.SourceText());
    for (const QString &folder : {longFolder, foreignFolder}) {
        const QString path = SendJob::emlPath(folder, 1);
        TestFiles::write(path, "an older file of the same name, longer than the new one? no: replaced");
        job.SaveToFile(path);
        const QByteArray written = TestFiles::read(path);
        QCOMPARE(written.size(), source.size());
        QCOMPARE(written, source);
        QVERIFY(!written.contains("older file"));
    }
    QVERIFY_THROWS_EXCEPTION(AppError, job.SaveToFile(dir.filePath(QStringLiteral("no/such/folder/0.eml"))));
}

QTEST_MAIN(TestSendJob)
#include "tst_sendjob.moc"
