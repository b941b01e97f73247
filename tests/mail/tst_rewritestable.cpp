// Header line breaks as reader and writer both take them (CR LF or a lone LF ends a line,
// a lone CR is a blank, a break inside a field is written as a blank), a first line that
// is no field, and fields that must not change from one rewrite to the next.
#include "mail/HeaderLineBreaks.h"
#include "mail/RandomSource.h"
#include "mail/TMailMessage.h"

#include <QTest>

namespace {

// Read, arrange and write, with the same boundaries every time.
std::string rewritten(const std::string &text)
{
    SetMailRandomSource([] { return 0x5EED0000u; });
    TMailMessage m;
    m.LoadFromString(text);
    m.ScanParts();
    m.ArrangeParts(0);
    m.Rebuild();
    SetMailRandomSource({});
    return m.SourceText();
}

int count(const std::string &text, const std::string &what)
{
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

class TestRewriteStable : public QObject
{
    Q_OBJECT

private slots:
    void headerLineBreaks_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("subject");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QByteArray>("bcc");

        QTest::newRow("lone CR hides no recipient")
            << QByteArray("From: a@example.org\r\nSubject: hello\rBcc: evil@example.org\r\nTo: b@example.org\r\n\r\nbody\r\n")
            << QByteArray("hello Bcc: evil@example.org") << QByteArray("b@example.org") << QByteArray();
        QTest::newRow("lone CR inside a field") << QByteArray("Subject: a\r b\r\n\r\nx\r\n") << QByteArray("a b")
                                                << QByteArray() << QByteArray();
        QTest::newRow("lone CR at the end of a field") << QByteArray("Subject: a\r\r\nTo: b@example.org\r\n\r\nx\r\n")
                                                       << QByteArray("a") << QByteArray("b@example.org") << QByteArray();
        QTest::newRow("fold made with a lone LF") << QByteArray("Subject: a \n b\r\n\r\nx\r\n") << QByteArray("a b")
                                                  << QByteArray() << QByteArray();
        QTest::newRow("lone LF ends a line") << QByteArray("Subject: a\nTo: b@example.org\n\nx\n") << QByteArray("a")
                                             << QByteArray("b@example.org") << QByteArray();
        QTest::newRow("LF CR") << QByteArray("Subject: a\n\rb\r\n\r\nx\r\n") << QByteArray("a b") << QByteArray()
                               << QByteArray();
    }

    // The mail read raw and the mail read as the store and the tools hand it over (every
    // break made CR LF) have the same fields; written and read again, the same once more.
    void headerLineBreaks()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, subject);
        QFETCH(QByteArray, to);
        QFETCH(QByteArray, bcc);
        std::string handedOver = text.toStdString();
        HeaderLineBreaks::makeMailCrLf(handedOver, true);
        for (const std::string &input : {text.toStdString(), handedOver, rewritten(text.toStdString())}) {
            TMailMessage m;
            m.LoadFromString(input);
            m.ScanParts();
            QCOMPARE(QByteArray::fromStdString(m.HeaderValue("Subject")), subject);
            QCOMPARE(QByteArray::fromStdString(m.ToRecipients.AddressList()), to);
            QCOMPARE(QByteArray::fromStdString(m.BccRecipients.AddressList()), bcc);
            QVERIFY(!m.HasHeader("Bcc"));
        }
    }

    // A break put into a field by the program is written as a blank: no field is made.
    void breakInsideFieldWritten()
    {
        for (const char *value : {"hi\r\nBcc: x@example.org", "hi\nBcc: x@example.org", "hi\rBcc: x@example.org"}) {
            TMailMessage m;
            m.SetHeaderValue("Subject", value);
            m.SetHeaderValue("To", "b@example.org");
            const std::string text = m.SourceText();
            QCOMPARE(count(text, "\r"), count(text, "\r\n"));
            QCOMPARE(count(text, "\n"), count(text, "\r\n"));
            TMailMessage back;
            back.LoadFromString(text);
            QCOMPARE(back.HeaderValue("Subject"), std::string("hi Bcc: x@example.org"));
            QVERIFY(!back.HasHeader("Bcc"));
        }
    }

    // An indented first line continues nothing: the body begins there, and stays the body.
    void firstLineNotAField()
    {
        const std::string text = " a\r\nSubject: b\r\n\r\nc\r\n";
        TMailMessage m;
        m.LoadFromString(text);
        QVERIFY(m.Headers.empty());
        const std::string once = rewritten(text);
        QCOMPARE(rewritten(once), once);
        TMailMessage back;
        back.LoadFromString(once);
        back.ScanParts();
        QVERIFY(back.PlainText().find(" a\r\nSubject: b") != std::string::npos);
    }

    void stableFromSecondRewrite_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("field"); // held exactly once by every rewrite
        QTest::newRow("unknown field of a single attachment")
            << QByteArray("From: a@example.org\r\nContent-Type: application/octet-stream; name=\"a.bin\"\r\n"
                          "Content-Disposition: attachment; filename=\"a.bin\"\r\nContent-Transfer-Encoding: base64\r\n"
                          "Content-Foo: bar\r\n\r\nQUJD\r\n")
            << QByteArray("Content-Foo: bar");
        // Unfolding puts a blank after the ";" of the fold; written again, the line folds
        // at that blank, where it folded the first time.
        QTest::newRow("subject folded after a semicolon")
            << QByteArray("Subject: " + QByteArray("abcdefgh;").repeated(12) + "\r\n\r\nx\r\n") << QByteArray();
        QTest::newRow("subject folded at blanks")
            << QByteArray("Subject: " + QByteArray("abcdefgh; ").repeated(12) + "\r\n\r\nx\r\n") << QByteArray();
        // A part's lines fold at 78 as the message's do, inside quotes past 998, and read
        // back as they were: runs of blanks inside quotes included.
        const QByteArray params = "; x-first=\"one  two\"; x-second=2; x-third=\"" + QByteArray("w ").repeated(30) + "\"";
        QTest::newRow("long part lines")
            << QByteArray("Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain"
                          + params + "\r\n\r\nletter\r\n--b\r\nContent-Type: application/octet-stream" + params
                          + "; name=\"" + QByteArray("a   b ").repeated(200)
                          + ".bin\"\r\nContent-Disposition: attachment; filename=\"f.bin\"" + params
                          + "\r\n\r\nQUJD\r\n--b--\r\n")
            << QByteArray();
    }

    // What a part's lines hold before writing, they hold after reading what was written.
    void partLinesReadBackExactly()
    {
        const std::string text = rewritten("Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
                                           "Content-Type: text/plain\r\n\r\nletter\r\n--b\r\n"
                                           "Content-Type: application/octet-stream; name=\"x.bin\"\r\n\r\nQUJD\r\n--b--\r\n");
        TMailMessage m;
        m.LoadFromString(text);
        m.ScanParts();
        QCOMPARE(m.Attachments.Count(), 1);
        TMailPart *part = m.Attachments[0];
        part->SetHeaderParam("Content-Type", "x-quoted", "\"" + QByteArray("ab  cd ").repeated(180).toStdString() + "x  y\t z\"");
        part->SetHeaderParam("Content-Disposition", "x-list", "\"" + std::string(40, 'q') + "\"; x-more=" + std::string(60, 'r'));
        const std::vector<std::string> before = part->Headers;
        m.NeedRebuild = true;
        m.Rebuild();
        const std::string written = m.SourceText();
        for (std::size_t at = 0, next; at < written.size(); at = next + 2) {
            next = written.find("\r\n", at);
            if (next == std::string::npos)
                break;
            QVERIFY2(next - at <= 998, written.substr(at, 80).c_str());
        }
        QVERIFY(written.find("x-more") != std::string::npos);
        TMailMessage back;
        back.LoadFromString(written);
        back.ScanParts();
        QCOMPARE(back.Attachments.Count(), 1);
        QCOMPARE(back.Attachments[0]->Headers, before);
    }

    void stableFromSecondRewrite()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, field);
        const std::string once = rewritten(text.toStdString());
        const std::string twice = rewritten(once);
        QCOMPARE(QByteArray::fromStdString(rewritten(twice)), QByteArray::fromStdString(twice));
        QCOMPARE(QByteArray::fromStdString(twice), QByteArray::fromStdString(once));
        if (!field.isEmpty()) {
            TMailMessage m;
            m.LoadFromString(twice);
            int n = 0;
            for (const std::string &line : m.Headers)
                n += line == field.toStdString() ? 1 : 0;
            QCOMPARE(n, 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestRewriteStable)
#include "tst_rewritestable.moc"
