// Reading mail text: headers, multipart bodies, uuencoded files, ScanParts, progress,
// and cut-off mails that keep what they carry.
#include "mail/TMailMessage.h"
#include "os/MessagePump.h"

#include <QTest>

#include <memory>

namespace {

std::string shape(const TMailPart *part)
{
    std::string s = part->ContentType();
    if (part->SubParts.IsEmpty())
        return s.empty() ? "-" : s;
    s += '(';
    for (int i = 0; i < part->SubParts.Count(); ++i) {
        if (i)
            s += ',';
        s += shape(part->SubParts[i]);
    }
    return s + ')';
}

// Test texts are written with \n; mails use CR LF.
std::string crlf(const char *text)
{
    std::string out;
    for (const char *p = text; *p; ++p) {
        if (*p == '\n')
            out += '\r';
        out += *p;
    }
    return out;
}

QString q(const std::string &s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// name:size:e|o for every attachment
QString attachmentList(TMailMessage &m)
{
    QStringList out;
    for (TMailPart *a : m.Attachments) {
        a->Decode();
        out << q(a->AttachmentFileName()) + ":" + QString::number(a->DecodedBody.size()) + ":"
                   + (a->IsEmbedded ? "e" : "o");
    }
    return out.join(QLatin1Char(' '));
}

} // namespace

class TstMailReading : public QObject
{
    Q_OBJECT

private slots:
    void headers();
    void headerBlock_data();
    void headerBlock();
    void messages_data();
    void messages();
    void subPartBodies();
    void uuencoded();
    void progress();
    void loadReplacesContent();
    void bodiesOutliveTheirText_data();
    void bodiesOutliveTheirText();
    void zeroBytesInTextBodies_data();
    void zeroBytesInTextBodies();
};

void TstMailReading::headers()
{
    TMailMessage m;
    m.LoadFromString(crlf("Subject: one\n\ttwo\n  \t three\ncontent-type:   MULTIPART/mixed;  boundary=\"x  y\"\n"
                          "MESSAGE-ID: <a>\n\nbody\n"));
    const std::vector<std::string> expected{
        "Subject: one two three",
        "Content-Type: MULTIPART/mixed; boundary=\"x  y\"",
        "Message-ID: <a>",
    };
    QCOMPARE(m.Headers, expected);
    QCOMPARE(m.Boundary(), std::string("x  y"));
    QCOMPARE(m.EncodedBody, std::string("body\r\n"));
}

// Where the header block ends: at the empty line, at a line of blanks that neither a
// continuation nor a "name:" field follows, or before the first line that is neither a
// field nor a continuation, which then begins the body.
void TstMailReading::headerBlock_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("headers");
    QTest::addColumn<QString>("body");
    QTest::newRow("words before a colon begin the body")
        << QByteArray("Subject: hi\nDear Anna and Bob: hello\n") << "Subject: hi" << "Dear Anna and Bob: hello|";
    QTest::newRow("several lines of blanks inside a folded field")
        << QByteArray("Subject: a\n \n\t\n  b\n\nbody\n") << "Subject: a b" << "body|";
    QTest::newRow("line of blanks before a field is folding")
        << QByteArray("Subject: s\n \nMIME-Version: 1.0\n\nbody\n") << "Subject: s|Mime-Version: 1.0" << "body|";
    QTest::newRow("lines of blanks before a field")
        << QByteArray("Subject: s\n\t\n  \nX-A: 1\n\nbody\n") << "Subject: s|X-A: 1" << "body|";
    QTest::newRow("line of blanks before words ends the block")
        << QByteArray("Subject: s\n \nDear Anna: hi\n") << "Subject: s" << "Dear Anna: hi|";
    QTest::newRow("line of blanks before the last line ends the block")
        << QByteArray("Subject: s\n \nthe text\n") << "Subject: s" << "the text|";
    // Unfolding drops the line break only; a tab that starts the folded line reads as a
    // space, and blanks outside quotes are one space as always.
    QTest::newRow("blanks kept inside quotes across a fold")
        << QByteArray("Content-Type: text/plain; name=\"a\n   b.txt\"; x=\"c\n\td\"\nSubject: s\n  t\n\nbody\n")
        << "Content-Type: text/plain; name=\"a   b.txt\"; x=\"c d\"|Subject: s t" << "body|";
    QTest::newRow("blanks before the colon")
        << QByteArray("From: a\nSubject :  Quarterly figures\nTo\t: b\n\nbody\n")
        << "From: a|Subject: Quarterly figures|To: b" << "body|";
    QTest::newRow("unindented parameter after a semicolon")
        << QByteArray("Content-Type: application/zip;\nname=\"x.zip\"\nContent-Transfer-Encoding: base64\n\nUEsD\n")
        << "Content-Type: application/zip; name=\"x.zip\"|Content-Transfer-Encoding: base64" << "UEsD|";
    QTest::newRow("stray word before a field name")
        << QByteArray("Subject: s\njunk Content-Type: text/html\nX-A: 1\n\nbody\n")
        << "Subject: s|Junk content-Type: text/html|X-A: 1" << "body|";
    // It continues nothing: the body begins there (written as a field, it would be read
    // back as the body, and the fields after it with it).
    QTest::newRow("continuation before any field") << QByteArray(" first\nSubject: s") << ""
                                                   << " first|Subject: s|";
}

