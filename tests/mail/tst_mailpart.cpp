// The part object: header access, Decode/Encode, SourceText, AttachmentFileName,
// Detach and ownership.
#include "mail/TMailMessage.h"
#include "os/AppError.h"
#include "tests/mail/MailTestTools.h"

#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(std::string)

namespace {

std::vector<std::string> lines(const QStringList &list)
{
    std::vector<std::string> out;
    for (const QString &s : list)
        out.push_back(s.toStdString());
    return out;
}

} // namespace

class TstMailPart : public QObject
{
    Q_OBJECT

private slots:
    void headerValue_data();
    void headerValue();
    void setHeaderValue_data();
    void setHeaderValue();
    void headerParams();
    void decode_data();
    void decode();
    void decodeOnce();
    void uuencodedBecomesBase64();
    void encode_data();
    void encode();
    void attachmentFileName_data();
    void attachmentFileName();
    void sourceText();
    void detachAndOwnership();
    void loadWithoutOwner();
};

void TstMailPart::headerValue_data()
{
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("has");
    QTest::newRow("plain") << QStringList{"Subject: hello"} << "Subject" << "hello" << true;
    QTest::newRow("case ignored") << QStringList{"content-type: text/plain"} << "Content-Type" << "text/plain" << true;
    QTest::newRow("params cut") << QStringList{"Content-Type: text/plain; charset=x"} << "Content-Type" << "text/plain"
                                << true;
    QTest::newRow("double quotes") << QStringList{"X-A: \"abc\""} << "X-A" << "abc" << true;
    QTest::newRow("single quotes") << QStringList{"X-A: 'abc'"} << "X-A" << "abc" << true;
    QTest::newRow("two chars kept") << QStringList{"X-A: ''"} << "X-A" << "''" << true;
    QTest::newRow("first wins") << QStringList{"X-A: one", "X-A: two"} << "X-A" << "one" << true;
    QTest::newRow("prefix is not a match") << QStringList{"X-AB: one"} << "X-A" << "" << false;
    QTest::newRow("empty value") << QStringList{"X-A:"} << "X-A" << "" << true;
    QTest::newRow("absent") << QStringList{} << "X-A" << "" << false;
}

void TstMailPart::headerValue()
{
    QFETCH(QStringList, headers);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(bool, has);
    TMailPart p(nullptr);
    p.Headers = lines(headers);
    QCOMPARE(QString::fromStdString(p.HeaderValue(name.toStdString())), value);
    QCOMPARE(p.HasHeader(name.toStdString()), has);
}

void TstMailPart::setHeaderValue_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("keeps params and position")
        << QStringList{"A: 1", "Content-Type: text/plain; charset=\"iso-8859-1\"", "B: 2"} << "Content-Type"
        << "text/html" << QStringList{"A: 1", "Content-Type: text/html; charset=\"iso-8859-1\"", "B: 2"};
    QTest::newRow("appends") << QStringList{"A: 1"} << "X-New" << "v" << QStringList{"A: 1", "X-New: v"};
    QTest::newRow("empty removes first only") << QStringList{"To: a", "X: 1", "to: b"} << "To" << ""
                                              << QStringList{"X: 1", "to: b"};
    QTest::newRow("empty on absent") << QStringList{"X: 1"} << "To" << "" << QStringList{"X: 1"};
}

void TstMailPart::setHeaderValue()
{
    QFETCH(QStringList, before);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QStringList, after);
    TMailPart p(nullptr);
    p.Headers = lines(before);
    p.SetHeaderValue(name.toStdString(), value.toStdString());
    QCOMPARE(p.Headers, lines(after));
}

