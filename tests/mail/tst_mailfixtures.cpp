// Real-world-shaped mails from tests/data/mail read as the mail store reads them
// (line ends made CR LF, Clear, LoadFromString, ScanParts), checked field by field and
// against Python's email package where its reading and ours should agree.
#include "mail/MailText.h"
#include "mail/HeaderLines.h"
#include "mail/TMailMessage.h"
#include "tests/mail/MailTestTools.h"
#include "tests/support/TestFiles.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Lone CR or LF become CR LF, as the mail store stores texts.
QByteArray crlf(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n') && text[i + 1] != c)
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray fixture(const char *name)
{
    return crlf(TestFiles::read(TestFiles::dataPath(QString("mail/") + name)));
}

QJsonObject describeWithPython(const QByteArray &text)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("m.eml");
    TestFiles::write(file, text);
    const QString script = QString::fromUtf8(TestFiles::read(TestFiles::dataPath("mail/describe_mail.py")));
    QByteArray out, err;
    if (TestFiles::runPython(script, {file}, &out, &err) != 0)
        qWarning("python3 failed: %s", err.constData());
    return QJsonDocument::fromJson(out).array().first().toObject();
}

QByteArray pythonBody(const QJsonObject &leaf)
{
    return QByteArray::fromBase64(leaf.value("body").toString().toLatin1());
}

struct Loaded
{
    TMailMessage m;
    explicit Loaded(const QByteArray &text)
    {
        m.Clear();
        m.LoadFromString(S(text));
        m.ScanParts();
    }
};