void TstMailReading::headerBlock()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, headers);
    QFETCH(QString, body);
    TMailMessage m;
    m.LoadFromString(crlf(text.constData()));
    QStringList lines;
    for (const std::string &line : m.Headers)
        lines << q(line);
    QCOMPARE(lines.join(QLatin1Char('|')), headers);
    QCOMPARE(q(m.EncodedBody.str()).replace("\r\n", "|"), body);
}

void TstMailReading::messages_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("tree");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("attachments");

    QTest::newRow("no content type is plain") << QByteArray("Subject: s\n\nhello\nworld\n") << "-"
                                              << "hello|world" << "" << "";
    QTest::newRow("text without subtype") << QByteArray("Content-Type: text\n\nhello\n") << "text"
                                          << "hello" << "" << "";
    QTest::newRow("single html") << QByteArray("Content-Type: text/html\n\n<p>x</p>\n") << "text/html" << ""
                                 << "<p>x</p>" << "";
    QTest::newRow("single pdf") << QByteArray("Content-Type: application/pdf\nContent-Transfer-Encoding: base64\n\n"
                                              "QUJD\n")
                                << "application/pdf" << "" << "" << "application_pdf.pdf:3:o";
    QTest::newRow("empty text is an attachment") << QByteArray("Content-Type: text/plain\n\n") << "text/plain" << ""
                                                 << "" << "text_plain.txt:0:o";
    QTest::newRow("first empty plain part is an attachment")
        << QByteArray("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\n\n--b\n"
                      "Content-Type: text/plain\n\nsecond\n--b--\n")
        << "multipart/mixed(text/plain,text/plain)" << "second" << "" << "text_plain.txt:0:o";
    QTest::newRow("second plain part is an attachment")
        << QByteArray("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\none\n--b\n"
                      "Content-Type: text/plain; name=two.txt\n\ntwo\n--b--\n")
        << "multipart/mixed(text/plain,text/plain)" << "one" << "" << "two.txt:3:o";
    QTest::newRow("related pictures embedded, mixed files not")
        << QByteArray("Content-Type: multipart/mixed; boundary=m\n\n--m\nContent-Type: multipart/related; boundary=r\n\n"
                      "--r\nContent-Type: text/html\n\n<img>\n--r\nContent-Type: image/gif; name=a.gif\n\nGIF\n--r--\n"
                      "--m\nContent-Type: application/zip; name=z.zip\n\nZIP\n--m--\n")
        << "multipart/mixed(multipart/related(text/html,image/gif),application/zip)" << "" << "<img>"
        << "a.gif:3:e z.zip:3:o";
    QTest::newRow("alternative under mixed")
        << QByteArray("Content-Type: multipart/mixed; boundary=m\n\n--m\nContent-Type: multipart/alternative; boundary=a\n\n"
                      "--a\nContent-Type: text/plain\n\nplain\n--a\nContent-Type: text/html\n\nhtml\n--a--\n--m--\n")
        << "multipart/mixed(multipart/alternative(text/plain,text/html))" << "plain" << "html" << "";
    QTest::newRow("sub-part without header lines is plain text")
        << QByteArray("Content-Type: multipart/mixed; boundary=b\n\n--b\n\nno headers\n--b\n--b\nContent-Type: text/plain\n\n"
                      "kept\n--b--\n")
        << "multipart/mixed(-,text/plain)" << "no headers" << "" << "text_plain.txt:4:o";
    QTest::newRow("missing closing delimiter keeps the last part")
        << QByteArray("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nfirst\n--b\n"
                      "Content-Type: application/octet-stream; name=cut.bin\nContent-Transfer-Encoding: base64\n\n"
                      "QUJD\nREVG\n\n\n")
        << "multipart/mixed(text/plain,application/octet-stream)" << "first" << "" << "cut.bin:6:o";
    QTest::newRow("text after the closing delimiter is unused")
        << QByteArray("Content-Type: multipart/mixed; boundary=b\n\npreamble\n--b\nContent-Type: text/plain\n\nin\n"
                      "--b--\nepilogue\n--b\nContent-Type: text/plain; name=late.txt\n\nlate\n")
        << "multipart/mixed(text/plain)" << "in" << "" << "";
    QTest::newRow("closing delimiter before the first")
        << QByteArray("Content-Type: multipart/mixed; boundary=b\n\n--b--\n--b\nContent-Type: text/plain\n\nx\n")
        << "multipart/mixed" << "" << "" << "";
    QTest::newRow("no delimiter at all")
        << QByteArray("Content-Type: multipart/mixed; boundary=b\n\njust text\n") << "multipart/mixed" << "just text"
        << "" << "";
    QTest::newRow("delimiter is the last line: an empty part")
        << QByteArray("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nx\n--b")
        << "multipart/mixed(text/plain,-)" << "x" << "" << "text_plain.txt:0:o";
    QTest::newRow("delimiter and closing delimiter enclose an empty part")
        << QByteArray("Content-Type: multipart/alternative; boundary=b\n\npreamble\n--b\n--b--\n")
        << "multipart/alternative(-)" << "" << "" << "";
    QTest::newRow("named single text is a file")
        << QByteArray("Content-Type: text/plain; name*=utf-8''a.txt\n\nx\n") << "text/plain" << "" << "" << "a.txt:3:o";

    QTest::newRow("upper-case multipart type")
        << QByteArray("content-type: MULTIPART/Alternative; boundary=\"xyz\"\n\n--xyz\nContent-Type: text/plain\n\np\n"
                      "--xyz--\n")
        << "multipart/alternative(text/plain)" << "p" << "" << "";
}