void TstMailPart::headerParams()
{
    TMailPart p(nullptr);
    p.SetHeaderParam("Content-Type", "boundary", "\"b1\"");
    QCOMPARE(p.Headers, std::vector<std::string>{"Content-Type:; boundary=\"b1\""});
    p.SetHeaderValue("Content-Type", "multipart/mixed");
    QCOMPARE(p.Headers, std::vector<std::string>{"Content-Type: multipart/mixed; boundary=\"b1\""});
    QCOMPARE(p.Boundary(), std::string("b1"));
    QCOMPARE(p.ContentType(), std::string("multipart/mixed"));
    QVERIFY(p.HasHeaderParam("Content-Type", "BOUNDARY"));
    QVERIFY(!p.HasHeaderParam("Content-Type", "charset"));
    p.SetHeaderParam("Content-Type", "boundary", "\"b2\"");
    QCOMPARE(p.Boundary(), std::string("b2"));
    p.Headers = {"Content-Type: TEXT/Plain; name='x.txt'"};
    QCOMPARE(p.ContentType(), std::string("text/plain"));
    QCOMPARE(p.HeaderParam("Content-Type", "name"), std::string("x.txt"));
    QVERIFY(!p.HasHeaderParam("Content-Type", "x"));
    QVERIFY(!p.HasHeaderParam("X-Absent", "x"));
}

void TstMailPart::decode_data()
{
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<QByteArray>("decoded");
    QTest::newRow("base64 lines") << "base64" << QByteArray("QUJD\r\nREVG\r\n") << QByteArray("ABCDEF");
    QTest::newRow("base64 upper case name") << "BASE64" << QByteArray("QUJD") << QByteArray("ABC");
    QTest::newRow("base64 blanks") << "base64" << QByteArray("  QUJD  \r\n") << QByteArray("ABC");
    QTest::newRow("base64 groups run over lines") << "base64" << QByteArray("QUJ\r\nDREVG\r\n") << QByteArray("ABCDEF");
    QTest::newRow("base64 ends at padding") << "base64" << QByteArray("QQ==\r\nQUJD\r\n") << QByteArray("A");
    QTest::newRow("base64 without its padding") << "base64" << QByteArray("SGVsbG8g\r\nV29ybGQ\r\n")
                                                << QByteArray("Hello World");
    QTest::newRow("quoted-printable") << "quoted-printable" << QByteArray("caf=E9 =\r\nau lait") << QByteArray("caf\xe9 au lait");
    QTest::newRow("7bit copied") << "7bit" << QByteArray("a=3Db") << QByteArray("a=3Db");
    QTest::newRow("qp keeps a zero byte") << "quoted-printable" << QByteArray("ab\0cd", 5) << QByteArray("ab\0cd", 5);
    QTest::newRow("8bit copied") << "8bit" << QByteArray("a=3Db\0x", 7) << QByteArray("a=3Db\0x", 7);
    QTest::newRow("none copied") << "" << QByteArray("a=3Db") << QByteArray("a=3Db");
    QTest::newRow("uuencode") << "x-uuencode" << QByteArray("begin 644 a\r\n#86)C\r\n`\r\nend\r\n") << QByteArray("abc");
    QTest::newRow("uucode") << "uucode" << QByteArray("#86)C") << QByteArray("abc");
    QTest::newRow("uuencode") << "uuencode" << QByteArray("begin 644 a\r\n#86)C\r\n`\r\nend\r\n") << QByteArray("abc");
    // Many pieces of 64 KB, a group cut by a line break at the end of each, and padding
    // at the end of the data (a footer after it is not decoded).
    const QByteArray data = randomBytes(299999, 9);
    QByteArray text = data.toBase64();
    for (qsizetype at = 64 * 1024 - 2; at < text.size(); at += 64 * 1024)
        text.insert(at, "\r\n!");
    QTest::newRow("base64 in pieces") << "base64" << text << data;
    QTest::newRow("base64 pieces, footer") << "base64" << text.append("\r\n-- \r\nQUJD\r\n") << data;
}

// Decode(), and WriteDecoded() whose pieces put together are the same bytes.
void TstMailPart::decode()
{
    QFETCH(QString, encoding);
    QFETCH(QByteArray, encoded);
    QFETCH(QByteArray, decoded);
    for (const bool inPieces : {false, true}) {
        TMailPart p(nullptr);
        if (!encoding.isEmpty())
            p.SetHeaderValue("Content-Transfer-Encoding", encoding.toStdString());
        p.EncodedBody = encoded.toStdString();
        std::string out;
        if (inPieces)
            p.WriteDecoded([&out](std::string_view piece) { out += piece; });
        else
            QVERIFY(p.Decode());
        QCOMPARE(QByteArray::fromStdString(inPieces ? out : p.DecodedBody), decoded);
        // Only a base64 body is decoded in pieces, and then it is not kept.
        QCOMPARE(p.IsDecoded, !inPieces || encoding.toLower() != "base64" || encoded.isEmpty());
    }
}

