// The preview's pages against the mail that is then sent, the worker that makes them, and
// the files the pages are saved as (pictures, PDF as poppler reads it).
#include "composer/MailStorer.h"
#include "config/ConfigSettings.h"
#include "config/DataFiles.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "os/Clock.h"
#include "picture/PageRenderer.h"
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
            QCOMPARE(TestFiles::read(dir.filePath(PicturePdf::pageFileName(r.pages, i))), r.pages[i]);
        std::vector<QByteArray> onePageMore = r.pages;
        onePageMore.emplace_back();
        QCOMPARE(PicturePdf::existingNames(dir.path(), onePageMore).size(), qsizetype(r.pages.size()));

        const QString pdf = dir.filePath(QStringLiteral("letter.pdf"));
        PicturePdf::savePdf(pdf, r.pages, r.pageLines, QStringLiteral("Quarterly letter"));
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
                                                               r.pageLines, QString()));
        QVERIFY_THROWS_EXCEPTION(AppError, PicturePdf::savePdf(pdf, {QByteArray("not a jpeg")}, {}, QString()));
    }

    // The PDF's text lies where the pictures show it, line by line: every word of a
    // three-page letter is found once, on its own page, and no line runs past the page.
    void pdfTextIsFoundWhereShown()
    {
        QTemporaryDir dir;
        const ConfigSettings settings = ConfigSettings::firstRun();
        // Long paragraphs in several sizes, centred and right aligned too, so that most
        // words stand at a wrapped line's end or start somewhere.
        // Paragraphs are added until the letter fills three pages, whatever the fonts.
        QByteArray body;
        QStringList words;
        const char *const paragraphStarts[] = {"\\fs20 ", "\\fs28\\qc ", "\\fs16\\qr ", "\\fs36 "};
        QTextDocument doc;
        for (int paragraph = 0; PageRenderer::countPages(doc, settings) < 3; ++paragraph) {
            QVERIFY(paragraph < 200);
            body += "\\pard";
            body += paragraphStarts[paragraph % 4];
            for (int i = 0; i < 25; ++i) {
                const QString word = QStringLiteral("w%1x").arg(words.size(), 4, 10, QLatin1Char('0'));
                words << word;
                body += word.toLatin1() + ' ';
            }
            body += "\\par\n";
            LetterDocument::load(("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 " + body + "}").toStdString(), &doc);
        }
        PicturePreview::Input input;
        input.letter = LetterDocument::save(doc);
        const PicturePreview::Result r = PicturePreview::render(settings, input);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(r.pages.size(), std::size_t(3));
        QCOMPARE(r.pageLines.size(), std::size_t(3));

        const QString pdf = dir.filePath(QStringLiteral("letter.pdf"));
        PicturePdf::savePdf(pdf, r.pages, r.pageLines, QStringLiteral("Words"));
        QStringList found;
        for (int page = 1; page <= 3; ++page) {
            const QString number = QString::number(page);
            const QString text = run(QStringLiteral("pdftotext"),
                                     {QStringLiteral("-f"), number, QStringLiteral("-l"), number, pdf, QStringLiteral("-")});
            const QStringList pageWords = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
            QVERIFY2(!pageWords.isEmpty(), qPrintable(number));
            // The page's words follow on from the page before.
            if (!found.isEmpty())
                QCOMPARE(words.indexOf(pageWords.first()), int(found.size()));
            found << pageWords;
        }
        QCOMPARE(found, words);

        // Every word inside the page (450 x 600 points), as poppler places it.
        const QString boxes = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        const QRegularExpression box(QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
                                                    "yMax=\"([0-9.]+)\">"));
        int placed = 0;
        for (auto it = box.globalMatch(boxes); it.hasNext(); ++placed) {
            const QRegularExpressionMatch m = it.next();
            QVERIFY2(m.captured(1).toDouble() >= 0 && m.captured(3).toDouble() <= 450, qPrintable(m.captured(0)));
            QVERIFY2(m.captured(2).toDouble() >= 0 && m.captured(4).toDouble() <= 600, qPrintable(m.captured(0)));
        }
        QCOMPARE(placed, int(words.size()));
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
