// Hostile and malformed mail text: nesting and part-count limits, huge headers, NUL
// bytes, broken delimiters and encodings, and random damage. Each input is read,
// scanned, arranged and written, and what was written is written again the same; nothing
// may crash, hang or read outside a buffer (these tests also run under ASan/UBSan).
// Times are printed, never asserted.
#include "mail/MailTextReader.h"
#include "mail/HeaderWords.h"
#include "mail/RandomSource.h"
#include "mail/TMailMessage.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <cstring>

namespace {

// Read, scan, arrange and write; returns the text written.
std::string rebuilt(const std::string &text)
{
    // The same boundaries in every rebuild, so that two rebuilds can be compared.
    SetMailRandomSource([] { return 0x5EED0000u; });
    TMailMessage m;
    m.LoadFromString(text);
    m.ScanParts();
    for (TMailPart *a : m.Attachments) {
        a->Decode();
        (void)a->AttachmentFileName();
    }
    (void)m.DecodedSubject();
    (void)m.ToRecipients.AddressList();
    m.ArrangeParts(0);
    m.Rebuild();
    SetMailRandomSource({});
    return m.SourceText();
}

// The mail text as reading compares it: a whole text ends with a line break, and
// "Content-Length" follows the body.
QByteArray asRead(const std::string &text)
{
    QByteArray t = QByteArray::fromStdString(text);
    if (t.endsWith("\r\n"))
        t.chop(2);
    static const QRegularExpression length(QStringLiteral("Content-Length: [0-9]+"));
    return QString::fromLatin1(t).replace(length, QStringLiteral("Content-Length: n")).toLatin1();
}

// Rebuilds the text, then rebuilds what was written: a text this program wrote reads
// back as the same mail, so the second rebuild writes the first one's text again, zero
// bytes included. Returns the first rebuild's text; the caller checks
// QTest::currentTestFailed().
std::string cycle(const std::string &text)
{
    const std::string written = rebuilt(text);
    [&] {
        QVERIFY(!written.empty());
        QCOMPARE(asRead(rebuilt(written)), asRead(written));
    }();
    return written;
}

int multipartDepth(const TMailPart *root)
{
    int deepest = 0;
    std::vector<std::pair<const TMailPart *, int>> stack{{root, 0}};
    while (!stack.empty()) {
        auto [p, d] = stack.back();
        stack.pop_back();
        if (!p->SubParts.IsEmpty())
            deepest = std::max(deepest, d + 1);
        for (const TMailPart *c : p->SubParts)
            stack.push_back({c, d + 1});
    }
    return deepest;
}

// `levels` nested multipart parts, the innermost holding a text part with `marker`.
std::string nested(int levels, const std::string &marker, bool sameBoundary)
{
    auto boundary = [&](int i) { return sameBoundary ? std::string("b") : "b" + std::to_string(i) + "z"; };
    std::string head, tail;
    for (int i = 0; i < levels; ++i) {
        if (i > 0)
            head += "--" + boundary(i - 1) + "\r\n";
        head += "Content-Type: multipart/mixed; boundary=\"" + boundary(i) + "\"\r\n\r\n";
        tail = "\r\n--" + boundary(i) + "--\r\n" + tail;
    }
    return head + "--" + boundary(levels - 1) + "\r\nContent-Type: text/plain\r\n\r\n" + marker + tail;
}

// Some leaf holds `marker`, in its body as written or after decoding.
bool anyLeafHolds(TMailPart *root, const std::string &marker)
{
    std::vector<TMailPart *> stack{root};
    while (!stack.empty()) {
        TMailPart *p = stack.back();
        stack.pop_back();
        if (p->SubParts.IsEmpty()) {
            p->Decode();
            if (p->EncodedBody.str().find(marker) != std::string::npos || p->DecodedBody.find(marker) != std::string::npos)
                return true;
        }
        for (TMailPart *c : p->SubParts)
            stack.push_back(c);
    }
    return false;
}

void report(const char *what, const QElapsedTimer &t)
{
    qInfo("%s: %lld ms", what, static_cast<long long>(t.elapsed()));
}

} // namespace