void TstMailPart::decodeOnce()
{
    TMailPart p(nullptr);
    p.SetHeaderValue("Content-Transfer-Encoding", "base64");
    std::string data(300, 'x');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i);
    p.DecodedBody = data;
    p.Encode(etBase64);
    QCOMPARE(p.EncodedBody.str().substr(76, 2), std::string("\r\n"));
    p.DecodedBody.clear();
    p.Decode();
    QCOMPARE(p.DecodedBody, data);
    p.EncodedBody = "QUJD";
    p.Decode();
    QCOMPARE(p.DecodedBody, data);
}

void TstMailPart::uuencodedBecomesBase64()
{
    TMailPart p(nullptr);
    p.SetHeaderValue("Content-Transfer-Encoding", "x-uuencode");
    // One full line of 45 bytes ("M" = 45) and a short last line of 3 bytes.
    p.EncodedBody = "begin 644 f\r\nM86)C9&5F9VAI:FML;6YO<'%R<W1U=G=X>7I!0D-$149'2$E*2TQ-3D]045)3\r\n#5%56\r\n`\r\nend\r\n";
    p.Decode();
    QCOMPARE(p.DecodedBody, std::string("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUV"));
    QCOMPARE(p.HeaderValue("Content-Transfer-Encoding"), std::string("base64"));
    QCOMPARE(p.EncodedBody.str().substr(0, 8), std::string("YWJjZGVm"));
}

void TstMailPart::encode_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("decoded");
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<QString>("field");
    QTest::newRow("base64") << int(etBase64) << QByteArray("ABC") << QByteArray("QUJD\r\n") << "base64";
    QTest::newRow("base64 empty") << int(etBase64) << QByteArray() << QByteArray() << "base64";
    QTest::newRow("qp") << int(etQuotedPrintable) << QByteArray("a=\xe9") << QByteArray("a=3D=E9") << "quoted-printable";
    QTest::newRow("qp empty") << int(etQuotedPrintable) << QByteArray() << QByteArray() << "quoted-printable";
    QTest::newRow("none") << int(etNoEncoding) << QByteArray("a\xe9") << QByteArray("a\xe9") << "";
    QTest::newRow("7bit") << int(et7Bit) << QByteArray("a\xe9") << QByteArray("a\xe9") << "7bit";
}

void TstMailPart::encode()
{
    QFETCH(int, type);
    QFETCH(QByteArray, decoded);
    QFETCH(QByteArray, encoded);
    QFETCH(QString, field);
    TMailPart p(nullptr);
    p.Headers = {"Content-Transfer-Encoding: old", "X: 1"};
    p.EncodedBody = "stale";
    p.DecodedBody = decoded.toStdString();
    p.Encode(static_cast<TEncodingType>(type));
    QCOMPARE(QByteArray::fromStdString(p.EncodedBody.str()), encoded);
    QCOMPARE(QString::fromStdString(p.HeaderValue("Content-Transfer-Encoding")), field);
    QCOMPARE(p.HasHeader("Content-Transfer-Encoding"), !field.isEmpty());
}

