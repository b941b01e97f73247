#include "config/ConfigFile.h"
#include "config/ConfigForm.h"
#include "config/ConfigSettings.h"
#include "config/MainWindowLayout.h"
#include "discovery/AccountDiscovery.h"
#include "discovery/AutoconfigReader.h"
#include "discovery/DocumentFetcher.h"
#include "discovery/MailDnsResolver.h"
#include "tests/support/TestFiles.h"

#include <QMap>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray document(const QByteArray &outgoing)
{
    return "<?xml version=\"1.0\"?>\n<clientConfig version=\"1.1\"><emailProvider id=\"example.org\">"
           "<domain>example.org</domain><incomingServer type=\"imap\"><hostname>imap.example.org</hostname>"
           "<port>993</port><socketType>SSL</socketType></incomingServer>"
           + outgoing + "</emailProvider></clientConfig>\n";
}

QByteArray smtp(const QByteArray &host, int port, const QByteArray &socket, const QByteArray &user = "%EMAILADDRESS%",
                const QByteArray &auth = "password-cleartext")
{
    return "<outgoingServer type=\"smtp\"><hostname>" + host + "</hostname><port>" + QByteArray::number(port)
           + "</port><socketType>" + socket + "</socketType><authentication>" + auth
           + "</authentication><username>" + user + "</username></outgoingServer>";
}

// Answers from a table of addresses; records what was asked.
class TableFetcher : public DocumentFetcher
{
public:
    QMap<QString, QByteArray> documents;
    QStringList asked;

    Reply get(const QUrl &url) override
    {
        asked << url.toString();
        Reply r;
        if (documents.contains(url.toString()))
            r.body = documents.value(url.toString());
        else
            r.error = QStringLiteral("HTTP 404");
        return r;
    }
};

class TableResolver : public MailDnsResolver
{
public:
    QMap<QString, std::vector<Service>> srv;
    QMap<QString, std::vector<std::string>> mx;
    QStringList asked;

    std::vector<Service> services(const QString &name) override
    {
        asked << name;
        return srv.value(name);
    }
    std::vector<std::string> mailExchangers(const QString &domain) override
    {
        asked << QStringLiteral("MX ") + domain;
        return mx.value(domain);
    }
};

const QString Own = QStringLiteral("https://autoconfig.example.org/mail/config-v1.1.xml?emailaddress=ann%2Bx%40example.org");
const QString WellKnown = QStringLiteral("https://example.org/.well-known/autoconfig/mail/config-v1.1.xml");
const QString Database = QStringLiteral("https://db.test/v1.1/example.org");

} // namespace