void TstMailReading::messages()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, tree);
    QFETCH(QString, plain);
    QFETCH(QString, html);
    QFETCH(QString, attachments);
    TMailMessage m;
    m.LoadFromString(crlf(text.constData()));
    m.ScanParts();
    QVERIFY(!m.NeedScan);
    QCOMPARE(q(shape(&m)), tree);
    QStringList plainLines, htmlLines;
    for (const std::string &l : m.PlainLines)
        plainLines << q(l);
    for (const std::string &l : m.HtmlLines)
        htmlLines << q(l);
    QCOMPARE(plainLines.join(QLatin1Char('|')), plain);
    QCOMPARE(htmlLines.join(QLatin1Char('|')), html);
    QCOMPARE(attachmentList(m), attachments);

    // ScanParts twice changes nothing; arranging and writing keep bodies and files.
    m.ScanParts();
    QCOMPARE(attachmentList(m), attachments);
    m.ArrangeParts(0);
    m.Rebuild();
    TMailMessage r;
    r.LoadFromString(m.SourceText());
    r.ScanParts();
    QCOMPARE(r.PlainLines, m.PlainLines);
    QCOMPARE(r.HtmlLines, m.HtmlLines);
    // (A message left without any content lists itself as an empty attachment.)
    auto nonEmpty = [](TMailMessage &msg) {
        int n = 0;
        for (TMailPart *a : msg.Attachments)
            n += a->Decode() && !a->DecodedBody.empty();
        return n;
    };
    QCOMPARE(nonEmpty(r), nonEmpty(m));
}

