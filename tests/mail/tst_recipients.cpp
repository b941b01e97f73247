// Recipients and the message's address, subject, date and identity fields.
#include "mail/RandomSource.h"
#include "mail/TMailMessage.h"
#include "tests/support/ScalingTime.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTest>

namespace {

QString q(const std::string &s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string b(const QString &s)
{
    const QByteArray l = s.toLatin1();
    return std::string(l.constData(), static_cast<std::size_t>(l.size()));
}

// "name<address>" entries joined with "|"
QString entries(const TMailRecipients &r)
{
    QStringList out;
    for (int i = 0; i < r.Count(); ++i)
        out << q(r.NameAt(i)) + "<" + q(r.AddressAt(i)) + ">";
    return out.join(QLatin1Char('|'));
}

} // namespace

class TstRecipients : public QObject
{
    Q_OBJECT

private slots:
    void readAddress_data();
    void readAddress();
    void parse_data();
    void parse();
    void quotePairsInLinearTime();
    void setAll_data();
    void setAll();
    void commaText_data();
    void commaText();
    void refreshOnChange();
    void addAndWriteBack();
    void fromAndReplyTo();
    void subject();
    void dateAndMessageId();
    void messageIdDomain_data();
    void messageIdDomain();
    void messageIdFromTheRandomSource();
    void noHeaderInjection();
};

void TstRecipients::readAddress_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::newRow("quoted name") << "\"Anna Berg\" <anna@x.org>" << "Anna Berg" << "anna@x.org";
    QTest::newRow("bare name") << "Anna Berg <anna@x.org>" << "Anna Berg" << "anna@x.org";
    QTest::newRow("comment name") << "anna@x.org (Anna Berg)" << "Anna Berg" << "anna@x.org";
    QTest::newRow("address only") << "anna@x.org" << "" << "anna@x.org";
    QTest::newRow("angle only") << "<anna@x.org>" << "" << "anna@x.org";
    QTest::newRow("encoded name") << "\"=?iso-8859-1?Q?Ren=E9e?=\" <r@x.org>" << "Ren\u00e9e" << "r@x.org";
    QTest::newRow("comma in quotes") << "\"Berg, Anna\" <anna@x.org>" << "Berg, Anna" << "anna@x.org";
    QTest::newRow("empty") << "" << "" << "";
}

void TstRecipients::readAddress()
{
    QFETCH(QString, value);
    QFETCH(QString, name);
    QFETCH(QString, address);
    TMailMessage m;
    m.Headers = {"Reply-To: " + b(value)};
    std::string n, a;
    m.ReadAddress("Reply-To", n, a);
    QCOMPARE(q(n), name);
    QCOMPARE(q(a), address);
}

void TstRecipients::parse_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("entries");
    QTest::newRow("quoted name with comma, then bare address")
        << QStringList{"To: \"Berg, Anna\" <a@x.org>, b@y.org"} << "Berg, Anna<a@x.org>|<b@y.org>";
    QTest::newRow("semicolon separates") << QStringList{"To: a@x; b@y"} << "<a@x>|<b@y>";
    QTest::newRow("comment after address") << QStringList{"To: a@x (Anna), b@y"} << "Anna<a@x>|<b@y>";
    QTest::newRow("bare name") << QStringList{"To: Anna Berg <a@x>"} << "Anna Berg<a@x>";
    QTest::newRow("encoded name") << QStringList{"To: \"=?x?Q?S=E4nger?=\" <s@x>"} << "S\u00e4nger<s@x>";
    QTest::newRow("several lines") << QStringList{"To: a@x", "Subject: s", "to: b@y"} << "<a@x>|<b@y>";
    QTest::newRow("empty entries skipped") << QStringList{"To: a@x,, ,b@y,"} << "<a@x>|<b@y>";
    // No address is made by dropping blanks: the entry stays as it stands, refused.
    QTest::newRow("blank in an address kept") << QStringList{"To: <a @x>"} << "<<a @x>>";
    QTest::newRow("other field ignored") << QStringList{"Cc: a@x", "Tox: b@y"} << "";
    QTest::newRow("empty field") << QStringList{"To:"} << "";
    QTest::newRow("blank quoted names") << QStringList{"To: \" \"\" \"<a@x>"} << "<a@x>";
    QTest::newRow("quote pairs alone") << QStringList{"To: \" \"\" \"\" \""} << "<\" \"\" \"\" \">";
    QTest::newRow("text after an address is refused") << QStringList{"To: a@x \"Anna\", b@y"} << "<a@x \"Anna\">|<b@y>";
    QTest::newRow("blanks before a quote") << QStringList{"To: \t \"Anna\" <a@x>"} << "Anna<a@x>";
}

