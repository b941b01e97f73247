// The one address-list reader and the mailbox writer: what a person types gives exactly
// the addresses meant, or a refusal naming the part; what we write reads back the same.
#include "mail/AddressList.h"
#include "mail/TMailMessage.h"

#include <QTest>

namespace {

// "name<address>" for each entry, "!" + refusal for a refused one, joined with "|".
QString described(std::string_view list)
{
    QStringList out;
    for (const AddressList::Entry &e : AddressList::read(list))
        out << (e.error.empty() ? QString::fromUtf8(e.name) + "<" + QString::fromUtf8(e.address) + ">"
                                : "!" + QString::fromUtf8(e.error));
    return out.join(QLatin1Char('|'));
}

} // namespace

class TstAddressList : public QObject
{
    Q_OBJECT

private slots:
    void typedLines_data();
    void typedLines();
    void written_data();
    void written();
    void writtenReadsBack();
    void storedFormsStayReadable();
};

void TstAddressList::typedLines_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("meant");
    QTest::newRow("name and address") << "Lena Novak <lena@example.test>" << "Lena Novak<lena@example.test>";
    QTest::newRow("bare address") << "  lena@example.test " << "<lena@example.test>";
    QTest::newRow("two bare, comma") << "a@x.test, b@y.test" << "<a@x.test>|<b@y.test>";
    QTest::newRow("semicolons") << "a@x.test; Bo <b@y.test>;" << "<a@x.test>|Bo<b@y.test>";
    QTest::newRow("quoted name with comma") << "\"Novak, Lena\" <lena@x.test>, b@y.test"
                                            << "Novak, Lena<lena@x.test>|<b@y.test>";
    QTest::newRow("quoted name with comma, then named") << "\"Smith, Jr.\" <s@x.test>, \"Doe; J\" <d@y.test>"
                                                        << "Smith, Jr.<s@x.test>|Doe; J<d@y.test>";
    QTest::newRow("quoted pair in name") << "\"Say \\\"hi\\\"\" <h@x.test>" << "Say \"hi\"<h@x.test>";
    QTest::newRow("comment as name") << "lena@x.test (Lena Novak)" << "Lena Novak<lena@x.test>";
    QTest::newRow("angle only") << "<lena@x.test>" << "<lena@x.test>";
    QTest::newRow("group") << "Team: a@x.test, b@y.test;" << "<a@x.test>|<b@y.test>";
    QTest::newRow("empty group") << "undisclosed-recipients:;" << "";
    QTest::newRow("quoted local part") << "\"lena novak\"@x.test" << "<\"lena novak\"@x.test>";
    QTest::newRow("domain literal") << "Lab <root@[192.0.2.1]>" << "Lab<root@[192.0.2.1]>";
    QTest::newRow("empty entries skipped") << "a@x.test,, ,b@y.test," << "<a@x.test>|<b@y.test>";
    QTest::newRow("non-ASCII name") << "Ελένη <eleni@x.test>" << "Ελένη<eleni@x.test>";
    // Refusals: never an address made by dropping blanks or brackets.
    QTest::newRow("stray <") << "Lena <lena@x.test" << "!\"Lena <lena@x.test\": \"<\" without \">\"";
    QTest::newRow("stray < after address") << "lena@x.test <" << "!\"lena@x.test <\": \"<\" without \">\"";
    QTest::newRow("stray >") << "lena@x.test>" << "!\"lena@x.test>\": \">\" without \"<\"";
    QTest::newRow("two @") << "lena@@x.test" << "!\"lena@@x.test\": more than one \"@\"";
    QTest::newRow("two @ in angle") << "L <a@b@x.test>" << "!\"L <a@b@x.test>\": more than one \"@\"";
    QTest::newRow("name without an address") << "Lena Novak" << "!\"Lena Novak\": a name without an address";
    QTest::newRow("blanks in an address") << "lena novak@x.test"
                                          << "!\"lena novak@x.test\": blanks in the address (a name goes before it, "
                                             "as Name <address>)";
    QTest::newRow("blank inside angle") << "<a @x.test>" << "!\"<a @x.test>\": a blank or control character in the "
                                                             "name before \"@\"";
    QTest::newRow("nested angle (old stored form)")
        << "\"Lena Novak <lena@x.test>\" <Lena Novak <lena@x.test>>"
        << "!\"\"Lena Novak <lena@x.test>\" <Lena Novak <lena@x.test>>\": \"<\" without \">\"";
    QTest::newRow("no domain") << "lena@" << "!\"lena@\": nothing after \"@\"";
    QTest::newRow("no local part") << "@x.test" << "!\"@x.test\": nothing before \"@\"";
    QTest::newRow("unclosed quote") << "\"Lena <l@x.test>" << "!\"\"Lena <l@x.test>\": a double quote is not closed";
    QTest::newRow("text after >") << "<l@x.test> Lena" << "!\"<l@x.test> Lena\": text after \">\"";
    QTest::newRow("good and bad") << "a@x.test, Bob" << "<a@x.test>|!\"Bob\": no \"@\" in the address";
}