class TstHostileMail : public QObject
{
    Q_OBJECT

private slots:
    void depthLimit_data();
    void depthLimit();
    void partCountLimit();
    void uuencodedFileCountLimit();
    void hugeHeaders();
    void malformed_data();
    void malformed();
    void keptWhenRewritten_data();
    void keptWhenRewritten();
    void randomDamage();
};

void TstHostileMail::depthLimit_data()
{
    QTest::addColumn<int>("levels");
    QTest::addColumn<bool>("sameBoundary");
    QTest::newRow("99") << 99 << false;
    QTest::newRow("150") << 150 << false;
    QTest::newRow("5000") << 5000 << false;
    QTest::newRow("5000 same boundary") << 5000 << true;
}

void TstHostileMail::depthLimit()
{
    QFETCH(int, levels);
    QFETCH(bool, sameBoundary);
    const std::string marker = "INNERMOST-TEXT";
    const std::string text = nested(levels, marker, sameBoundary);
    QElapsedTimer t;
    t.start();
    TMailMessage m;
    m.LoadFromString(text);
    report("load", t);
    QVERIFY(multipartDepth(&m) <= MailTextReader::MaxMultipartDepth);
    if (!sameBoundary)
        QCOMPARE(multipartDepth(&m), std::min(levels, MailTextReader::MaxMultipartDepth));
    // What lies deeper stays as text in a body.
    QVERIFY(anyLeafHolds(&m, marker));
    m.ScanParts();
    m.ArrangeParts(0);
    m.Rebuild();
    // Written and read again, the text is still there.
    TMailMessage r;
    r.LoadFromString(m.SourceText());
    QVERIFY(anyLeafHolds(&r, marker));
    r.ScanParts();
    r.ArrangeParts(0);
    r.Rebuild();
    TMailMessage r2;
    r2.LoadFromString(r.SourceText());
    QVERIFY(anyLeafHolds(&r2, marker));
    report("rebuilt twice", t);
}

void TstHostileMail::partCountLimit()
{
    const int parts = MailTextReader::MaxParts + 500;
    std::string text = "Content-Type: multipart/mixed; boundary=b\r\n\r\n";
    for (int i = 0; i < parts; ++i)
        text += "--b\r\nContent-Type: application/x-test; name=p" + std::to_string(i) + "\r\n\r\nbody" + std::to_string(i)
                + "\r\n";
    text += "--b--\r\n";
    QElapsedTimer t;
    t.start();
    TMailMessage m;
    m.LoadFromString(text);
    report("load 10500 parts", t);
    QCOMPARE(m.SubParts.Count(), MailTextReader::MaxParts);
    // The parts beyond the limit stay in the message's own body as text.
    QVERIFY(m.EncodedBody.str().find("body" + std::to_string(MailTextReader::MaxParts) + "\r\n") != std::string::npos);
    QVERIFY(m.EncodedBody.str().find("body" + std::to_string(parts - 1) + "\r\n") != std::string::npos);
    m.ScanParts();
    QCOMPARE(m.Attachments.Count(), MailTextReader::MaxParts);
    report("scan", t);
    m.ArrangeParts(0);
    report("arrange", t);
    m.Rebuild();
    report("rebuild", t);
    TMailMessage r;
    r.LoadFromString(m.SourceText());
    r.ScanParts();
    QCOMPARE(r.Attachments.Count(), MailTextReader::MaxParts);
    report("reload", t);

    // Nested parts count too: a second level cannot exceed the budget either.
    std::string deep = "Content-Type: multipart/mixed; boundary=o\r\n\r\n";
    for (int j = 0; j < 3; ++j) {
        deep += "--o\r\nContent-Type: multipart/mixed; boundary=i\r\n\r\n";
        for (int i = 0; i < 4000; ++i)
            deep += "--i\r\nContent-Type: text/x-a\r\n\r\nx\r\n";
        deep += "--i--\r\n";
    }
    deep += "--o--\r\n";
    TMailMessage d;
    d.LoadFromString(deep);
    int total = 0;
    std::vector<const TMailPart *> stack{&d};
    while (!stack.empty()) {
        const TMailPart *p = stack.back();
        stack.pop_back();
        for (const TMailPart *c : p->SubParts) {
            ++total;
            stack.push_back(c);
        }
    }
    QCOMPARE(total, MailTextReader::MaxParts);
}

