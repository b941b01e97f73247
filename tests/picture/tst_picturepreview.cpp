// The preview's pages against the mail that is then sent, the worker that makes them, and
// the files the pages are saved as (pictures, PDF as poppler reads it).
#include "composer/MailStorer.h"
#include "config/ConfigSettings.h"
#include "config/DataFiles.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "os/Clock.h"
#include "picture/PicturePdf.h"
#include "picture/PicturePreview.h"
#include "picture/PreviewRun.h"
#include "picture/SendJob.h"
#include "richtext/LetterDocument.h"
#include "tests/picture/PictureFixtures.h"
#include "tests/support/TestFiles.h"

#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

using namespace PictureFixtures;

namespace {

class StillClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2002, 12, 2), QTime(10, 20, 30)); }
};

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

PicturePreview::Input letterInput(int paragraphs)
{
    QTextDocument doc;
    LetterDocument::load(rtfLetter(paragraphs), &doc);
    PicturePreview::Input input;
    input.letter = LetterDocument::save(doc);
    input.subject = QStringLiteral("Quarterly letter");
    return input;
}

} // namespace

class TestPicturePreview : public QObject
{
    Q_OBJECT

private slots:
    // What the preview shows is what the recipient gets: the same pictures, byte for byte,
    // as many, and the mail about as large as the preview says.
    void previewIsTheSentMail()
    {
        QTemporaryDir dir;
        ConfigSettings settings = ConfigSettings::firstRun();
        settings.PIC_Quality = 40; // the artefacts show too
        QTextDocument letter;
        LetterDocument::load(rtfLetter(120), &letter);
        const std::string report = binaryBytes(90000, 3);
        const QString file = dir.filePath(QStringLiteral("report.pdf"));
        TestFiles::write(file, QByteArray::fromStdString(report));

        PicturePreview::Input input;
        input.letter = LetterDocument::save(letter);
        input.subject = QStringLiteral("Quarterly letter");
        input.to = QStringLiteral("reader@example.org");
        input.attachmentSizes = {qint64(report.size())};
        input.attachmentNames = {QStringLiteral("report.pdf")};
        const PicturePreview::Result preview = PicturePreview::render(settings, input);
        QVERIFY2(preview.error.isEmpty(), qPrintable(preview.error));

        // Stored as the composer stores it, sent as the send job sends it.
        const QString box = dir.filePath(QStringLiteral("MailBox.dat"));
        DataFiles::ensureMailBoxFile(box);
        StillClock clock;
        ComposedMail mail;
        mail.letter = &letter;
        mail.to = input.to;
        mail.subject = input.subject;
        std::vector<AttachmentRow> rows{{QStringLiteral("report.pdf"), file, AttachmentRow::File}};
        TMailMessage stored;
        const std::int64_t pos = MailStorer(settings, clock, box, dir.filePath(QStringLiteral("Config.dat")), dir.path())
                                     .StoreMail(stored, mail, rows);
        SendJob job(settings);
        job.LoadLetter(MailStore(box), pos);
        job.RenderPages();
        QVERIFY(job.BuildHtmlBody());
        job.Rebuild();
        const std::string sent = job.FMailMsg.SourceText();
        const QJsonObject m = describe(QByteArray::fromStdString(sent));
        const QJsonArray pictures = m.value(QStringLiteral("pictures")).toArray();

        QVERIFY(job.PageCount >= 3);
        QCOMPARE(int(preview.pages.size()), job.PageCount);
        QCOMPARE(pictures.size(), job.PageCount);
        for (int i = 0; i < pictures.size(); ++i)
            QCOMPARE(pictures.at(i).toObject().value(QStringLiteral("sha256")).toString(),
                     QString::fromStdString(sha256Hex(preview.pages[std::size_t(i)].toStdString())));
        // The estimate is within 2 % of the mail that leaves.
        const double ratio = double(preview.mailBytes) / double(sent.size());
        QVERIFY2(ratio > 0.98 && ratio < 1.02, qPrintable(QStringLiteral("%1 / %2").arg(preview.mailBytes).arg(sent.size())));
        QCOMPARE(int(preview.pageTexts.size()), job.PageCount);
        QVERIFY(preview.pageTexts.back().join(QLatin1Char(' ')).contains(QStringLiteral("Paragraph 120")));
    }