void TstRecipients::parse()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, entries);
    TMailMessage m;
    for (const QString &l : lines)
        m.Headers.push_back(b(l));
    QCOMPARE(::entries(m.ToRecipients), entries);
    // The whole lists at once say the same.
    QStringList whole;
    const std::vector<std::string> &names = m.ToRecipients.Names();
    const std::vector<std::string> &addresses = m.ToRecipients.Addresses();
    QCOMPARE(names.size(), addresses.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        whole << q(names[i]) + "<" + q(addresses[i]) + ">";
    QCOMPARE(whole.join(QLatin1Char('|')), entries);
}

// Every opening quote asks whether the name so far holds more than blanks: a field of many
// quote pairs must not read the whole name again each time.
void TstRecipients::quotePairsInLinearTime()
{
    auto field = [](int pairs) {
        std::string line = "To: ";
        for (int i = 0; i < pairs; ++i)
            line += "\" \"";
        return line + "<a@x>";
    };
    const std::string small = field(12500), large = field(100000);
    auto count = [](const std::string &line) {
        TMailMessage m;
        m.Headers = {line};
        QCOMPARE(m.ToRecipients.Count(), 1);
        QCOMPARE(m.ToRecipients.NameAt(0), std::string());
    };
    // Eight times the pairs: about eight times the time when linear, sixty-four when not.
    const double ratio = ScalingTime::ratio([&] { count(small); }, [&] { count(large); });
    qInfo("time ratio of 100,000 to 12,500 quote pairs: %.1f", ratio);
    QVERIFY2(ratio < 24, qPrintable(QStringLiteral("time ratio %1").arg(ratio)));
}

void TstRecipients::setAll_data()
{
    QTest::addColumn<QString>("names");
    QTest::addColumn<QString>("addresses");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("entries");
    QTest::newRow("names cut") << "A,B,C" << "a@x,b@x" << "To: A <a@x>, B <b@x>" << "A<a@x>|B<b@x>";
    QTest::newRow("names padded") << "A" << "a@x,b@x" << "To: A <a@x>, b@x" << "A<a@x>|<b@x>";
    QTest::newRow("quoted names") << "\"Berg, Anna\",\"Bob Smith\"" << "a@x,b@x"
                                  << "To: \"Berg, Anna\" <a@x>, Bob Smith <b@x>" << "Berg, Anna<a@x>|Bob Smith<b@x>";
    QTest::newRow("empty name in the middle") << "A,,C" << "a@x,b@x,c@x" << "To: A <a@x>, b@x, C <c@x>"
                                              << "A<a@x>|<b@x>|C<c@x>";
    QTest::newRow("8-bit name") << "Ren\u00e9e" << "r@x" << "To: =?iso-8859-1?Q?Ren=E9e?= <r@x>" << "Ren\u00e9e<r@x>";
    QTest::newRow("no addresses") << "A" << "" << "" << "";
}

void TstRecipients::setAll()
{
    QFETCH(QString, names);
    QFETCH(QString, addresses);
    QFETCH(QString, line);
    QFETCH(QString, entries);
    TMailMessage m;
    m.Headers = {"Subject: s", "To: old@x"};
    m.ToRecipients.SetAll(b(names), b(addresses));
    QCOMPARE(m.Headers.front(), std::string("Subject: s"));
    QCOMPARE(m.Headers.size(), line.isEmpty() ? std::size_t(1) : std::size_t(2));
    if (!line.isEmpty())
        QCOMPARE(q(m.Headers.back()), line);
    QCOMPARE(::entries(m.ToRecipients), entries);
    // Read back from the header text alone.
    TMailMessage r;
    r.Headers = m.Headers;
    QCOMPARE(::entries(r.ToRecipients), entries);
}