void TstHostileMail::uuencodedFileCountLimit()
{
    std::string text = "Subject: many files\r\n\r\nintro\r\n";
    for (int i = 0; i < MailTextReader::MaxParts + 10; ++i)
        text += "begin 644 f" + std::to_string(i) + ".txt\r\n#86)C\r\n`\r\nend\r\n";
    TMailMessage m;
    m.LoadFromString(text);
    QCOMPARE(m.SubParts.Count(), MailTextReader::MaxParts);
    m.ScanParts();
    // The files beyond the limit stay in the text body.
    const std::string plain = m.PlainText();
    QVERIFY(plain.starts_with("intro\r\n"));
    QVERIFY(plain.find("begin 644 f" + std::to_string(MailTextReader::MaxParts + 9) + ".txt") != std::string::npos);
    QCOMPARE(m.Attachments.Count(), MailTextReader::MaxParts - 1);
}

void TstHostileMail::hugeHeaders()
{
    QElapsedTimer t;
    t.start();
    // One header line of 1 MB, with quotes and blanks, in one piece and folded in 10,000 pieces.
    std::string longValue;
    for (int i = 0; i < 1024 * 1024 / 32; ++i)
        longValue += "word \"quoted;=: \"  x=y; ,    zz ";
    std::string folded;
    for (int i = 0; i < 10000; ++i)
        folded += "\t=?iso-8859-1?Q?caf=E9?= piece\r\n";
    std::string many;
    for (int i = 0; i < 10000; ++i)
        many += "X-Header-" + std::to_string(i) + ": value " + std::to_string(i) + "\r\n";
    std::string words;
    for (int i = 0; i < 100000; ++i)
        words += "=?x?Q?=3D=3F?=";
    const std::string text = "Subject: " + longValue + "\r\nTo: a@x," + longValue + "\r\nX-Folded: start\r\n" + folded
                             + many + "Subject: " + words + "\r\nContent-Type: text/plain\r\n\r\nbody\r\n";
    TMailMessage m;
    m.LoadFromString(text);
    report("load huge headers", t);
    QCOMPARE(m.Headers.size(), std::size_t(10000 + 5));
    QCOMPARE(m.Headers[2].size(), std::string("X-Folded: start").size() + 10000 * std::string(" =?iso-8859-1?Q?caf=E9?= piece").size());
    (void)m.DecodedSubject();
    (void)DecodeHeaderWords(words);
    QCOMPARE(DecodeHeaderWords("=?x?Q?=3D=3F?==?x?Q?ab?="), std::string("=?ab"));
    (void)m.ToRecipients.Count();
    (void)m.HeaderValue("X-Header-9999");
    report("decode and query", t);
    m.ScanParts();
    m.SetPlainText("new body");
    m.Rebuild();
    const std::string out = m.SourceText();
    report("rebuild and fold", t);
    TMailMessage r;
    r.LoadFromString(out);
    r.ScanParts();
    QCOMPARE(r.PlainLines, std::vector<std::string>{"new body"});
    report("reload", t);

    // A field folded over 200,000 lines of blanks, and as many lines of blanks before a
    // body: each line is looked at a bounded number of times.
    std::string blanks;
    for (int i = 0; i < 200000; ++i)
        blanks += " \r\n";
    TMailMessage b;
    b.LoadFromString("Subject: a\r\n" + blanks + " b\r\n" + "X-B: 1\r\n" + blanks + "body\r\n");
    QCOMPARE(b.Headers, (std::vector<std::string>{"Subject: a b", "X-B: 1"}));
    QCOMPARE(b.EncodedBody.size(), blanks.size() - 3 + 6);
    report("lines of blanks", t);

    // A file name in 50,000 numbered sections, given backwards and some twice, and
    // encoded words with long runs of blanks between them: each read in one pass.
    std::string sections = "Content-Disposition: attachment";
    for (int i = 49999; i >= 0; --i)
        sections += "; filename*" + std::to_string(i % 10000) + "*=%41";
    std::string spaced = "Subject: ";
    for (int i = 0; i < 1000; ++i)
        spaced += "=?x?Q?a?=" + std::string(1000, ' ');
    TMailMessage p;
    p.LoadFromString("Content-Type: application/octet-stream\r\n" + sections + "\r\n" + spaced + "\r\n\r\nQUJD\r\n");
    QCOMPARE(p.HeaderParam("Content-Disposition", "filename"), std::string(10000, 'A'));
    QCOMPARE(p.DecodedSubject(), std::string(1000, 'a'));
    report("sections and spaced words", t);
}