// A text as shown: without the line breaks at its end.
QString shown(QString text)
{
    while (text.endsWith(u'\r') || text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

// What a reader shows of a mail: subject, plain and HTML text in their charsets, and
// every attachment as "file name as given|size|name it is stored under".
struct Shown
{
    QString subject, plain, html;
    QStringList files;
    QString tree;
};

Shown showMail(TMailMessage &m)
{
    Shown out{m.SubjectText(), shown(m.PlainBodyText()), shown(m.HtmlBodyText()), {}, ourTree(&m)};
    for (TMailPart *a : m.Attachments) {
        a->Decode();
        std::string charset;
        const std::string given = a->HeaderParam("Content-Disposition", "filename", &charset);
        out.files << MailText::paramText(given, charset) + "|" + QString::number(a->DecodedBody.size()) + "|"
                         + a->AttachmentFileNameText();
    }
    return out;
}

} // namespace

class TstMailFixtures : public QObject
{
    Q_OBJECT

private slots:
    void foldedHeaders();
    void uuencoded();
    void uuencodedWithoutEnd();
    void missingClosingBoundary();
    void relatedPicture();
    void rewriteKeepsTree_data();
    void rewriteKeepsTree();
    void realWorldSamples_data();
    void realWorldSamples();
};

void TstMailFixtures::foldedHeaders()
{
    const QByteArray text = fixture("folded_headers.eml");
    Loaded l(text);
    TMailMessage &m = l.m;

    // Folded lines joined with one space; names in canonical spelling.
    QCOMPARE(B(m.Headers.at(1)), QByteArray("Received: from mail.example.org (mail.example.org [192.0.2.10]) by "
                                            "mx.example.net with ESMTP id 4F2A1 for <bob@example.net>; Mon, 07 Dec "
                                            "2026 09:14:02 +0100"));
    QCOMPARE(B(m.Headers.at(2)), QByteArray("Message-ID: <20261207091402.4F2A1@example.org>"));
    QCOMPARE(FindHeaderLine(&m.Headers, "Content-Type:", 0) >= 0, true);
    QCOMPARE(B(m.Headers.at(FindHeaderLine(&m.Headers, "Content-Type:", 0))),
             QByteArray("Content-Type: MULTIPART/alternative; boundary=\"----=_NextPart_000_0012_01DB48A2.5C3E1F60\""));
    QCOMPARE(m.HeaderValue("Mime-Version"), std::string("1.0"));

    // Encoded words in three charsets, bytes taken as they are; the blanks between
    // adjacent words go.
    QCOMPARE(B(m.DecodedSubject()), QByteArray("Caf\xe9 \x96" "d\xc3\xa9j\xc3\xa0 vu"));
    std::string name, address;
    m.ReadAddress("From", name, address);
    QCOMPARE(B(name), QByteArray("Ren\xe9" "e M\xfcller"));
    QCOMPARE(address, std::string("renee@example.org"));

    QCOMPARE(m.ToRecipients.Count(), 3);
    QCOMPARE(m.ToRecipients.NameAt(0), std::string("Smith, Bob"));
    QCOMPARE(m.ToRecipients.AddressAt(0), std::string("bob@example.net"));
    QCOMPARE(m.ToRecipients.NameAt(1), std::string("Carol Jones"));
    QCOMPARE(m.ToRecipients.AddressAt(1), std::string("carol@example.net"));
    QCOMPARE(B(m.ToRecipients.NameAt(2)), QByteArray("Dvo\xf8\xe1k"));
    QCOMPARE(m.ToRecipients.AddressAt(2), std::string("dvorak@example.cz"));
    QCOMPARE(m.CcRecipients.Count(), 1);
    QCOMPARE(m.CcRecipients.AddressAt(0), std::string("dave@example.net"));

    QCOMPARE(ourTree(&m), QString("multipart/alternative(text/plain,text/html)"));
    QCOMPARE(m.AlternativePart, static_cast<TMailPart *>(&m));
    QCOMPARE(m.Attachments.Count(), 0);

    // Bodies: what Python decodes (it returns LF line ends for quoted-printable).
    const QJsonObject py = describeWithPython(text);
    QList<QJsonObject> leaves;
    pythonLeaves(py, leaves);
    QCOMPARE(leaves.size(), 2);
    QCOMPARE(B(m.PlainText()).replace("\r\n", "\n"), pythonBody(leaves[0]));
    QVERIFY(B(m.PlainText()).contains("cr\xe8me br\xfbl\xe9" "e, tarte tatin and a very long line"));
    QCOMPARE(B(m.HtmlText()), pythonBody(leaves[1]));
}

void TstMailFixtures::uuencoded()
{
    Loaded l(fixture("uuencoded.eml"));
    TMailMessage &m = l.m;
    QCOMPARE(ourTree(&m), QString("multipart/mixed(text/plain,text/plain,application/octet-stream)"));
    QVERIFY(m.Boundary().rfind("boundary", 0) == 0);
    QCOMPARE(B(m.PlainText()), QByteArray("Here are the files.\r\n\r\n"));
    QCOMPARE(m.Attachments.Count(), 2);

    TMailPart *hello = m.Attachments[0];
    hello->Decode();
    QCOMPARE(hello->AttachmentFileName(), std::string("hello.txt"));
    QCOMPARE(B(hello->DecodedBody), QByteArray("Hello, world!\r\nSecond line\r\n"));
    QCOMPARE(hello->HeaderValue("Content-Transfer-Encoding"), std::string("base64"));
    QCOMPARE(hello->HeaderValue("Content-Disposition"), std::string("attachment"));
    QCOMPARE(hello->HeaderParam("X-Mail-Attachment", "embedded"), std::string("no"));
    QVERIFY(!hello->IsEmbedded);

    TMailPart *data = m.Attachments[1];
    data->Decode();
    QCOMPARE(data->AttachmentFileName(), std::string("data.bin"));
    QByteArray expected;
    for (int i = 0; i < 100; ++i)
        expected += char(i);
    QCOMPARE(B(data->DecodedBody), expected);
    QCOMPARE(data->ContentType(), std::string("application/octet-stream"));

    // The converted mail is ordinary MIME for another reader.
    m.Rebuild();
    const QJsonObject py = describeWithPython(B(m.SourceText()));
    QCOMPARE(pythonTree(py), QString("multipart/mixed(text/plain,text/plain,application/octet-stream)"));
    QList<QJsonObject> leaves;
    pythonLeaves(py, leaves);
    QCOMPARE(leaves[1].value("filename").toString(), QString("hello.txt"));
    QCOMPARE(pythonBody(leaves[2]), expected);
}

// A uuencoded file whose "end" line never came keeps the data lines it has.
void TstMailFixtures::uuencodedWithoutEnd()
{
    Loaded l(fixture("uuencoded_no_end.eml"));
    TMailMessage &m = l.m;
    QCOMPARE(ourTree(&m), QString("multipart/mixed(text/plain,application/octet-stream)"));
    QCOMPARE(B(m.PlainText()), QByteArray("Only part of it arrived.\r\n"));
    QCOMPARE(m.Attachments.Count(), 1);
    TMailPart *data = m.Attachments[0];
    data->Decode();
    QCOMPARE(data->AttachmentFileName(), std::string("data.bin"));
    QByteArray expected;
    for (int i = 0; i < 100; ++i)
        expected += char(i);
    QCOMPARE(B(data->DecodedBody), expected);
}

// The closing delimiter is missing: the last sub-part still counts, as Python reads it.
void TstMailFixtures::missingClosingBoundary()
{
    const QByteArray text = fixture("missing_closing_boundary.eml");
    Loaded l(text);
    TMailMessage &m = l.m;
    QCOMPARE(ourTree(&m), QString("multipart/mixed(text/plain,application/pdf)"));
    QCOMPARE(B(m.PlainText()), QByteArray("The report is attached.\r\n"));
    QCOMPARE(m.Attachments.Count(), 1);
    TMailPart *pdf = m.Attachments[0];
    pdf->Decode();
    QCOMPARE(pdf->AttachmentFileName(), std::string("report.pdf"));
    QCOMPARE(pdf->DecodedBody.size(), std::size_t(3000));
    QByteArray expected;
    for (int i = 0; i < 3000; ++i)
        expected += char((i * 37 + 11) % 256);
    QCOMPARE(B(pdf->DecodedBody), expected);

    const QJsonObject py = describeWithPython(text);
    QList<QJsonObject> leaves;
    pythonLeaves(py, leaves);
    QCOMPARE(leaves.size(), 2);
    QCOMPARE(pythonBody(leaves[1]), expected);
}

void TstMailFixtures::relatedPicture()
{
    const QByteArray text = fixture("related_picture.eml");
    Loaded l(text);
    TMailMessage &m = l.m;
    QCOMPARE(ourTree(&m),
             QString("multipart/mixed(multipart/related(multipart/alternative(text/plain,text/html),image/gif),"
                     "application/pdf)"));
    QCOMPARE(B(m.DecodedSubject()), QByteArray("Rechnung f\xfcr M\xe4rz"));
    std::string name, address;
    m.ReadAddress("From", name, address);
    QCOMPARE(B(name), QByteArray("J\xfcrgen Wei\xdf"));
    QCOMPARE(m.FromAddress(), std::string("juergen@example.de"));
    QCOMPARE(m.ToRecipients.Count(), 1);
    QCOMPARE(B(m.ToRecipients.NameAt(0)), QByteArray("S\xe4nger"));

    QCOMPARE(B(m.PlainText()), QByteArray("See the logo:\r\n\r\n"));
    QCOMPARE(B(m.HtmlText()),
             QByteArray("<html><body><p>See the logo:</p><img src=\"cid:logo.gif@01DB48A2\"></body></html>\r\n"));

    QCOMPARE(m.Attachments.Count(), 2);
    TMailPart *gif = m.Attachments[0];
    QVERIFY(gif->IsEmbedded);
    QCOMPARE(gif->AttachmentFileName(), std::string("logo.gif"));
    TMailPart *pdf = m.Attachments[1];
    QVERIFY(!pdf->IsEmbedded);
    QCOMPARE(B(pdf->AttachmentFileName()), QByteArray("Rechnung M\xe4rz.pdf"));

    const QJsonObject py = describeWithPython(text);
    QList<QJsonObject> leaves;
    pythonLeaves(py, leaves);
    QCOMPARE(leaves.size(), 4);
    gif->Decode();
    pdf->Decode();
    QCOMPARE(B(gif->DecodedBody), pythonBody(leaves[2]));
    QCOMPARE(B(gif->DecodedBody).left(6), QByteArray("GIF89a"));
    QCOMPARE(B(pdf->DecodedBody), pythonBody(leaves[3]));
}

void TstMailFixtures::rewriteKeepsTree_data()
{
    QTest::addColumn<QString>("file");
    for (const char *f : {"folded_headers.eml", "uuencoded.eml", "uuencoded_no_end.eml",
                          "missing_closing_boundary.eml", "related_picture.eml"})
        QTest::newRow(f) << QString(f);
}

// As the send dialog does: load, Rebuild, scan; the text it writes reads back to the
// same tree, bodies and attachments, in our reader and in Python's.
void TstMailFixtures::rewriteKeepsTree()
{
    QFETCH(QString, file);
    Loaded first(fixture(file.toLatin1().constData()));
    const QString tree = ourTree(&first.m);

    TMailMessage m;
    m.Clear();
    m.LoadFromString(S(fixture(file.toLatin1().constData())));
    m.Rebuild();
    m.ScanParts();
    const QByteArray rewritten = B(m.SourceText());

    Loaded second(rewritten);
    QCOMPARE(ourTree(&second.m), tree);
    QCOMPARE(second.m.PlainText(), first.m.PlainText());
    QCOMPARE(second.m.HtmlText(), first.m.HtmlText());
    QCOMPARE(B(second.m.DecodedSubject()), B(first.m.DecodedSubject()));
    QCOMPARE(second.m.Attachments.Count(), first.m.Attachments.Count());
    for (int i = 0; i < first.m.Attachments.Count(); ++i) {
        TMailPart *a = first.m.Attachments[i];
        TMailPart *b = second.m.Attachments[i];
        a->Decode();
        b->Decode();
        QCOMPARE(b->AttachmentFileName(), a->AttachmentFileName());
        QCOMPARE(b->IsEmbedded, a->IsEmbedded);
        QCOMPARE(B(b->DecodedBody), B(a->DecodedBody));
    }

    const QJsonObject py = describeWithPython(rewritten);
    QCOMPARE(pythonTree(py), tree);
    QVERIFY2(py.value("defects").toArray().isEmpty(),
             qPrintable(QJsonDocument(py.value("defects").toArray()).toJson(QJsonDocument::Compact)));
}

// Mails from the field where readers went wrong, with what a reader must show. Python's
// reading stands beside ours where it reads the mail right.
void TstMailFixtures::realWorldSamples_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("tree");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("html"); // a piece of the HTML text
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("python");
    // A line of one blank followed by a field is folding, not the end of the header block.
    QTest::newRow("blank folding line") << "01-blank-line-then-field.eml" << "multipart/alternative(text/plain,text/html)"
                                        << "Harvest schedule" << "Picking starts Monday at dawn."
                                        << "<p>Picking starts Monday at dawn.</p>" << QStringList() << true;
    QTest::newRow("ISO-2022-JP words") << "02-iso2022jp-adjacent-words.eml" << "text/plain"
                                       << QStringLiteral("会議資料") << "Agenda attached next week." << ""
                                       << QStringList() << true;
    QTest::newRow("quoted pairs in parameters")
        << "03-quoted-pair-in-parameter.eml" << "multipart/mixed(text/plain,application/octet-stream,application/pdf)"
        << "Two files from the attic" << "Both files are attached." << ""
        << QStringList{"12\" vinyl side A.wav|4|12_ vinyl side A.wav", "D:scansdeed.pdf|4|D_scansdeed.pdf"} << true;
    QTest::newRow("HTML meta charset") << "04-html-meta-charset.eml" << "text/html" << "Pangram" << ""
                                       << QStringLiteral("<p>Příliš žluťoučký kůň úpěl ďábelské ódy.</p>")
                                       << QStringList() << false;
    QTest::newRow("zero byte in a text body") << "05-nul-in-text-body.eml" << "text/plain" << "Meter report"
                                              << "Meter reading: 4711 (sensor glitch)\r\nNext visit: 12 October." << ""
                                              << QStringList() << false;
    QTest::newRow("blanks before the colon") << "06-blank-before-colon.eml" << "" << "Quarterly figures"
                                             << "The figures are in." << "" << QStringList() << false;
}