void TstRecipients::commaText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("simple") << "a,b" << QStringList{"a", "b"};
    QTest::newRow("blanks separate") << "a b, c" << QStringList{"a", "b", "c"};
    QTest::newRow("quoted") << "\"a b\",\"say \"\"hi\"\"\"" << QStringList{"a b", "say \"hi\""};
    QTest::newRow("empty items") << ",a,,b," << QStringList{"", "a", "", "b", ""};
    QTest::newRow("comma in quotes") << "\"Berg, Anna\",b" << QStringList{"Berg, Anna", "b"};
    QTest::newRow("only a doubled quote") << "\"\"\"\"" << QStringList{"\""};
    QTest::newRow("blanks of any kind") << "\ta\r\nb \t, c " << QStringList{"a", "b", "c"};
    QTest::newRow("unterminated quote") << "\"abc" << QStringList{"abc"};
    QTest::newRow("zero byte ends") << QString::fromLatin1("a,b\0,c", 6) << QStringList{"a", "b"};
    QTest::newRow("empty") << "" << QStringList{};
}

void TstRecipients::commaText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, items);
    std::vector<std::string> expected;
    for (const QString &s : items)
        expected.push_back(b(s));
    QCOMPARE(TMailRecipients::SplitCommaText(b(text)), expected);
    // Writing and splitting again gives the same items (for non-empty lists whose last
    // item is not empty).
    if (!expected.empty() && !expected.back().empty())
        QCOMPARE(TMailRecipients::SplitCommaText(TMailRecipients::CommaText(expected)), expected);
}

void TstRecipients::refreshOnChange()
{
    TMailMessage m;
    m.Headers = {"To: a@x"};
    QCOMPARE(m.ToRecipients.AddressAt(0), std::string("a@x"));
    // Same length, different text: read anew.
    m.Headers[0] = "To: b@x";
    QCOMPARE(m.ToRecipients.AddressAt(0), std::string("b@x"));
    QCOMPARE(m.ToRecipients.Count(), 1);
    QCOMPARE(m.ToRecipients.AddressAt(5), std::string());
    QCOMPARE(m.ToRecipients.NameAt(-1), std::string());
    m.Clear();
    QCOMPARE(m.ToRecipients.Count(), 0);
    QCOMPARE(m.ToRecipients.Label(), std::string("To"));
    QCOMPARE(m.CcRecipients.Label(), std::string("Cc"));
    QCOMPARE(m.BccRecipients.Label(), std::string("Bcc"));
}

void TstRecipients::addAndWriteBack()
{
    TMailMessage m;
    m.Headers = {"Cc: \"Anna\" <a@x>", "X: 1", "CC: b@y"};
    m.CcRecipients.Add("Carl", "c@z");
    QCOMPARE(m.Headers, (std::vector<std::string>{"X: 1", "Cc: Anna <a@x>, b@y, Carl <c@z>"}));
    QCOMPARE(m.CcRecipients.AddressList(), std::string("a@x,b@y,c@z"));
    m.CcRecipients.SetAll("", "\"odd address\",x@y");
    QCOMPARE(m.CcRecipients.AddressList(), std::string("\"odd address\",x@y"));
}