void TstHostileMail::malformed_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("only CR LF") << QByteArray("\r\n");
    QTest::newRow("lone CR and LF") << QByteArray("Subject: a\rb\nc\r\n\r\nx\ry\nz");
    static const char nulHeaders[] = "Sub\0ject: a\0b\r\nContent-Type: text/pl\0ain; charset=\"\0\"\r\n"
                                     "Content-Transfer-Encoding: base\0 64\r\n\r\nQUJD\0REVG\r\n";
    QTest::newRow("NUL in headers") << QByteArray(nulHeaders, sizeof nulHeaders - 1);
    static const char nulBoundary[] = "Content-Type: multipart/mixed; boundary=\"a\0b\"\r\n\r\n--a\0b\r\n"
                                      "Content-Type: text/plain\r\n\r\nx\r\n--a\0b--\r\n";
    QTest::newRow("NUL boundary") << QByteArray(nulBoundary, sizeof nulBoundary - 1);
    QTest::newRow("empty boundary") << QByteArray("Content-Type: multipart/mixed; boundary=\"\"\r\n\r\n--\r\nX: 1\r\n\r\nx\r\n"
                                                  "----\r\n-- \r\nsig\r\n");
    QTest::newRow("no boundary param") << QByteArray("Content-Type: multipart/mixed\r\n\r\n--\r\nX: 1\r\n\r\nx\r\n");
    QTest::newRow("truncated delimiter") << QByteArray("Content-Type: multipart/mixed; boundary=bnd\r\n\r\n--bnd\r\n"
                                                       "Content-Type: text/plain\r\n\r\nx\r\n--bn");
    QTest::newRow("delimiter without line break at end") << QByteArray(
        "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\nx\r\n--b--");
    QTest::newRow("closing delimiter first") << QByteArray("Content-Type: multipart/mixed; boundary=b\r\n\r\n--b--\r\n"
                                                           "--b\r\nX: 1\r\n\r\nx\r\n--b\r\n");
    QTest::newRow("headers only") << QByteArray("Content-Type: multipart/mixed; boundary=b\r\n--b\r\n");
    QTest::newRow("delimiters back to back") << QByteArray("Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n--b\r\n"
                                                           "--b\r\n\r\n--b--\r\n");
    QTest::newRow("base64 junk and bad padding")
        << QByteArray("Content-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n\r\n=\r\n==QQ\r\nQ=Q=\r\n"
                      "!!@@##\r\nQUJ=D\r\n\xff\xfe\x80\r\nQ\r\n");
    QTest::newRow("qp with = at the end") << QByteArray("Content-Type: text/plain\r\nContent-Transfer-Encoding: "
                                                        "quoted-printable\r\n\r\nabc=\r\n=\r\n=4\r\n=");
    QTest::newRow("uuencode count larger than line")
        << QByteArray("Content-Type: application/x\r\nContent-Transfer-Encoding: x-uuencode\r\n\r\nM86)C\r\n_\r\n"
                      "M\r\n\x7f\x7f\r\nbegin\r\n");
    QTest::newRow("uuencoded: begin without name or end") << QByteArray("Subject: s\r\n\r\nbegin 6\r\nM86)C\r\n");
    QTest::newRow("uuencoded: begin as last line") << QByteArray("Subject: s\r\n\r\ntext\r\nbegin 644 x");
    QTest::newRow("encoded words broken") << QByteArray("Subject: =?x?Q?=?= =?\r\nFrom: \"=?x?B?QUJD\" <a\r\n"
                                                        "To: (((\"\"\", <<<, >>>\"\r\nContent-Type: text/plain\r\n\r\nx");
    QTest::newRow("multipart child without headers or body") << QByteArray(
        "Content-Type: multipart/related; boundary=r\r\n\r\n--r\r\nContent-Type: multipart/alternative; boundary=a\r\n"
        "--r--\r\n");
    QTest::newRow("field cut in its name") << QByteArray("Subject: a\r\nContent-Ty");
    QTest::newRow("field cut after a semicolon") << QByteArray("Content-Type: multipart/mixed;\r\nboundary=");
    QTest::newRow("lines of blanks to the end") << QByteArray("Subject: a\r\n \r\n\t\r\n   ");
    QTest::newRow("lines of blanks, then a continuation at the end") << QByteArray("Subject: a\r\n \r\n\t\r\n x");
    QTest::newRow("lines of blanks first") << QByteArray(" \r\n\t\r\n x\r\nSubject: a\r\n\r\nb");
    QTest::newRow("names and colons alone") << QByteArray(":\r\n:x\r\nFrom \r\nFrom\r\na b:\r\n a b c:\r\n=x\r\n;\r\n\r\n");
    QTest::newRow("parameters on lines of their own") << QByteArray(
        "Content-Type: multipart/mixed;\r\nboundary=\"b\";\r\n=\r\nname=\"\r\n\r\n--b\r\nX: 1;\r\nn=\"\r\n--b--\r\n");
    QTest::newRow("part without its empty line, cut") << QByteArray(
        "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\nhello");
    QTest::newRow("empty parts at the end") << QByteArray(
        "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\n--b\r\n--b\r\n\r\n\r\n--b\r\n--b");
    QTest::newRow("empty parts in a digest") << QByteArray(
        "Content-Type: multipart/digest; boundary=d\r\n\r\n--d\r\n\r\n--d\r\n--d--\r\n--d\r\n");
    QTest::newRow("base64 of length 1 mod 4") << QByteArray(
        "Subject: =?x?B?Q?= =?x?B?QUJDR?= =?x?B?=?= =?x?B?" "?=\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
        "--b\r\nContent-Transfer-Encoding: base64\r\n\r\nQUJDR\r\n--b\r\nContent-Transfer-Encoding: base64\r\n\r\nQ\r\n"
        "--b\r\nContent-Transfer-Encoding: base64\r\n\r\nQU=\r\n--b\r\nContent-Transfer-Encoding: base64\r\n\r\nQUJ");
    QTest::newRow("nested part cut inside outer") << QByteArray(
        "Content-Type: multipart/mixed; boundary=o\r\n\r\n--o\r\nContent-Type: multipart/alternative; boundary=i\r\n\r\n"
        "--i\r\nContent-Type: text/plain\r\n\r\ninner\r\n--o\r\nContent-Type: text/html\r\n\r\n<p>\r\n--o--\r\n");
}

