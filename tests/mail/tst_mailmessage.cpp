// Building messages: the container shapes, the header set of each part, Rebuild, and
// writing then reading again (Rebuild -> LoadFromString -> ScanParts) for every shape.
#include "mail/RandomSource.h"
#include "mail/TMailMessage.h"
#include "os/AppError.h"
#include "os/MessagePump.h"
#include "tests/support/TestFiles.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// "type(child,child)" of the tree below a part.
std::string shape(const TMailPart *part)
{
    std::string s = part->ContentType();
    if (part->SubParts.IsEmpty())
        return s;
    s += '(';
    for (int i = 0; i < part->SubParts.Count(); ++i) {
        if (i)
            s += ',';
        s += shape(part->SubParts[i]);
    }
    return s + ')';
}

std::string bytes(int n, int seed)
{
    std::string b(static_cast<std::size_t>(n), '\0');
    for (int i = 0; i < n; ++i)
        b[static_cast<std::size_t>(i)] = static_cast<char>((i * 131 + seed * 17) & 0xff);
    return b;
}

struct Content
{
    bool plain = false;
    bool html = false;
    int files = 0;
    int pictures = 0;
};

const std::string kPlain = "Hello caf\xe9,\r\nsecond line with = sign\r\n\r\nlast line";
const std::string kHtml = "<html><body><p>Hello caf\xe9</p><img src=\"cid:1.jpg\"></body></html>";

// Builds in the composer's order (texts, then files), or with the files first and the
// texts last (the send dialog's order).
void build(TMailMessage &m, const Content &c, bool textsFirst)
{
    m.Clear();
    m.SetSubject("Shapes");
    m.SetFrom("Anna", "anna@example.org");
    m.ToRecipients.SetAll("Bob", "bob@example.net");
    auto texts = [&] {
        if (c.plain)
            m.SetPlainText(kPlain);
        if (c.html)
            m.SetHtmlText(kHtml);
    };
    if (textsFirst)
        texts();
    for (int i = 0; i < c.files; ++i)
        m.AttachStream(bytes(1000 + i * 77, i), "C:\\docs\\file" + std::to_string(i) + ".bin");
    for (int i = 0; i < c.pictures; ++i)
        m.AttachStream(bytes(300 + i, 50 + i), std::to_string(i + 1) + ".jpg", {}, true);
    if (!textsFirst)
        texts();
    m.Rebuild();
}

} // namespace

class TstMailMessage : public QObject
{
    Q_OBJECT

private slots:
    void shapes_data();
    void shapes();
    void roundTrip_data() { shapes_data(); }
    void roundTrip();
    void plainOnlyHeaders();
    void attachmentHeaders();
    void relatedParts();
    void htmlBeforePlain();
    void rebuildOnlyWhenNeeded();
    void arrangeReasons_data();
    void arrangeReasons();
    void sendDialogFlow();
    void emptyTextThenAttachment();
    void singleAttachmentThenText();
    void contentIdMethod();
    void unnamedAttachments();
    void attachFileErrors();
    void attachFilePathEncoded_data();
    void attachFilePathEncoded();
    void attachFilePathEncodedErrors();
    void saveToFile();
    void rebuildServesEventLoop();
};

void TstMailMessage::shapes_data()
{
    QTest::addColumn<bool>("plain");
    QTest::addColumn<bool>("html");
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("pictures");
    QTest::addColumn<QString>("tree");
    const QString bin = QStringLiteral("application/octet-stream");
    QTest::newRow("plain") << true << false << 0 << 0 << "text/plain";
    QTest::newRow("html") << false << true << 0 << 0 << "text/html";
    QTest::newRow("plain+html") << true << true << 0 << 0 << "multipart/alternative(text/plain,text/html)";
    QTest::newRow("one file") << false << false << 1 << 0 << bin;
    QTest::newRow("two files") << false << false << 2 << 0 << "multipart/mixed(" + bin + "," + bin + ")";
    QTest::newRow("plain+files") << true << false << 2 << 0 << "multipart/mixed(text/plain," + bin + "," + bin + ")";
    QTest::newRow("plain+html+file") << true << true << 1 << 0
                                     << "multipart/mixed(multipart/alternative(text/plain,text/html)," + bin + ")";
    QTest::newRow("pictures") << false << false << 0 << 2 << "multipart/related(image/jpeg,image/jpeg)";
    QTest::newRow("html+pictures") << false << true << 0 << 2 << "multipart/related(text/html,image/jpeg,image/jpeg)";
    QTest::newRow("plain+html+pictures")
        << true << true << 0 << 2 << "multipart/alternative(text/plain,multipart/related(text/html,image/jpeg,image/jpeg))";
    QTest::newRow("everything")
        << true << true << 2 << 2
        << "multipart/mixed(multipart/alternative(text/plain,multipart/related(text/html,image/jpeg,image/jpeg))," + bin
               + "," + bin + ")";
    QTest::newRow("picture+file") << false << false << 1 << 1
                                  << "multipart/mixed(multipart/related(image/jpeg)," + bin + ")";
}