void TstMailReading::subPartBodies()
{
    TMailMessage m;
    m.LoadFromString(crlf("Content-Type: multipart/mixed; boundary=b\n\npre\n--b\nX-A: 1\n\nline\n--b\nX-A: 2\n\n"
                          "line\n\n--b\nX-A: 3\n\n--b--\n"));
    QCOMPARE(m.EncodedBody, std::string("pre\r\n"));
    QCOMPARE(m.SubParts.Count(), 3);
    QCOMPARE(m.SubParts[0]->EncodedBody, std::string("line"));
    QCOMPARE(m.SubParts[1]->EncodedBody, std::string("line\r\n"));
    QCOMPARE(m.SubParts[2]->EncodedBody, std::string());
    for (const TMailPart *p : m.SubParts) {
        QCOMPARE(p->ParentBoundary, std::string("b"));
        QCOMPARE(p->ParentPart, static_cast<const TMailPart *>(&m));
        QCOMPARE(p->OwnerMessage, &m);
    }
}

void TstMailReading::uuencoded()
{
    TMailMessage m;
    m.Charset = "windows-1252";
    m.LoadFromString(crlf("Subject: files\n\nHere they are: caf\xe9\n\nbegin 644 a.txt\n#86)C\n`\nend\ndropped\n"
                          "begin 600  second file.bin \n#86)C\n`\nend\n"));
    QCOMPARE(q(shape(&m)), QStringLiteral("multipart/mixed(text/plain,text/plain,application/octet-stream)"));
    QVERIFY(m.Boundary().starts_with("boundary"));
    const TMailPart *text = m.SubParts[0];
    QCOMPARE(text->HeaderParam("Content-Type", "charset"), std::string("windows-1252"));
    QCOMPARE(text->HeaderValue("Content-Transfer-Encoding"), std::string("quoted-printable"));
    QCOMPARE(text->ParentBoundary, m.Boundary());
    const TMailPart *a = m.SubParts[1];
    QCOMPARE(a->HeaderValue("X-Mail-Attachment"), std::string("a.txt"));
    QCOMPARE(a->HeaderParam("X-Mail-Attachment", "embedded"), std::string("no"));
    QCOMPARE(a->HeaderParam("Content-Disposition", "filename"), std::string("a.txt"));
    QCOMPARE(a->HeaderValue("Content-Transfer-Encoding"), std::string("base64"));
    QCOMPARE(a->EncodedBody, std::string("YWJj\r\n"));
    m.ScanParts();
    QCOMPARE(m.PlainLines, (std::vector<std::string>{"Here they are: caf\xe9", ""}));
    QCOMPARE(attachmentList(m), QStringLiteral("a.txt:3:o second file.bin:3:o"));

    // Without "end" the data lines up to the end of the text are the file.
    TMailMessage cut;
    cut.LoadFromString(crlf("Subject: cut\n\ntext\nbegin 644 x.bin\n#86)C\n#86)C\n"));
    cut.ScanParts();
    QCOMPARE(attachmentList(cut), QStringLiteral("x.bin:6:o"));
    QCOMPARE(cut.PlainLines, std::vector<std::string>{"text"});

    // No "begin 6" line: a single body; a typed part is never converted.
    TMailMessage plain;
    plain.LoadFromString(crlf("Content-Type: text/plain\n\nbegin 644 x\n#86)C\nend\n"));
    QVERIFY(plain.SubParts.IsEmpty());
}