void TstMailPart::attachmentFileName_data()
{
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QString>("name");
    QTest::newRow("x-mail-attachment first")
        << QStringList{"Content-Type: image/png; name=\"n.png\"", "X-Mail-Attachment: \"x.png\"; embedded=yes"} << "x.png";
    QTest::newRow("filename before name") << QStringList{"Content-Type: image/png; name=\"n.png\"",
                                                         "Content-Disposition: attachment; filename=\"f.png\""}
                                          << "f.png";
    QTest::newRow("name param") << QStringList{"Content-Type: image/png; name=\"n.png\""} << "n.png";
    QTest::newRow("filename param") << QStringList{"Content-Disposition: attachment; filename=\"f.txt\""} << "f.txt";
    QTest::newRow("content-id") << QStringList{"Content-ID: <1.jpg>"} << "_1.jpg_";
    QTest::newRow("content-location") << QStringList{"Content-Location: http://h/a.gif"} << "http___h_a.gif";
    QTest::newRow("type and extension") << QStringList{"Content-Type: application/pdf"} << "application_pdf.pdf";
    QTest::newRow("extension added") << QStringList{"Content-Type: image/jpeg; name=\"photo\""} << "photo.jpg";
    QTest::newRow("no type reads as text/plain") << QStringList{} << "text_plain.txt";
    QTest::newRow("unusable type reads as text/plain") << QStringList{"Content-Type: text"} << "text_plain.txt";
    QTest::newRow("encoded word") << QStringList{"X-Mail-Attachment: \"=?iso-8859-1?Q?caf=E9.txt?=\""} << "caf\u00e9.txt";
    QTest::newRow("path and line break made safe")
        << QStringList{"Content-Type: text/plain; name=\"=?x?Q?..=2F..=2Fa=0D=0Ab.txt?=\""} << ".._.._a__b.txt";
}

void TstMailPart::attachmentFileName()
{
    QFETCH(QStringList, headers);
    QFETCH(QString, name);
    TMailPart p(nullptr);
    p.Headers = lines(headers);
    QCOMPARE(QString::fromLatin1(p.AttachmentFileName()), name);
}

void TstMailPart::sourceText()
{
    TMailPart p(nullptr);
    p.EncodedBody = "body";
    QCOMPARE(p.SourceText(), std::string("\r\nbody"));
    p.Headers = {"To: " + std::string(40, 'a') + "@x.org, " + std::string(40, 'b') + "@y.org", "X: 1"};
    const std::string text = p.SourceText();
    QVERIFY(text.find(",\r\n ") != std::string::npos);
    QVERIFY(text.ends_with("X: 1\r\n\r\nbody"));
}

void TstMailPart::detachAndOwnership()
{
    TMailMessage m;
    m.SetPlainText("a");
    m.AttachStream("x", "x.bin");
    QCOMPARE(m.SubParts.Count(), 2);
    TMailPart *a = m.SubParts[1];
    a->Detach();
    QCOMPARE(m.SubParts.Count(), 1);
    QVERIFY(!a->ParentPart);
    a->Detach(); // a second time does nothing
    m.Detach();  // the message is never detached
    QCOMPARE(m.Attachments[0], a);
    // Clearing destroys detached parts too (the attachment list forgets them).
    m.Clear();
    QCOMPARE(m.Attachments.Count(), 0);
    QVERIFY(!m.PlainPart);
    QVERIFY(m.Headers.empty());
    // A part destroyed on its own leaves no dangling references behind.
    m.SetPlainText("a");
    m.AttachStream("x", "x.bin");
    delete m.Attachments[0];
    QCOMPARE(m.Attachments.Count(), 0);
    QCOMPARE(m.SubParts.Count(), 1);
    m.Rebuild();
}

void TstMailPart::loadWithoutOwner()
{
    TMailPart p(nullptr);
    p.Name = "Part7";
    p.Headers = {"X: keep"};
    try {
        p.LoadFromString("Subject: x\r\n\r\nbody");
        QFAIL("no error");
    } catch (const AppError &e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Part7: TMailPart must be owned by a TMailMessage"));
    }
    QCOMPARE(p.Headers, std::vector<std::string>{"X: keep"});
    // A part of a message loads on its own; nothing is reported for it.
    TMailMessage m;
    int calls = 0;
    m.OnProgress = [&](TMailMessage *, std::int64_t, std::int64_t) { ++calls; };
    auto *part = new TMailPart(&m);
    part->LoadFromText("line1\r\nline2", false);
    QCOMPARE(part->EncodedBody, std::string("line1\r\nline2\r\n"));
    QVERIFY(part->Headers.empty());
    QCOMPARE(calls, 0);
    QVERIFY(m.NeedScan && m.NeedArrange && m.NeedRebuild);
}

QTEST_GUILESS_MAIN(TstMailPart)
#include "tst_mailpart.moc"