void TstMailMessage::shapes()
{
    QFETCH(bool, plain);
    QFETCH(bool, html);
    QFETCH(int, files);
    QFETCH(int, pictures);
    QFETCH(QString, tree);
    for (const bool textsFirst : {true, false}) {
        TMailMessage m;
        build(m, {plain, html, files, pictures}, textsFirst);
        QCOMPARE(QString::fromStdString(shape(&m)), tree);
        QCOMPARE(m.Attachments.Count(), files + pictures);
        QCOMPARE(m.PlainPart != nullptr, plain);
        QCOMPARE(m.HtmlPart != nullptr, html);
        // Every part sits under the boundary of its parent.
        std::vector<const TMailPart *> stack{&m};
        while (!stack.empty()) {
            const TMailPart *p = stack.back();
            stack.pop_back();
            for (const TMailPart *child : p->SubParts) {
                QCOMPARE(child->ParentPart, p);
                QCOMPARE(child->ParentBoundary, p->Boundary());
                stack.push_back(child);
            }
        }
        QCOMPARE(m.HeaderValue("Content-Length"), std::to_string(m.EncodedBody.size()));
        QVERIFY(!m.NeedRebuild);
        // Written piece by piece from the tree, the text is the one Rebuild keeps.
        const std::string rebuilt = m.SourceText();
        m.NeedRebuild = true;
        std::string written;
        m.WriteRebuilt([&written](std::string_view piece) { written += piece; });
        QCOMPARE(written, rebuilt);
    }
}

void TstMailMessage::roundTrip()
{
    QFETCH(bool, plain);
    QFETCH(bool, html);
    QFETCH(int, files);
    QFETCH(int, pictures);
    QFETCH(QString, tree);
    TMailMessage m;
    build(m, {plain, html, files, pictures}, true);
    const std::string text = m.SourceText();

    TMailMessage r;
    r.LoadFromString(text);
    QVERIFY(r.NeedRebuild && r.NeedArrange && r.NeedScan);
    r.ScanParts();
    QCOMPARE(QString::fromStdString(shape(&r)), tree);
    QCOMPARE(r.PlainLines, plain ? TMailMessage::SplitLines(kPlain) : std::vector<std::string>{});
    QCOMPARE(r.HtmlLines, html ? TMailMessage::SplitLines(kHtml) : std::vector<std::string>{});
    // Same attachments; reading lists them in tree order (pictures before files).
    QCOMPARE(r.Attachments.Count(), m.Attachments.Count());
    for (TMailPart *a : m.Attachments) {
        TMailPart *b = nullptr;
        for (TMailPart *candidate : r.Attachments)
            if (candidate->AttachmentFileName() == a->AttachmentFileName())
                b = candidate;
        QVERIFY(b);
        QCOMPARE(b->IsEmbedded, a->IsEmbedded);
        a->Decode();
        b->Decode();
        QCOMPARE(b->DecodedBody, a->DecodedBody);
    }
    QCOMPARE(r.DecodedSubject(), std::string("Shapes"));

    // Writing the loaded message again gives the same mail.
    r.Rebuild();
    TMailMessage again;
    again.LoadFromString(r.SourceText());
    again.ScanParts();
    QCOMPARE(again.PlainLines, r.PlainLines);
    QCOMPARE(again.HtmlLines, r.HtmlLines);
    QCOMPARE(again.Attachments.Count(), r.Attachments.Count());
}

