#include "config/ConfigSettings.h"
#include "config/DataFiles.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "picture/HtmlBody.h"
#include "picture/PictureMailText.h"
#include "picture/SendJob.h"
#include "product/VendorLinks.h"
#include "richtext/LetterText.h"
#include "tests/picture/PictureFixtures.h"
#include "tests/support/TestFiles.h"

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
    void wordsReachTheReader_data();
    void wordsReachTheReader();
    void identityAndHandOverMark();
    void footerLinkOff();
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
    QTest::newRow("letter only") << 0 << "multipart/alternative(text/plain,multipart/related(text/html,image/png";
    QTest::newRow("two attachments")
        << 2 << "multipart/mixed(multipart/alternative(text/plain,multipart/related(text/html,image/png";
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
    QVERIFY(mail.value(QStringLiteral("plain")).toString().contains(QStringLiteral("Paragraph 150 of the letter")));
    QCOMPARE(normalized(mail.value(QStringLiteral("html")).toString()),
             normalized(QString::fromStdString(job.FMailMsg.HtmlText())));

    const QJsonArray pictures = mail.value(QStringLiteral("pictures")).toArray();
    QCOMPARE(pictures.size(), job.PageCount);
    for (int i = 0; i < pictures.size(); ++i) {
        const QJsonObject p = pictures.at(i).toObject();
        // A Content-ID of its own, with the "@" of RFC 2392.
        const QString cid = p.value(QStringLiteral("cid")).toString();
        QVERIFY2(cid.startsWith(QStringLiteral("page%1.").arg(i + 1)) && cid.endsWith(QStringLiteral("@example.org")),
                 qPrintable(cid));
        // Text pages go as palette PNG.
        QCOMPARE(p.value(QStringLiteral("type")).toString(), QStringLiteral("image/png"));
        QVERIFY(p.value(QStringLiteral("png")).toBool());
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
    // The letter's words travel with the picture mail, its rich-text source does not.
    QVERIFY(job.FMailMsg.SourceText().find("rtf1") == std::string::npos);
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
    QCOMPARE(mail.value(QStringLiteral("plain")).toString().trimmed(), PictureMailText::footerLine());
    QCOMPARE(mail.value(QStringLiteral("alts")).toArray(), QJsonArray{QStringLiteral("Page 1 of 1")});
    QVERIFY(mail.value(QStringLiteral("hidden")).isNull());
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
    QVERIFY(job.FMailMsg.PlainText().starts_with("Dear reader,\r\nParagraph 1 of the letter"));
}

// The temporary folder is used whole, however long, and whatever characters it holds.
void TestSendJob::savesWherePathsAreLongOrForeign()
{
    QTemporaryDir dir;
    const QString longFolder = dir.filePath(QString(120, QLatin1Char('t')) + QStringLiteral("/") + QString(60, QLatin1Char('u')));
    const QString foreignFolder = dir.filePath(QStringLiteral("\u041f\u0438\u0441\u044c\u043c\u0430 \u90ae\u4ef6"));
    QVERIFY(QDir().mkpath(longFolder));
    QVERIFY(QDir().mkpath(foreignFolder));

    const ConfigSettings settings = ConfigSettings::firstRun();
    SendJob job(settings);
    job.LoadMailText(storedMail("Saved", rtfLetter(2)));
    job.RenderPages();
    QVERIFY(job.BuildHtmlBody());
    job.Rebuild();
    // The file is the mail text with the hand-over mark after "X-Mailer".
    QByteArray source = QByteArray::fromStdString(job.FMailMsg.SourceText());
    QVERIFY(!source.contains("X-Unsent"));
    source.replace("\r\nX-Mailer: Vellorn Composer\r\n", "\r\nX-Mailer: Vellorn Composer\r\nX-Unsent: 1\r\n");
    for (const QString &folder : {longFolder, foreignFolder}) {
        const QString path = folder + QStringLiteral("/1.eml");
        TestFiles::write(path, "an older file of the same name, longer than the new one? no: replaced");
        job.SaveToFile(path);
        const QByteArray written = TestFiles::read(path);
        QCOMPARE(written.size(), source.size());
        QCOMPARE(written, source);
        QVERIFY(!written.contains("older file"));
    }
    QVERIFY(job.FMailMsg.SourceText().find("X-Unsent") == std::string::npos);
    QVERIFY_THROWS_EXCEPTION(AppError, job.SaveToFile(dir.filePath(QStringLiteral("no/such/folder/0.eml"))));
}

void TestSendJob::wordsReachTheReader_data()
{
    QTest::addColumn<QByteArray>("letter");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QString>("charset");
    QTest::newRow("one paragraph") << QByteArray::fromStdString(oneParagraphLetter()) << 1 << "iso-8859-1";
    QTest::newRow("a list and a table") << QByteArray::fromStdString(listAndTableLetter()) << 1 << "windows-1252";
    QTest::newRow("several pages") << QByteArray::fromStdString(rtfLetter(150)) << 4 << "iso-8859-1";
    QTest::newRow("a footnote") << QByteArray::fromStdString(footnoteLetter()) << 1 << "iso-8859-1";
    QTest::newRow("beyond Windows-1252")
        << QByteArray("{\\rtf1\\ansi \\u1055?\\u1088?\\u1080?\\u1074?\\u1077?\\u1090? \\u37109?\\u20214? "
                      "caf\\'e9 <b> & \"q\"\\par}")
        << 1 << "utf-8";
}