// The search for an address's outgoing server: reading the providers' documents (good
// and hostile), the order of the sources, and which server is chosen.
class TestAccountDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void reader_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("servers"); // host:port:security:user, joined by " "
        QTest::addColumn<QString>("problem"); // a word of the problem; empty: none

        QTest::newRow("two servers, placeholders")
            << document(smtp("smtp.example.org", 465, "SSL") + smtp("SMTP.example.org", 587, "STARTTLS", "%EMAILLOCALPART%")
                        + smtp("smtp.example.org", 25, "plain", "%EMAILDOMAIN%-x"))
            << "smtp.example.org:465:tls:ann+x@example.org smtp.example.org:587:starttls:ann+x "
               "smtp.example.org:25:none:example.org-x"
            << QString();
        QTest::newRow("oauth2 first") << document(smtp("smtp.example.org", 587, "STARTTLS", "u", "OAuth2"))
                                      << "smtp.example.org:587:starttls:u" << QString();
        QTest::newRow("not xml") << QByteArray("Not found. Sorry!") << QString() << "well-formed";
        QTest::newRow("html") << QByteArray("<html><body>Not found</p></html>") << QString() << "no mail client";
        QTest::newRow("empty") << QByteArray() << QString() << "well-formed";
        QTest::newRow("other root") << QByteArray("<html/>") << QString() << "no mail client";
        QTest::newRow("entities") << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE clientConfig [<!ENTITY a \"aaaaaaaaaa\">"
                                                "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><clientConfig>&b;</clientConfig>")
                                  << QString() << "DTD";
        QTest::newRow("external entity") << QByteArray("<!DOCTYPE c [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><clientConfig>"
                                                       "<emailProvider>" + smtp("&x;", 25, "SSL") + "</emailProvider></clientConfig>")
                                         << QString() << "DTD";
        QTest::newRow("undeclared entity") << document(smtp("a&x;.org", 465, "SSL")) << QString() << "well-formed";
        QTest::newRow("no smtp server") << document("") << QString() << "no SMTP server";
        QTest::newRow("cut short") << document(smtp("smtp.example.org", 465, "SSL")).left(300) << QString() << "well-formed";
        QTest::newRow("unusable entries")
            << document(smtp("smtp.example.org\r\nACC_SMTPHost=evil", 465, "SSL") + smtp("ok.example.org", 0, "SSL")
                        + smtp("ok.example.org", 465, "QUIC") + smtp("ok.example.org", 465, "SSL", "a\r\nb"))
            << QString() << "no usable SMTP server";
        QTest::newRow("smtp outside emailProvider")
            << QByteArray("<clientConfig>" + smtp("smtp.example.org", 465, "SSL") + "</clientConfig>") << QString()
            << "no SMTP server";
    }

    void reader()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, servers);
        QFETCH(QString, problem);

        const AutoconfigReader::Result r = AutoconfigReader::read(xml, "ann+x@example.org");
        QStringList got;
        for (const FoundServer &s : r.servers)
            got << QStringLiteral("%1:%2:%3:%4")
                       .arg(QString::fromStdString(s.host))
                       .arg(s.port)
                       .arg(QString::fromLatin1(SmtpSecurityName::of(s.security)))
                       .arg(QString::fromStdString(s.user));
        QCOMPARE(got.join(QLatin1Char(' ')), servers);
        if (problem.isEmpty())
            QVERIFY2(r.problem.isEmpty(), qPrintable(r.problem));
        else
            QVERIFY2(r.problem.contains(problem), qPrintable(r.problem));
    }

    void readerLogin()
    {
        const AutoconfigReader::Result r = AutoconfigReader::read(
            document(smtp("a.example.org", 587, "STARTTLS", "u", "OAuth2") + smtp("b.example.org", 587, "STARTTLS", "", "none")),
            "a@example.org");
        QCOMPARE(r.servers.size(), std::size_t(2));
        QVERIFY(r.servers[0].login == FoundServer::Login::OAuth2);
        QVERIFY(r.servers[1].login == FoundServer::Login::None);
    }

    void split_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("domain"); // empty: refused
        QTest::newRow("plain") << "ann@Example.ORG" << "example.org";
        QTest::newRow("blanks around") << "  ann@example.org " << "example.org";
        QTest::newRow("final dot") << "ann@example.org." << "example.org";
        QTest::newRow("quoted @ in local part") << "\"a@b\"@example.org" << "example.org";
        QTest::newRow("other script") << QString::fromUtf8("ann@bücher.example") << "xn--bcher-kva.example";
        QTest::newRow("no domain") << "ann@" << QString();
        QTest::newRow("no local part") << "@example.org" << QString();
        QTest::newRow("no dot") << "ann@localhost" << QString();
        QTest::newRow("blank inside") << "an n@example.org" << QString();
        QTest::newRow("line break in domain") << "ann@example.org\r\nx" << QString();
        QTest::newRow("slash in domain") << "ann@example.org/evil" << QString();
        QTest::newRow("double dot") << "ann@example..org" << QString();
    }

    void split()
    {
        QFETCH(QString, address);
        QFETCH(QString, domain);
        const std::optional<AccountDiscovery::Parts> parts = AccountDiscovery::split(address);
        QCOMPARE(parts ? QString::fromStdString(parts->domain) : QString(), domain);
    }

    // Each source in turn, with every earlier one silent; what is asked and what is found.
    void order_data()
    {
        QTest::addColumn<QString>("answering");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("fetches");
        QTest::addColumn<int>("dnsQuestions");

        QTest::newRow("provider's document") << "own" << "own.example.org:465:tls" << Own << 1 << 0;
        QTest::newRow("well-known document") << "wellknown" << "wk.example.org:465:tls" << WellKnown << 2 << 0;
        QTest::newRow("database") << "database" << "db.example.org:465:tls" << Database << 3 << 0;
        QTest::newRow("SRV submissions") << "submissions" << "s1.example.org:465:tls"
                                         << "DNS: _submissions._tcp.example.org" << 3 << 1;
        QTest::newRow("SRV submission") << "submission" << "s2.example.org:587:starttls"
                                        << "DNS: _submission._tcp.example.org" << 3 << 2;
        QTest::newRow("MX host of a known provider") << "mx" << "smtp.gmail.com:465:tls"
                                                     << "the MX host aspmx.l.google.com (Google)" << 3 << 3;
        QTest::newRow("nothing") << "" << "" << "" << 3 << 3;
    }

    void order()
    {
        QFETCH(QString, answering);
        QFETCH(QString, server);
        QFETCH(QString, from);
        QFETCH(int, fetches);
        QFETCH(int, dnsQuestions);

        TableFetcher fetcher;
        TableResolver resolver;
        if (answering == QLatin1String("own"))
            fetcher.documents[Own] = document(smtp("own.example.org", 465, "SSL"));
        if (answering == QLatin1String("wellknown"))
            fetcher.documents[WellKnown] = document(smtp("wk.example.org", 465, "SSL"));
        if (answering == QLatin1String("database"))
            fetcher.documents[Database] = document(smtp("db.example.org", 465, "SSL"));
        if (answering == QLatin1String("submissions"))
            resolver.srv[QStringLiteral("_submissions._tcp.example.org")] = {{"s9.example.org.", 465, 20, 0},
                                                                             {"s1.example.org.", 465, 10, 0}};
        if (answering == QLatin1String("submission"))
            resolver.srv[QStringLiteral("_submission._tcp.example.org")] = {{"s2.example.org.", 587, 0, 0}};
        // A record of "." says the service is not there, and does not answer.
        resolver.srv[QStringLiteral("_submissions._tcp.example.org")].push_back({".", 0, 0, 0});
        if (answering == QLatin1String("mx"))
            resolver.mx[QStringLiteral("example.org")] = {"mx.other.example.", "ASPMX.L.GOOGLE.COM."};

        AccountDiscovery discovery(fetcher, &resolver);
        discovery.databaseUrl = QStringLiteral("https://db.test/v1.1");
        const AccountDiscovery::Result r = discovery.discover(QStringLiteral("ann+x@example.org"));
        QCOMPARE(r.server ? QStringLiteral("%1:%2:%3")
                                .arg(QString::fromStdString(r.server->host))
                                .arg(r.server->port)
                                .arg(QString::fromLatin1(SmtpSecurityName::of(r.server->security)))
                          : QString(),
                 server);
        QCOMPARE(r.from, from);
        QCOMPARE(fetcher.asked.size(), fetches);
        QCOMPARE(resolver.asked.size(), dnsQuestions);
        if (r.server)
            QCOMPARE(r.server->user, std::string("ann+x@example.org"));
        // Every source passed over says why.
        QCOMPARE(r.notes.size(), fetches + dnsQuestions - (r.server ? 1 : 0));
        // The database is told the domain, never the address.
        for (const QString &url : fetcher.asked)
            if (url.startsWith(QLatin1String("https://db.test")))
                QVERIFY(!url.contains(QLatin1String("ann")));
    }

    void builtInTableAsksNothing()
    {
        TableFetcher fetcher;
        TableResolver resolver;
        AccountDiscovery discovery(fetcher, &resolver);
        discovery.databaseUrl = QStringLiteral("https://db.test/");
        const AccountDiscovery::Result r = discovery.discover(QStringLiteral("ann@GMail.com"));
        QVERIFY(r.server);
        QCOMPARE(r.server->host, std::string("smtp.gmail.com"));
        QVERIFY(r.server->login == FoundServer::Login::OAuth2);
        QVERIFY(r.source == AccountDiscovery::Source::BuiltInTable);
        QCOMPARE(r.from, QStringLiteral("the built-in table (Google)"));
        QVERIFY(fetcher.asked.isEmpty());
        QVERIFY(resolver.asked.isEmpty());

        const AccountDiscovery::Result icloud = discovery.discover(QStringLiteral("ann@me.com"));
        QVERIFY(icloud.server);
        QCOMPARE(icloud.server->host, std::string("smtp.mail.me.com"));
        QVERIFY(icloud.server->login == FoundServer::Login::Password);
        QVERIFY(icloud.server->security == SmtpSecurity::StartTls);
    }

    // A cleartext server is never chosen when another source names an encrypted one; alone,
    // it is chosen with a warning. Within one document, the encrypted one is chosen.
    void cleartext()
    {
        TableFetcher fetcher;
        fetcher.documents[Own] = document(smtp("plain.example.org", 25, "plain"));
        fetcher.documents[Database] = document(smtp("plain2.example.org", 25, "plain") + smtp("db.example.org", 587, "STARTTLS"));
        AccountDiscovery discovery(fetcher, nullptr);
        discovery.databaseUrl = QStringLiteral("https://db.test/v1.1/");
        AccountDiscovery::Result r = discovery.discover(QStringLiteral("ann+x@example.org"));
        QVERIFY(r.server);
        QCOMPARE(r.server->host, std::string("db.example.org"));
        QCOMPARE(r.offered.size(), std::size_t(2));
        QVERIFY(r.notes.join(QLatin1Char('\n')).contains(QLatin1String("not chosen: plain2.example.org:25")));

        fetcher.documents.remove(Database);
        r = discovery.discover(QStringLiteral("ann+x@example.org"));
        QVERIFY(r.server);
        QCOMPARE(r.server->host, std::string("plain.example.org"));
        QVERIFY(r.source == AccountDiscovery::Source::ProviderDocument);
        QVERIFY(r.notes.last().startsWith(QLatin1String("Warning:")));
    }

    void databaseSetting()
    {
        TableFetcher fetcher;
        AccountDiscovery discovery(fetcher, nullptr);
        // Turned off: not asked.
        discovery.discover(QStringLiteral("ann@example.org"));
        QCOMPARE(fetcher.asked.size(), 2);
        // Only over https.
        fetcher.asked.clear();
        discovery.databaseUrl = QStringLiteral("http://db.test/");
        const AccountDiscovery::Result r = discovery.discover(QStringLiteral("ann@example.org"));
        QCOMPARE(fetcher.asked.size(), 2);
        QVERIFY(r.notes.last().contains(QLatin1String("https")));
    }

    // The database's key: absent (every older file and the first-run one) reads as the
    // public database; written empty, it turns the database off.
    void databaseKey()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("Config.dat"));
        TestFiles::write(config, FirstRunConfigText());
        QVERIFY(!FirstRunConfigText().contains("ACC_ConfigDatabase"));
        ConfigSettings s;
        LoadConfig(s, config);
        QCOMPARE(s.ACC_ConfigDatabase, std::string("https://autoconfig.thunderbird.net/v1.1/"));
        // A save of the dialog leaves it out (the first-run file gains no line for it) ...
        SaveConfig(s, ConfigForm::showing(s), MainWindowLayout(), config);
        QVERIFY(!TestFiles::read(config).contains("ACC_ConfigDatabase"));
        // ... and keeps what a person wrote: empty turns the database off.
        TestFiles::write(config, "[System]\r\nACC_ConfigDatabase=\r\n");
        LoadConfig(s, config);
        QCOMPARE(s.ACC_ConfigDatabase, std::string());
        SaveConfig(s, ConfigForm::showing(s), MainWindowLayout(), config);
        QVERIFY(TestFiles::read(config).contains("ACC_ConfigDatabase=\r\n"));
    }

    void notAnAddress()
    {
        TableFetcher fetcher;
        AccountDiscovery discovery(fetcher, nullptr);
        const AccountDiscovery::Result r = discovery.discover(QStringLiteral("nobody"));
        QVERIFY(!r.server);
        QVERIFY(fetcher.asked.isEmpty());
        QCOMPARE(r.notes.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestAccountDiscovery)
#include "tst_accountdiscovery.moc"