void TstMailMessage::plainOnlyHeaders()
{
    TMailMessage m;
    m.Clear();
    m.SetSubject("Hi");
    m.SetDate(QDateTime(QDate(2026, 12, 7), QTime(0, 5, 3)));
    m.SetFrom("Anna", "anna@example.org");
    m.SetReplyTo("", "reply@example.org");
    m.ToRecipients.SetAll("Bob", "bob@example.net");
    m.CcRecipients.SetAll("", "");
    m.BccRecipients.SetAll("", "hidden@example.net");
    m.SetPlainText("caf\xe9");
    m.Rebuild();
    QStringList names;
    for (const std::string &line : m.Headers)
        names << QString::fromStdString(line.substr(0, line.find(':')));
    QCOMPARE(names, QStringList({"Subject", "Date", "From", "Reply-To", "To", "Bcc", "Mime-Version", "X-Mailer",
                                 "X-Unsent", "Content-Transfer-Encoding", "Content-Type", "Content-Disposition",
                                 "Content-Length"}));
    QCOMPARE(m.HeaderValue("Content-Type"), std::string("text/plain"));
    QCOMPARE(m.HeaderParam("Content-Type", "charset"), std::string("iso-8859-1"));
    QCOMPARE(m.HeaderValue("Content-Transfer-Encoding"), std::string("quoted-printable"));
    QCOMPARE(m.EncodedBody, std::string("caf=E9"));
    QCOMPARE(m.HeaderValue("Content-Length"), std::string("6"));
    QVERIFY(m.SourceText().find("This is a multipart") == std::string::npos);
    QCOMPARE(m.HeaderValue("Reply-To"), std::string("reply@example.org"));
}

void TstMailMessage::attachmentHeaders()
{
    TMailMessage m;
    m.SetPlainText("text");
    m.AttachStream("abc", "/home/u/report.pdf");
    QVERIFY(m.Boundary().size() > 6);
    QVERIFY(m.Boundary().ends_with("_mixed"));
    QCOMPARE(QString::fromStdString(shape(&m)), QStringLiteral("multipart/mixed(text/plain,application/pdf)"));
    const TMailPart *a = m.SubParts[1];
    const std::vector<std::string> expected{
        "Content-Transfer-Encoding: base64",
        "Content-Type: application/pdf; name=\"report.pdf\"",
        "X-Mail-Attachment: \"report.pdf\"; embedded=no",
        "Content-Length: 6",
        "Content-Disposition: attachment; filename=\"report.pdf\"",
    };
    QCOMPARE(a->Headers, expected);
    QCOMPARE(a->EncodedBody, std::string("YWJj\r\n"));
    // The text part keeps its charset and position.
    QCOMPARE(m.SubParts[0]->HeaderParam("Content-Type", "charset"), std::string("iso-8859-1"));
    QCOMPARE(m.SubParts[0]->HeaderValue("Content-Disposition"), std::string("inline"));

    // A double quote in a file name cannot close the quoted name and add parameters.
    TMailMessage q;
    q.SetPlainText("text");
    q.AttachStream("abc", "q\"uote; x=1.bin");
    q.Rebuild();
    TMailMessage r;
    r.LoadFromString(q.SourceText());
    r.ScanParts();
    QCOMPARE(r.Attachments.Count(), 1);
    QCOMPARE(r.Attachments[0]->AttachmentFileName(), std::string("q_uote; x=1.bin")); // safe as a file name
    QCOMPARE(r.Attachments[0]->HeaderParam("X-Mail-Attachment", "embedded"), std::string("no"));
}

void TstMailMessage::relatedParts()
{
    TMailMessage m;
    m.SetPlainText("p");
    m.SetHtmlText("<p>h</p>");
    m.AttachStream("img1", "1.jpg", {}, true);
    m.AttachStream("img2", "2.jpg", "image/png", true);
    QCOMPARE(QString::fromStdString(shape(&m)),
             QStringLiteral("multipart/alternative(text/plain,multipart/related(text/html,image/jpeg,image/png))"));
    // The plain text beside the related container, whose first part is the HTML it names.
    QVERIFY(m.Boundary().ends_with("_alternative"));
    const TMailPart *related = m.SubParts[1];
    QVERIFY(related->Boundary().ends_with("_related"));
    QCOMPARE(related->HeaderParam("Content-Type", "type"), std::string("text/html"));
    for (int i = 1; i <= 2; ++i) {
        const TMailPart *p = related->SubParts[i];
        QCOMPARE(p->HeaderValue("Content-Disposition"), std::string("inline"));
        QCOMPARE(p->HeaderValue("Content-Location"), "http://localhost/" + std::to_string(i) + ".jpg");
        QCOMPARE(p->HeaderParam("X-Mail-Attachment", "embedded"), std::string("yes"));
        QVERIFY(p->IsEmbedded);
    }
    QCOMPARE(m.TextContainer, static_cast<TMailPart *>(&m));
    QCOMPARE(m.RelatedPart, related);
}