void TstMailReading::progress()
{
    TMailMessage m;
    std::vector<std::int64_t> calls;
    std::int64_t total = -1;
    m.OnProgress = [&](TMailMessage *sender, std::int64_t t, std::int64_t current) {
        QCOMPARE(sender, &m);
        total = t;
        calls.push_back(current);
    };
    int served = 0;
    MessagePump::setIntervalMs(0);
    MessagePump::setHook([&] { ++served; });
    const std::string text = crlf("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\n"
                                  "x\n--b--\n");
    m.LoadFromString(text);
    MessagePump::setHook({});
    MessagePump::setIntervalMs(5);
    QCOMPARE(total, static_cast<std::int64_t>(text.size()));
    QVERIFY(calls.size() >= 8);
    QCOMPARE(calls.front(), 0);
    QCOMPARE(calls.back(), total);
    QCOMPARE(calls[1], 1); // the first line starts at position 1
    QCOMPARE(calls[2], 44);
    QVERIFY(std::is_sorted(calls.begin(), calls.end()));
    QVERIFY(served >= static_cast<int>(calls.size()));
}

void TstMailReading::loadReplacesContent()
{
    TMailMessage m;
    m.SetPlainText("old");
    m.AttachStream("abc", "a.bin");
    m.LoadFromString(crlf("Content-Type: text/html\n\n<p>new</p>\n"));
    QVERIFY(m.SubParts.IsEmpty());
    QVERIFY(!m.IsDecoded);
    m.ScanParts();
    QCOMPARE(m.HtmlPart, static_cast<TMailPart *>(&m));
    QVERIFY(!m.PlainPart);
    QCOMPARE(m.Attachments.Count(), 0);
    // Loading a sub-part again replaces just that subtree.
    TMailMessage n;
    n.LoadFromString(crlf("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nx\n--b--\n"));
    n.SubParts[0]->LoadFromString(crlf("Content-Type: multipart/alternative; boundary=c\n\n--c\nContent-Type: text/plain\n\n"
                                       "y\n--c--\n"));
    n.ScanParts();
    QCOMPARE(q(shape(&n)), QStringLiteral("multipart/mixed(multipart/alternative(text/plain))"));
    QCOMPARE(n.PlainLines, std::vector<std::string>{"y"});
}

// What may happen to a body that is a stretch of the loaded text: the text is freed only
// when no body refers to it any more, and a change gives the body bytes of its own.
enum class BodyFate { LoadedAgain, Cleared, Destroyed, DetachedThenLoadedAgain, Appended, Encoded };

void TstMailReading::bodiesOutliveTheirText_data()
{
    QTest::addColumn<BodyFate>("fate");
    QTest::addColumn<bool>("takeText");
    QTest::newRow("message loaded again") << BodyFate::LoadedAgain << true;
    QTest::newRow("message cleared") << BodyFate::Cleared << false;
    QTest::newRow("message destroyed") << BodyFate::Destroyed << true;
    QTest::newRow("detached, message loaded again") << BodyFate::DetachedThenLoadedAgain << false;
    QTest::newRow("appended to") << BodyFate::Appended << true;
    QTest::newRow("encoded") << BodyFate::Encoded << false;
}