void TstRecipients::fromAndReplyTo()
{
    TMailMessage m;
    m.SetFrom("Anna Berg", "anna@x.org");
    QCOMPARE(m.Headers.back(), std::string("From: Anna Berg <anna@x.org>"));
    QCOMPARE(m.FromAddress(), std::string("anna@x.org"));
    m.SetFrom("J\xfcrgen", "j@x.org");
    QCOMPARE(m.Headers.back(), std::string("From: =?iso-8859-1?Q?J=FCrgen?= <j@x.org>"));
    std::string name, address;
    m.ReadAddress("From", name, address);
    QCOMPARE(name, std::string("J\xfcrgen"));
    m.SetFrom("", "only@x.org");
    QCOMPARE(m.Headers.back(), std::string("From: only@x.org"));
    QCOMPARE(m.Headers.size(), std::size_t(1));
    m.SetFrom("Name", "");
    QVERIFY(m.Headers.empty());
    m.SetReplyTo("R", "r@x");
    QCOMPARE(m.Headers.back(), std::string("Reply-To: R <r@x>"));
    // A double quote in a display name cannot end the phrase early.
    m.SetFrom("a\" <evil@x>, \"b", "real@x");
    m.ReadAddress("From", name, address);
    QCOMPARE(address, std::string("real@x"));
    QCOMPARE(name, std::string("a\" <evil@x>, \"b"));
    m.ToRecipients.SetAll("\"x\"\" <evil@x>\"", "real@x");
    QCOMPARE(m.ToRecipients.Count(), 1);
    QCOMPARE(m.ToRecipients.AddressAt(0), std::string("real@x"));
    TMailMessage r;
    r.Headers = m.Headers;
    QCOMPARE(r.ToRecipients.Count(), 1);
    QCOMPARE(r.ToRecipients.NameAt(0), std::string("x\" <evil@x>"));
}

void TstRecipients::subject()
{
    TMailMessage m;
    m.SetSubject("Hello");
    QCOMPARE(m.Headers, std::vector<std::string>{"Subject: Hello"});
    // A subject is free text: ";" and quotes belong to it, also in an encoded word.
    m.SetSubject("Agenda; part \"2\"");
    QCOMPARE(m.DecodedSubject(), std::string("Agenda; part \"2\""));
    m.SetSubject("caf\xe9; cr\xe8me");
    QCOMPARE(m.Headers.size(), std::size_t(1));
    QVERIFY(m.Headers[0].starts_with("Subject: =?iso-8859-1?"));
    QCOMPARE(m.DecodedSubject(), std::string("caf\xe9; cr\xe8me"));
    m.Headers = {"subject:  =?x?B?QUJD?= =?x?B?REVG?= "};
    QCOMPARE(m.DecodedSubject(), std::string("ABCDEF"));
    m.SetSubject("");
    QVERIFY(m.Headers.empty());
    QCOMPARE(m.DecodedSubject(), std::string());

    // A long encoded subject with commas and semicolons is folded outside its word and
    // reads back as written.
    const std::string longSubject = "R\xe9union lundi, mardi; et mercredi avec toute l'\xe9quipe du projet, merci";
    TMailMessage w;
    w.SetSubject(longSubject);
    w.SetPlainText("x");
    w.Rebuild();
    TMailMessage r;
    r.LoadFromString(w.SourceText());
    r.ScanParts();
    QCOMPARE(r.DecodedSubject(), longSubject);
}

void TstRecipients::dateAndMessageId()
{
    TMailMessage m;
    m.SetDate(QDateTime(QDate(2026, 12, 7), QTime(0, 5, 3)));
    QVERIFY(m.HeaderValue("Date").starts_with("Mon, 07 Dec 2026 00:05:03 "));
    m.SetMessageId("192.168.0.10");
    const QString id = q(m.HeaderValue("Message-ID"));
    QVERIFY2(QRegularExpression(QStringLiteral("^<\\d{14}\\.[0-9A-F]{1,8}\\.[0-9A-F]{1,8}@192\\.168\\.0\\.10>$"))
                 .match(id)
                 .hasMatch(),
             qPrintable(id));
    m.SetMessageId("h");
    QCOMPARE(std::count_if(m.Headers.begin(), m.Headers.end(),
                           [](const std::string &l) { return l.starts_with("Message-ID:"); }),
             1);
    QVERIFY(q(m.HeaderValue("Message-ID")) != id);
}