void TstMailMessage::htmlBeforePlain()
{
    TMailMessage m;
    m.SetHtmlText("<p>h</p>");
    QCOMPARE(m.HtmlPart, static_cast<TMailPart *>(&m));
    m.SetPlainText("p");
    QCOMPARE(QString::fromStdString(shape(&m)), QStringLiteral("multipart/alternative(text/plain,text/html)"));
    QCOMPARE(m.PlainPart, m.SubParts[0]);
    QCOMPARE(m.HtmlPart, m.SubParts[1]);
    m.HtmlPart->Decode();
    QCOMPARE(m.HtmlPart->DecodedBody, std::string("<p>h</p>"));
    // Setting a text again replaces it in place.
    m.SetPlainText("new\nline");
    QCOMPARE(m.SubParts.Count(), 2);
    QCOMPARE(m.PlainPart->DecodedBody, std::string("new\r\nline"));
    QCOMPARE(m.PlainLines, (std::vector<std::string>{"new", "line"}));
}

void TstMailMessage::rebuildOnlyWhenNeeded()
{
    TMailMessage m;
    m.SetPlainText("p");
    m.AttachStream("abc", "a.bin");
    m.Rebuild();
    const std::string first = m.SourceText();
    m.Rebuild();
    QCOMPARE(m.SourceText(), first);
    m.AttachStream("def", "b.bin");
    QVERIFY(m.NeedRebuild);
    m.Rebuild();
    const std::string second = m.SourceText();
    QVERIFY(second != first);
    QVERIFY(second.find("b.bin") != std::string::npos);
    QVERIFY(m.Boundary() != TMailMessage().Boundary());
}

// Each reason prepares the containers for the part about to be added; 0 leaves an
// arranged message alone, any other number arranges it again as it stands.
void TstMailMessage::arrangeReasons_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("arranged");
    QTest::addColumn<QString>("shape");
    QTest::newRow("only if needed") << 0 << false << "text/plain";
    QTest::newRow("always") << 1 << true << "text/plain";
    QTest::newRow("text") << 2 << true << "multipart/alternative(text/plain)";
    QTest::newRow("attachment") << 3 << true << "multipart/mixed(text/plain)";
    QTest::newRow("embedded") << 4 << true << "multipart/related(text/plain)";
    QTest::newRow("other number") << 9 << true << "text/plain";
}

void TstMailMessage::arrangeReasons()
{
    QFETCH(int, reason);
    QFETCH(bool, arranged);
    QFETCH(QString, shape);
    TMailMessage m;
    m.SetPlainText(kPlain);
    m.Rebuild();
    QVERIFY(!m.NeedRebuild);
    m.ArrangeParts(reason);
    QCOMPARE(m.NeedRebuild, arranged);
    QCOMPARE(QString::fromStdString(::shape(&m)), shape);
    m.PlainPart->Decode();
    QCOMPARE(m.PlainPart->DecodedBody, kPlain);
}

void TstMailMessage::sendDialogFlow()
{
    // The composer stores plain text and a file; the send dialog loads it, adds two pages
    // as pictures and replaces the bodies.
    TMailMessage composer;
    composer.Clear();
    composer.SetSubject("Letter");
    composer.SetPlainText("{\\rtf1 letter}");
    composer.AttachStream(bytes(5000, 3), "data.bin");
    composer.Rebuild();
    const std::string stored = composer.SourceText();

    TMailMessage m;
    m.Clear();
    m.LoadFromString(stored);
    m.Rebuild();
    m.ScanParts();
    QCOMPARE(m.PlainLines, std::vector<std::string>{"{\\rtf1 letter}"});
    m.AddPicture(bytes(400, 1), "1.jpg", {}, true);
    m.AddPicture(bytes(500, 2), "2.jpg", {}, true);
    m.SetPlainText(" ");
    m.SetHtmlText("<img src=\"cid:1.jpg\"><img src=\"cid:2.jpg\">");
    m.Rebuild();
    const QString expected = QStringLiteral(
        "multipart/mixed(multipart/alternative(text/plain,multipart/related(text/html,image/jpeg,image/jpeg)),"
        "application/octet-stream)");
    QCOMPARE(QString::fromStdString(shape(&m)), expected);
    const TMailPart *pic = m.SubParts[0]->SubParts[1]->SubParts[1];
    QCOMPARE(pic->HeaderValue("Content-ID"), std::string("<1.jpg>"));
    QCOMPARE(pic->HeaderValue("Content-Location"), std::string("http://localhost/1.jpg"));
    QCOMPARE(pic->HeaderParam("X-Mail-Attachment", "embedded"), std::string("yes"));

    TMailMessage r;
    r.LoadFromString(m.SourceText());
    r.ScanParts();
    QCOMPARE(QString::fromStdString(shape(&r)), expected);
    QCOMPARE(r.PlainLines, std::vector<std::string>{" "});
    QCOMPARE(r.Attachments.Count(), 3);
    QVERIFY(r.Attachments[0]->IsEmbedded && r.Attachments[1]->IsEmbedded && !r.Attachments[2]->IsEmbedded);
    r.Attachments[2]->Decode();
    QCOMPARE(r.Attachments[2]->DecodedBody, bytes(5000, 3));
    QCOMPARE(r.Attachments[2]->AttachmentFileName(), std::string("data.bin"));
}