void TstAddressList::typedLines()
{
    QFETCH(QString, typed);
    QFETCH(QString, meant);
    const QByteArray utf8 = typed.toUtf8();
    QCOMPARE(described(std::string_view(utf8.constData(), std::size_t(utf8.size()))), meant);
}

void TstAddressList::written_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("written");
    QTest::newRow("bare address") << "" << "p0@example.com";
    QTest::newRow("atoms") << "Person Zero" << "Person Zero <p0@example.com>";
    QTest::newRow("comma is quoted") << "Zero, Person" << "\"Zero, Person\" <p0@example.com>";
    QTest::newRow("quote is escaped") << "Say \"hi\"" << "\"Say \\\"hi\\\"\" <p0@example.com>";
    QTest::newRow("Windows-1252") << QString::fromUtf8("Renée €") << "=?windows-1252?Q?Ren=E9e_=80?= <p0@example.com>";
    QTest::newRow("Latin-1") << QString::fromUtf8("Jürgen") << "=?iso-8859-1?Q?J=FCrgen?= <p0@example.com>";
    QTest::newRow("Greek") << QString::fromUtf8("Ελένη") << "=?UTF-8?B?zpXOu86tzr3Otw==?= <p0@example.com>";
    QTest::newRow("looks encoded") << "=?x?Q?y?=" << "=?iso-8859-1?B?PT94P1E/eT89?= <p0@example.com>";
}

void TstAddressList::written()
{
    QFETCH(QString, name);
    QFETCH(QString, written);
    QCOMPARE(QString::fromStdString(AddressList::mailbox(name, "p0@example.com", "iso-8859-1")), written);
}

// Long names become several encoded words of at most 75 characters, and the field
// reads back as the names and addresses written.
void TstAddressList::writtenReadsBack()
{
    const QStringList names = {QString::fromUtf8("Ελένη Παπαδοπούλου του Γεωργίου και της Μαρίας από τη Θεσσαλονίκη"),
                               QString::fromUtf8("王小明和他的朋友们在北京大学计算机科学系"), QStringLiteral("Novak, Lena"),
                               QString()};
    TMailMessage m;
    m.Clear();
    QStringList addresses;
    for (int i = 0; i < names.size(); ++i)
        addresses << QStringLiteral("p%1@example.com").arg(i);
    m.ToRecipients.SetAllText(names, addresses);
    const std::string &line = m.Headers.back();
    std::size_t pos = 0;
    while ((pos = line.find("=?", pos)) != std::string::npos) {
        const std::size_t end = line.find("?=", line.find('?', line.find('?', pos + 2) + 1) + 1);
        QVERIFY(end != std::string::npos);
        QVERIFY2(end + 2 - pos <= 75, line.substr(pos, end + 2 - pos).c_str());
        pos = end + 2;
    }
    TMailMessage r;
    r.Headers = m.Headers;
    QCOMPARE(r.ToRecipients.Count(), names.size());
    QVERIFY(r.ToRecipients.Error().empty());
    for (int i = 0; i < names.size(); ++i) {
        QCOMPARE(r.ToRecipients.NameText(i), names[i]);
        QCOMPARE(r.ToRecipients.AddressText(i), addresses[i]);
    }
}

// Fields written by earlier versions read as they did, and are written anew in today's
// form; a field that holds no address stays as it stands and is refused.
void TstAddressList::storedFormsStayReadable()
{
    TMailMessage m;
    m.Headers = {"Subject: =?iso-8859-1?Q?caf=E9?=", "From: \"=?iso-8859-1?Q?J=FCrgen?=\" <j@x.org>",
                 "To: \"Anna\" <a@x>, <b@y>, \"=?UTF-8?B?zpXOu86tzr3Otw==?=\" <e@z>",
                 "Cc: \"Lena Novak <lena@x.test>\" <Lena Novak <lena@x.test>>"};
    QCOMPARE(m.ToRecipients.Count(), 3);
    QCOMPARE(m.ToRecipients.NameText(2), QString::fromUtf8("Ελένη"));
    QVERIFY(m.CcRecipients.Error().find("\"<\" without \">\"") != std::string::npos);
    m.RewriteFields();
    QCOMPARE(m.Headers, (std::vector<std::string>{"Subject: =?iso-8859-1?Q?caf=E9?=",
                                                  "From: =?iso-8859-1?Q?J=FCrgen?= <j@x.org>",
                                                  "Cc: \"Lena Novak <lena@x.test>\" <Lena Novak <lena@x.test>>",
                                                  "To: Anna <a@x>, b@y, =?UTF-8?B?zpXOu86tzr3Otw==?= <e@z>"}));
}

QTEST_GUILESS_MAIN(TstAddressList)
#include "tst_addresslist.moc"