void TstHostileMail::malformed()
{
    QFETCH(QByteArray, text);
    cycle(text.toStdString());
    if (QTest::currentTestFailed())
        return;
    // Each damaged text also loads as a sub-part and as a plain body, in the place of
    // the part it replaces.
    TMailMessage m;
    m.LoadFromString("Content-Type: multipart/mixed; boundary=zz\r\n\r\n--zz\r\nContent-Type: text/plain\r\n\r\nx\r\n"
                     "--zz--\r\n");
    TMailPart *const part = m.SubParts[0];
    for (const bool withHeaders : {true, false}) {
        part->LoadFromText(text.toStdString(), withHeaders);
        QCOMPARE(m.SubParts.Count(), 1);
        QCOMPARE(m.SubParts[0], part);
        QCOMPARE(part->ParentPart, static_cast<TMailPart *>(&m));
    }
    m.ScanParts();
    m.Rebuild();
}

void TstHostileMail::keptWhenRewritten_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("multipart file without a delimiter")
        << QByteArray("Content-Type: multipart/mixed; boundary=\"zz\"; name=\"kept.txt\"\r\n\r\nkept text\r\n")
        << QByteArray("\r\n\r\nkept text\r\n");
    QTest::newRow("empty named file")
        << QByteArray("Content-Type: text/plain; name=\"empty.txt\"\r\nContent-Disposition: attachment\r\n\r\n")
        << QByteArray("Content-Disposition: attachment; filename=\"empty.txt\"\r\n");
    QTest::newRow("file without a disposition")
        << QByteArray("Content-Type: application/pdf; name=\"a.pdf\"\r\nContent-Transfer-Encoding: base64\r\n\r\nQUJD\r\n")
        << QByteArray("Content-Disposition: attachment; filename=\"a.pdf\"\r\n");
    // A lone CR is a blank; a lone LF ends the line, here a fold.
    QTest::newRow("line breaks inside a field") << QByteArray("Subject: a\rb\n c\r\n\r\nx\r\n")
                                               << QByteArray("Subject: a b c\r\n");
    QTest::newRow("quote left open")
        << QByteArray("Content-Type: application/octet-stream; x=\"open\r\nContent-Disposition: attachment; "
                      "filename=\"f.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\nQUJD\r\n")
        << QByteArray("x=\"open\"; name=\"f.bin\"\r\n");
}