void TstMailMessage::emptyTextThenAttachment()
{
    // An empty text body held by the message itself moves out like any other text: the
    // message must not become its own child.
    TMailMessage m;
    m.SetPlainText("");
    QCOMPARE(m.PlainPart, static_cast<TMailPart *>(&m));
    m.AttachStream("abc", "a.bin");
    QCOMPARE(QString::fromStdString(shape(&m)), QStringLiteral("multipart/mixed(text/plain,application/octet-stream)"));
    QVERIFY(m.PlainPart != &m);
    QVERIFY(m.SubParts.IndexOf(&m) < 0);
    m.Rebuild();
    QVERIFY(m.SourceText().size() > 100);
}

void TstMailMessage::singleAttachmentThenText()
{
    TMailMessage m;
    m.AttachStream("abc", "a.txt");
    QCOMPARE(m.Attachments.Count(), 1);
    QCOMPARE(m.Attachments[0], static_cast<TMailPart *>(&m));
    QCOMPARE(m.ContentType(), std::string("text/plain"));
    m.SetPlainText("body");
    QCOMPARE(QString::fromStdString(shape(&m)), QStringLiteral("multipart/mixed(text/plain,text/plain)"));
    QCOMPARE(m.Attachments.Count(), 1);
    TMailPart *a = m.Attachments[0];
    QVERIFY(a != &m);
    QCOMPARE(a->AttachmentFileName(), std::string("a.txt"));
    a->Decode();
    QCOMPARE(a->DecodedBody, std::string("abc"));
    QCOMPARE(m.PlainPart, m.SubParts[0]);
    QVERIFY(!m.HasHeader("X-Mail-Attachment"));
}

void TstMailMessage::contentIdMethod()
{
    TMailMessage m;
    m.EmbedMethod = emContentID;
    m.SetHtmlText("<img src=\"cid:a.gif\">");
    m.AttachStream("GIF89a", "a.gif", {}, true);
    const TMailPart *pic = m.SubParts[1];
    QCOMPARE(pic->HeaderValue("Content-ID"), std::string("<a.gif>"));
    QVERIFY(!pic->HasHeader("Content-Location"));
    QCOMPARE(pic->HeaderValue("Content-Type"), std::string("image/gif"));
}

void TstMailMessage::unnamedAttachments()
{
    // A loaded part without any name source gets its type as name.
    TMailMessage m;
    m.LoadFromString("Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n"
                     "hello\r\n--b\r\nContent-Transfer-Encoding: base64\r\n\r\nYWJj\r\n--b--\r\n");
    m.SetHtmlText("<p>x</p>");
    QCOMPARE(m.Attachments.Count(), 1);
    const TMailPart *a = m.Attachments[0];
    QCOMPARE(a->HeaderValue("Content-Type"), std::string("application/octet-stream"));
    QCOMPARE(a->HeaderValue("X-Mail-Attachment"), a->AttachmentFileName());
    QVERIFY(a->AttachmentFileName().starts_with("application_octet-stream"));
    QCOMPARE(a->HeaderParam("Content-Disposition", "filename"), a->AttachmentFileName());
}