void TstRecipients::messageIdDomain_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("domain");
    QTest::newRow("the sender's domain") << "\"Anna\" <anna@mail.example.org>" << "smtp.isp.net" << "mail.example.org";
    QTest::newRow("no From: the server's name") << "" << " smtp.isp.net " << "smtp.isp.net";
    QTest::newRow("From without a domain") << "anna" << "smtp.isp.net" << "smtp.isp.net";
    QTest::newRow("address literal") << "anna@[192.168.1.5]" << "smtp.isp.net" << "smtp.isp.net";
    QTest::newRow("numeric domain") << "anna@192.168.1.5" << "10.0.0.1" << "localhost";
    QTest::newRow("IPv6 server") << "" << "::1" << "localhost";
    QTest::newRow("blank server") << "" << " " << "localhost";
    QTest::newRow("8-bit domain") << QString::fromUtf8("anna@b\u00fccher.de") << "mx.de" << "mx.de";
    QTest::newRow("empty label") << "anna@example..org" << "mx.de" << "mx.de";
}

// The domain after the "@" names the sender, never the machine's network address.
void TstRecipients::messageIdDomain()
{
    QFETCH(QString, from);
    QFETCH(QString, host);
    QFETCH(QString, domain);
    TMailMessage m;
    if (!from.isEmpty())
        m.Headers.push_back("From: " + from.toLatin1().toStdString());
    QCOMPARE(q(m.MessageIdDomain(host.toStdString())), domain);
}

// The random values come from the mail model's source, which a test can fix; without a
// fixed source two identities differ.
void TstRecipients::messageIdFromTheRandomSource()
{
    std::uint32_t next = 0xABC0;
    SetMailRandomSource([&] { return next++; });
    TMailMessage m;
    m.SetMessageId("example.org");
    SetMailRandomSource({});
    QVERIFY2(QRegularExpression(QStringLiteral("^<\\d{14}\\.ABC0\\.ABC1@example\\.org>$"))
                 .match(q(m.HeaderValue("Message-ID")))
                 .hasMatch(),
             m.HeaderValue("Message-ID").c_str());

    QStringList ids;
    for (int i = 0; i < 50; ++i) {
        m.SetMessageId("example.org");
        ids << q(m.HeaderValue("Message-ID"));
    }
    ids.removeDuplicates();
    QCOMPARE(ids.size(), 50);
}

void TstRecipients::noHeaderInjection()
{
    TMailMessage m;
    m.SetSubject("a\r\nBcc: evil@x");
    m.SetFrom("N\r\nX-Evil: 1", "from@x\r\nBcc: evil@x");
    m.SetReplyTo("", "r@x\nX-Evil: 2");
    m.ToRecipients.SetAll("T\r\nX-Evil: 3", "to@x\r\nX-Evil: 4");
    m.ToRecipients.Add("", "cc@x\rX-Evil: 5");
    m.SetMessageId("dom\r\nX-Evil: 6");
    m.SetPlainText("text");
    m.AttachStream("abc", "a\r\nX-Evil: 7.bin", "application/x\r\nX-Evil: 8");
    m.AttachStream("abc", "p\r\nX-Evil: 9.gif", {}, true);
    m.AddPicture("abc", "q\r\nX-Evil: 10.jpg");
    m.Rebuild();
    const std::string text = m.SourceText();
    QVERIFY(text.find("\nX-Evil") == std::string::npos);
    QVERIFY(text.find("\nBcc") == std::string::npos);
    for (const std::string &line : m.Headers)
        QVERIFY(line.find_first_of("\r\n") == std::string::npos);
    QCOMPARE(m.FromAddress(), std::string("from@xBcc: evil@x"));

    TMailMessage r;
    r.LoadFromString(text);
    r.ScanParts();
    QCOMPARE(r.DecodedSubject(), std::string("a\r\nBcc: evil@x"));
    QVERIFY(!r.HasHeader("X-Evil"));
    QCOMPARE(r.Attachments.Count(), 3);
}

QTEST_GUILESS_MAIN(TstRecipients)
#include "tst_recipients.moc"