void TstMailFixtures::realWorldSamples()
{
    QFETCH(QString, file);
    QFETCH(QString, tree);
    QFETCH(QString, subject);
    QFETCH(QString, plain);
    QFETCH(QString, html);
    QFETCH(QStringList, files);
    QFETCH(bool, python);
    const QByteArray text = fixture(("samples/" + file).toLatin1().constData());

    Loaded l(text);
    const Shown ours = showMail(l.m);
    QCOMPARE(ours.tree, tree);
    QCOMPARE(ours.subject, subject);
    QCOMPARE(ours.plain, plain);
    QVERIFY2(html.isEmpty() ? ours.html.isEmpty() : ours.html.contains(html), qPrintable(ours.html));
    QCOMPARE(ours.files, files);
    if (file.startsWith("06")) {
        QCOMPARE(l.m.HeaderValue("To"), std::string("board@relay.example"));
        QCOMPARE(l.m.HeaderValue("Date"), std::string("Sun, 07 Sep 2025 12:00:00 +0000"));
    }

    // Written again, the mail reads the same.
    TMailMessage m;
    m.Clear();
    m.LoadFromString(S(text));
    m.Rebuild();
    Loaded again(B(m.SourceText()));
    const Shown second = showMail(again.m);
    QCOMPARE(second.subject, ours.subject);
    QCOMPARE(second.plain, ours.plain);
    QCOMPARE(second.html, ours.html);
    QCOMPARE(second.files.size(), ours.files.size());
    for (int i = 0; i < ours.files.size(); ++i)
        QCOMPARE(second.files[i].section('|', 1), ours.files[i].section('|', 1));

    if (!python)
        return;
    const QJsonObject py = describeWithPython(text);
    // Python keeps the blank that unfolding leaves at the end of a field.
    QCOMPARE(py.value("subject").toString().trimmed(), subject);
    QCOMPARE(pythonTree(py), tree);
    QList<QJsonObject> leaves;
    pythonLeaves(py, leaves);
    QStringList pyFiles;
    for (const QJsonObject &leaf : leaves) {
        const QByteArray body = pythonBody(leaf);
        // Python gives a single body with LF line ends.
        if (leaf.value("role") == "plain")
            QCOMPARE(B(l.m.PlainPart->DecodedBody).replace("\r\n", "\n"), body);
        else if (leaf.value("role") == "html")
            QCOMPARE(B(l.m.HtmlPart->DecodedBody).replace("\r\n", "\n"), body);
        else
            pyFiles << leaf.value("filename").toString() + "|" + QString::number(body.size()) + "|"
                           + MailText::safeFileName(leaf.value("filename").toString());
    }
    QCOMPARE(pyFiles, files);
}

QTEST_GUILESS_MAIN(TstMailFixtures)
#include "tst_mailfixtures.moc"