// Python's email package finds every word of the letter in the text part and in the
// hidden block, or (with the text below the pictures) in what a reader sees; each picture
// says its page and how the page begins; the text part reads as the letter does, its
// lines short.
void TestSendJob::wordsReachTheReader()
{
    QFETCH(QByteArray, letter);
    QFETCH(int, pages);
    QFETCH(QString, charset);
    for (const bool below : {false, true}) {
        ConfigSettings settings = ConfigSettings::firstRun();
        settings.PIC_TextBelow = below;
        SendJob job(settings);
        const QJsonObject mail = pictureMail(job, storedMail("Words", letter.toStdString()));
        QVERIFY2(!mail.contains(QStringLiteral("error")), qPrintable(mail.value(QStringLiteral("error")).toString()));
        QCOMPARE(job.PageCount, pages);
        QCOMPARE(mail.value(QStringLiteral("defects")).toInt(), 0);
        QVERIFY(mail.value(QStringLiteral("tree")).toString().startsWith(
            QStringLiteral("multipart/alternative(text/plain,multipart/related(text/html,image/png")));

        const QString plain = mail.value(QStringLiteral("plain")).toString();
        const QJsonArray alts = mail.value(QStringLiteral("alts")).toArray();
        QCOMPARE(alts.size(), pages);
        for (int i = 0; i < pages; ++i) {
            const QString alt = alts.at(i).toString();
            QVERIFY2(alt.startsWith(QStringLiteral("Page %1 of %2. ").arg(i + 1).arg(pages)), qPrintable(alt));
            QVERIFY2(alt.size() < 260, qPrintable(alt));
        }
        const QString visible = mail.value(QStringLiteral("visible")).toString();
        const QStringList inPlain = words(plain);
        const QStringList inHtml = words(below ? visible : mail.value(QStringLiteral("hidden")).toString());
        const QStringList letterWords = words(job.FEdt.toPlainText());
        QVERIFY(letterWords.size() >= 5);
        for (const QString &word : letterWords) {
            QVERIFY2(inPlain.contains(word), qPrintable(word));
            QVERIFY2(inHtml.contains(word), qPrintable(word));
        }
        if (below) {
            // The words stand once in the HTML: no hidden block beside the visible text.
            QVERIFY(mail.value(QStringLiteral("hidden")).isNull());
        } else {
            // Of the words in the HTML, a reader sees only the credit line.
            QCOMPARE(visible, QStringLiteral("Composed by Vellorn Composer 5.0"));
        }
        // The text part is the letter's lines, wrapped, then the credit line.
        QCOMPARE(normalized(plain), PictureMailText::plainBody(LetterText::lines(job.FEdt), true));
        for (const QString &line : normalized(plain).split(QLatin1Char('\n')))
            QVERIFY2(line.size() < 78, qPrintable(line));
        QVERIFY2(mail.value(QStringLiteral("plain_type")).toString().contains(charset),
                 qPrintable(mail.value(QStringLiteral("plain_type")).toString()));
    }
}

// Each mail has an identity of its own named after the sender's domain; only the file
// handed to the desktop's mail program carries "X-Unsent", and otherwise it is the mail.
void TestSendJob::identityAndHandOverMark()
{
    ConfigSettings settings = ConfigSettings::firstRun();
    settings.ACC_SMTPHost = "smtp.isp.net";
    SendJob job(settings);
    QStringList ids;
    for (int i = 0; i < 2; ++i) {
        const QJsonObject mail = pictureMail(job, storedMail("Twice", oneParagraphLetter()));
        ids << mail.value(QStringLiteral("message_id")).toString();
        QVERIFY2(ids.last().endsWith(QStringLiteral("@example.org>")), qPrintable(ids.last()));
        QVERIFY(mail.value(QStringLiteral("x_unsent")).toArray().isEmpty());
    }
    QVERIFY(ids[0] != ids[1]);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("0.eml"));
    job.SaveToFile(path);
    const QJsonObject handOver = describe(TestFiles::read(path));
    QCOMPARE(handOver.value(QStringLiteral("x_unsent")).toArray(), QJsonArray{QStringLiteral("1")});
    QCOMPARE(handOver.value(QStringLiteral("message_id")).toString(), ids[1]);

    // Without a sender's domain the server's name serves.
    SendJob anonymous(settings);
    std::string stored = storedMail("No sender", oneParagraphLetter());
    stored.replace(stored.find("From: "), 6, "X-Old-From: ");
    const QJsonObject mail = pictureMail(anonymous, stored);
    QVERIFY(mail.value(QStringLiteral("message_id")).toString().endsWith(QStringLiteral("@smtp.isp.net>")));
}

void TestSendJob::footerLinkOff()
{
    ConfigSettings settings = ConfigSettings::firstRun();
    settings.PIC_FooterLink = false;
    SendJob job(settings);
    const QJsonObject mail = pictureMail(job, storedMail("Plain end", oneParagraphLetter()));
    QVERIFY(!mail.value(QStringLiteral("plain")).toString().contains(QStringLiteral("Composed by")));
    QVERIFY(!mail.value(QStringLiteral("html")).toString().contains(QStringLiteral("Composed by")));
    // The maker's address is nowhere in the mail, image maps included.
    const QString home = QString::fromLatin1(VendorLinks::HomePage);
    QVERIFY(!mail.value(QStringLiteral("html")).toString().contains(home));
    QVERIFY(!mail.value(QStringLiteral("plain")).toString().contains(home));
    QVERIFY(mail.value(QStringLiteral("plain")).toString().startsWith(QStringLiteral("Dear Bob,")));
}

QTEST_MAIN(TestSendJob)
#include "tst_sendjob.moc"