void TstMailMessage::attachFileErrors()
{
    TMailMessage m;
    QVERIFY_THROWS_EXCEPTION(AppError, m.AttachFile("/nonexistent/dir/x.pdf"));
    try {
        m.AttachFile("/nonexistent/dir/x.pdf");
    } catch (const AppError &e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Cannot open file \"/nonexistent/dir/x.pdf\""));
    }
    // The message is UTF-8 whichever way the name came: Windows-1252 bytes or characters.
    for (const bool bytes : {true, false}) {
        try {
            bytes ? m.AttachFile("/nonexistent/caf\xe9 \x80.pdf")
                  : m.AttachFilePath(QStringLiteral("/nonexistent/café €.pdf"));
            QFAIL("no error");
        } catch (const AppError &e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Cannot open file \"/nonexistent/café €.pdf\""));
        }
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.png"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("PNGDATA");
    f.close();
    m.AttachFile(path.toStdString());
    QCOMPARE(m.AttachmentFileName(), std::string("photo.png"));
    QCOMPARE(m.ContentType(), std::string("image/png"));
    m.Decode();
    QCOMPARE(m.DecodedBody, std::string("PNGDATA"));
}

void TstMailMessage::attachFilePathEncoded_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("plain");
    QTest::addColumn<bool>("embedded");
    const int piece = 57 * 16384;
    for (const int size : {0, 1, 56, 57, 58, piece, piece + 1})
        QTest::addRow("%d bytes", size) << size << true << false;
    QTest::newRow("embedded") << 58 << true << true;
    QTest::newRow("the message is the file") << piece + 1 << false << false;
}

// Encoding a file while it is read makes the same mail as encoding it whole; the part is
// left undecoded, and decodes to the file.
void TstMailMessage::attachFilePathEncoded()
{
    QFETCH(int, size);
    QFETCH(bool, plain);
    QFETCH(bool, embedded);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.bin"));
    const std::string data = bytes(size, 3);
    TestFiles::write(path, QByteArray::fromStdString(data));
    TMailMessage messages[2];
    for (const int encoded : {0, 1}) {
        TMailMessage &m = messages[encoded];
        std::uint32_t next = 1; // the same boundaries
        SetMailRandomSource([&next] { return next++; });
        if (plain)
            m.SetPlainText(kPlain);
        encoded ? m.AttachFilePathEncoded(path, {}, embedded) : m.AttachFilePath(path, {}, embedded);
        m.Rebuild();
        SetMailRandomSource({});
    }
    QCOMPARE(messages[1].SourceText(), messages[0].SourceText());
    TMailPart *part = messages[1].Attachments.Last();
    QVERIFY(!part->IsDecoded);
    part->Decode();
    QCOMPARE(part->DecodedBody, data);
}

// A file that cannot be opened or read gives the same error, and the message stays as it
// was.
void TstMailMessage::attachFilePathEncodedErrors()
{
    for (const QString &path : {QStringLiteral("/nonexistent/x.bin"), QStringLiteral("/proc/self/mem")}) {
        TMailMessage m;
        m.SetPlainText(kPlain);
        m.Rebuild();
        const std::string before = m.SourceText();
        QString errors[2];
        for (const int encoded : {0, 1}) {
            try {
                encoded ? m.AttachFilePathEncoded(path) : m.AttachFilePath(path);
            } catch (const AppError &e) {
                errors[encoded] = QString::fromUtf8(e.what());
            }
        }
        QVERIFY(errors[0].startsWith(QStringLiteral("Cannot ")));
        QCOMPARE(errors[1], errors[0]);
        QCOMPARE(m.Attachments.Count(), 0);
        m.Rebuild();
        QCOMPARE(m.SourceText(), before);
    }
}

void TstMailMessage::saveToFile()
{
    TMailMessage m;
    m.TextEncoding = etNoEncoding;
    m.SetPlainText("a\nb\rc");
    m.Rebuild();
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("m.eml")).toStdString();
    m.SaveToFile(path);
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray data = f.readAll();
    QVERIFY(data.endsWith("a\r\nb\r\nc\r\n"));
    QVERIFY(!data.contains("\n\n"));
    QVERIFY_THROWS_EXCEPTION(AppError, m.SaveToFile("/nonexistent/dir/m.eml"));
}

void TstMailMessage::rebuildServesEventLoop()
{
    int served = 0;
    MessagePump::setIntervalMs(0);
    MessagePump::setHook([&] { ++served; });
    TMailMessage m;
    m.SetPlainText("x");
    m.AttachStream(bytes(57 * 100, 9), "big.bin");
    m.Rebuild();
    MessagePump::setHook({});
    MessagePump::setIntervalMs(5);
    QVERIFY(served >= 100);
}

QTEST_GUILESS_MAIN(TstMailMessage)
#include "tst_mailmessage.moc"
