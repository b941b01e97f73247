// Real-world-shaped mails from tests/data/mail read as the mail store reads them
// (line ends made CR LF, Clear, LoadFromString, ScanParts), checked field by field and
// against Python's email package where its reading and ours should agree.
#include "mail/MimeHelpers.h"
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

QTEST_GUILESS_MAIN(TstMailFixtures)
#include "tst_mailfixtures.moc"