void TstHostileMail::keptWhenRewritten()
{
    // Damaged text that lost a file, a field or bytes when the mail was written, or that
    // was written differently each time.
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, written);
    const std::string once = cycle(text.toStdString());
    QVERIFY2(once.find(written.toStdString()) != std::string::npos, once.c_str());
}

void TstHostileMail::randomDamage()
{
    // A realistic mail with every kind of part, damaged at random places.
    TMailMessage source;
    source.SetSubject("caf\xe9 subject");
    source.SetFrom("Anna", "anna@x.org");
    source.ToRecipients.SetAll("\"Berg, Bob\",Carl", "bob@y,carl@z");
    source.SetPlainText("plain text caf\xe9\r\n= line");
    source.SetHtmlText("<p>html</p>");
    std::string bin(3000, '\0');
    for (std::size_t i = 0; i < bin.size(); ++i)
        bin[i] = static_cast<char>(i * 7);
    source.AttachStream(bin, "file.bin");
    source.AttachStream(bin.substr(0, 500), "pic.gif", {}, true);
    source.Rebuild();
    const std::string base = source.SourceText() + "\r\nbegin 644 u.txt\r\n#86)C\r\nend\r\n";

    QRandomGenerator rng(20261208);
    const char pieces[][12] = {"\r\n", "--", "=", "\"", "begin 644 ", "end", "\0", "?=", "=?", ";", "<", "(", "\t"};
    for (int round = 0; round < 400; ++round) {
        std::string text = base;
        const int edits = 1 + static_cast<int>(rng.bounded(8));
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = rng.bounded(static_cast<quint32>(text.size() + 1));
            switch (rng.bounded(4)) {
            case 0:
                text.erase(at, rng.bounded(200));
                break;
            case 1: {
                const char *p = pieces[rng.bounded(static_cast<quint32>(std::size(pieces)))];
                text.insert(at, p, std::max<std::size_t>(1, std::strlen(p)));
                break;
            }
            case 2:
                if (at < text.size())
                    text[at] = static_cast<char>(rng.bounded(256));
                break;
            default:
                text = text.substr(0, at);
                break;
            }
        }
        cycle(text);
        if (QTest::currentTestFailed()) {
            qInfo("damaged in round %d", round);
            return;
        }
    }
}

QTEST_GUILESS_MAIN(TstHostileMail)
#include "tst_hostilemail.moc"