    // The worker's pages arrive in order; a new start drops what the run before still had.
    void workerRunsAgainOnRefresh()
    {
        const ConfigSettings settings = ConfigSettings::firstRun();
        PreviewRun runner;
        QList<int> pages;
        QList<int> finished;
        connect(&runner, &PreviewRun::pageReady, this, [&](int page, const QByteArray &) { pages << page; });
        connect(&runner, &PreviewRun::finished, this,
                [&](const PicturePreview::Result &r) { finished << int(r.pages.size()); });
        runner.start(settings, letterInput(200));
        runner.start(settings, letterInput(5)); // the letter changed: refresh
        runner.wait();
        QCOMPARE(finished, QList<int>{1});
        QCOMPARE(pages, QList<int>{1});
        QVERIFY(!runner.running());
        runner.start(settings, letterInput(90));
        runner.wait();
        QCOMPARE(finished.size(), 2);
        QVERIFY(finished[1] >= 2);
        for (int i = 1; i < pages.size(); ++i)
            QCOMPARE(pages[i], i);
    }

    void savedAsPicturesAndPdf()
    {
        QTemporaryDir dir;
        const ConfigSettings settings = ConfigSettings::firstRun();
        const PicturePreview::Result r = PicturePreview::render(settings, letterInput(80));
        QVERIFY(r.pages.size() >= 2);
        PicturePdf::savePictures(dir.path(), r.pages);
        for (std::size_t i = 0; i < r.pages.size(); ++i)
            QCOMPARE(TestFiles::read(dir.filePath(QStringLiteral("%1.jpg").arg(i + 1))), r.pages[i]);
        QCOMPARE(PicturePdf::existingNames(dir.path(), r.pages.size() + 1).size(), qsizetype(r.pages.size()));

        const QString pdf = dir.filePath(QStringLiteral("letter.pdf"));
        PicturePdf::savePdf(pdf, r.pages, r.pageTexts, QStringLiteral("Quarterly letter"));
        const QString info = run(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(r.pages.size()))), qPrintable(info));
        // 600 by 800 pixels at 96 per inch.
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+450 x 600 pts"))), qPrintable(info));
        const QString text = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY2(text.contains(QStringLiteral("Paragraph 80 of the letter")), qPrintable(text.left(400)));
        // Poppler draws the pages: the pictures, not blank sheets.
        QVERIFY(run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("24"), QStringLiteral("-f"),
                                                QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), pdf,
                                                dir.filePath(QStringLiteral("page"))})
                    .isEmpty());
        const QStringList drawn = QDir(dir.path()).entryList({QStringLiteral("page*.ppm")});
        QCOMPARE(drawn.size(), 1);
        QImage page(dir.filePath(drawn[0]));
        QVERIFY(!page.isNull());
        bool ink = false;
        for (int y = 0; y < page.height() && !ink; ++y)
            for (int x = 0; x < page.width() && !ink; ++x)
                ink = qGray(page.pixel(x, y)) < 128;
        QVERIFY(ink);

        QVERIFY_THROWS_EXCEPTION(AppError, PicturePdf::savePdf(dir.filePath(QStringLiteral("none/x.pdf")), r.pages,
                                                               r.pageTexts, QString()));
        QVERIFY_THROWS_EXCEPTION(AppError, PicturePdf::savePdf(pdf, {QByteArray("not a jpeg")}, {}, QString()));
    }

    void printedPageKeepsItsShape_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("paper");
        QTest::addColumn<QRect>("placed");
        QTest::newRow("tall page on A4") << QSize(600, 800) << QRect(0, 0, 4960, 7016) << QRect(0, 201, 4960, 6613);
        QTest::newRow("wide page") << QSize(800, 200) << QRect(10, 10, 400, 400) << QRect(10, 160, 400, 100);
        QTest::newRow("small page grows") << QSize(60, 80) << QRect(0, 0, 600, 600) << QRect(75, 0, 450, 600);
        QTest::newRow("empty picture") << QSize(0, 0) << QRect(0, 0, 600, 600) << QRect();
    }
    void printedPageKeepsItsShape()
    {
        QFETCH(QSize, picture);
        QFETCH(QRect, paper);
        QFETCH(QRect, placed);
        QCOMPARE(PicturePdf::fittedRect(picture, paper), placed);
    }
};

QTEST_MAIN(TestPicturePreview)
#include "tst_picturepreview.moc"