void TstMailReading::bodiesOutliveTheirText()
{
    QFETCH(BodyFate, fate);
    QFETCH(bool, takeText);
    const std::string first = "YWJj\r\n";
    const std::string second = "line\r\n";
    auto m = std::make_unique<TMailMessage>();
    {
        // The caller's text is gone right after loading, whether it was taken or copied.
        auto text = std::make_unique<std::string>(crlf("Content-Type: multipart/mixed; boundary=b\n\n--b\n"
                                                       "Content-Transfer-Encoding: base64\n\nYWJj\n\n--b\n\nline\n\n--b--\n"));
        if (takeText)
            m->LoadFromString(std::move(*text));
        else
            m->LoadFromString(*text);
    }
    TMailPart *part = m->SubParts[0];
    const TMailPart *sibling = m->SubParts[1];
    QVERIFY(part->EncodedBody.isShared());
    QCOMPARE(part->EncodedBody, first);
    // A body taken into another message keeps the text alive on its own.
    TMailMessage other;
    other.EncodedBody = part->EncodedBody;
    QVERIFY(other.EncodedBody.isShared());

    switch (fate) {
    case BodyFate::LoadedAgain:
        m->LoadFromString(crlf("Subject: x\n\nother\n"));
        break;
    case BodyFate::Cleared:
        m->Clear();
        break;
    case BodyFate::Destroyed:
        m.reset();
        break;
    case BodyFate::DetachedThenLoadedAgain:
        part->Detach();
        m->LoadFromString(crlf("Subject: x\n\nother\n"));
        QCOMPARE(part->EncodedBody, first);
        QVERIFY(part->Decode());
        QCOMPARE(part->DecodedBody, std::string("abc"));
        break;
    case BodyFate::Appended:
        part->EncodedBody.append("ZGVm\r\n");
        QVERIFY(!part->EncodedBody.isShared());
        QCOMPARE(part->EncodedBody, first + "ZGVm\r\n");
        QCOMPARE(sibling->EncodedBody, second);
        break;
    case BodyFate::Encoded:
        part->Decode();
        part->DecodedBody += "d";
        part->Encode(etBase64);
        QVERIFY(!part->EncodedBody.isShared());
        QCOMPARE(part->EncodedBody, std::string("YWJjZA==\r\n"));
        QCOMPARE(sibling->EncodedBody, second);
        break;
    }
    QCOMPARE(other.EncodedBody, first);
}

// A literal with its zero bytes.
template<std::size_t N>
QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

// A zero byte in a text body goes; the text after it stays, and stays when the mail is
// written and read again (a single body is written as it came, a part anew).
void TstMailReading::zeroBytesInTextBodies_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("html");
    const QByteArray plain("Content-Type: text/plain\r\nContent-Transfer-Encoding: ");
    QTest::newRow("8bit") << plain + raw("8bit\r\n\r\nbefore\0 after\r\nnext line\r\n") << false;
    QTest::newRow("raw in quoted-printable")
        << plain + raw("quoted-printable\r\n\r\nbefore\0 after\r\nnext=20line\r\n") << false;
    QTest::newRow("=00 in quoted-printable")
        << plain + QByteArray("quoted-printable\r\n\r\nbefore=00 after\r\nnext line\r\n") << false;
    QTest::newRow("html part") << QByteArray("Content-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\n"
                                             "Content-Type: text/html\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                                             "YmVmb3JlACBhZnRlcg0KbmV4dCBsaW5l\r\n--b--\r\n")
                               << true;
}

void TstMailReading::zeroBytesInTextBodies()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, html);
    const std::string expected = "before after\r\nnext line\r\n";
    TMailMessage m;
    m.LoadFromString(std::string(text.constData(), static_cast<std::size_t>(text.size())));
    m.ScanParts();
    QCOMPARE(html ? m.HtmlText() : m.PlainText(), expected);

    m.Rebuild();
    TMailMessage again;
    again.LoadFromString(m.SourceText());
    again.ScanParts();
    QCOMPARE(html ? again.HtmlText() : again.PlainText(), expected);
}

QTEST_GUILESS_MAIN(TstMailReading)
#include "tst_mailreading.moc"
