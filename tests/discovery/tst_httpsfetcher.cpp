#include "discovery/AccountDiscovery.h"
#include "discovery/HttpsFetcher.h"
#include "tests/support/HttpsDocumentServer.h"
#include "tests/support/TestCertificates.h"

#include <QSslCertificate>
#include <QTest>

// The real fetcher against a local HTTPS server with a test CA: the size cap, the
// certificate check, what a request carries, and a whole search through the database.
class TestHttpsFetcher : public QObject
{
    Q_OBJECT

    TestCertificates m_certs;
    HttpsDocumentServer m_server;
    QList<QSslCertificate> m_ca;

    HttpsFetcher fetcher() const
    {
        HttpsFetcher f;
        f.extraCaCertificates = m_ca;
        f.timeOutMs = 5000;
        return f;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_certs.create(), qPrintable(m_certs.errorString()));
        const TestCertificates::Issued issued = m_certs.issue(QStringLiteral("https"), {QStringLiteral("IP:127.0.0.1")});
        QVERIFY(issued.valid());
        m_ca = QSslCertificate::fromPath(m_certs.caFile());
        QVERIFY2(m_server.start(issued.certificate, issued.key), qPrintable(m_server.errorString()));
        m_server.put(QStringLiteral("good.xml"), "<clientConfig/>");
        m_server.put(QStringLiteral("v1.1/example.org"),
                     "<clientConfig><emailProvider><outgoingServer type=\"smtp\"><hostname>smtp.example.org</hostname>"
                     "<port>587</port><socketType>STARTTLS</socketType><username>%EMAILLOCALPART%</username>"
                     "</outgoingServer></emailProvider></clientConfig>");
        m_server.put(QStringLiteral("v1.1/entities.example"),
                     "<!DOCTYPE clientConfig [<!ENTITY a \"x\">]><clientConfig>&a;</clientConfig>");
        m_server.put(QStringLiteral("v1.1/big.example"), QByteArray(1024 * 1024 + 1, ' '));
    }

    void get_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("error"); // a word of it; empty: none
        QTest::newRow("a document") << "good.xml" << 15 << QString();
        QTest::newRow("missing") << "none.xml" << 0 << "404";
        QTest::newRow("10 MB without a length") << "huge" << 0 << "larger than 1024 KB";
        QTest::newRow("1 MB and a byte with its length") << "v1.1/big.example" << 0 << "larger than 1024 KB";
    }

    void get()
    {
        QFETCH(QString, path);
        QFETCH(int, size);
        QFETCH(QString, error);
        HttpsFetcher f = fetcher();
        const DocumentFetcher::Reply r = f.get(QUrl(m_server.base() + path));
        QCOMPARE(r.body.size(), size);
        if (error.isEmpty())
            QVERIFY2(r.ok(), qPrintable(r.error));
        else
            QVERIFY2(r.error.contains(error), qPrintable(r.error));
    }

    void refusals()
    {
        // Without the test CA the certificate fails the checks.
        HttpsFetcher plain;
        plain.timeOutMs = 5000;
        DocumentFetcher::Reply r = plain.get(QUrl(m_server.base() + QStringLiteral("good.xml")));
        QVERIFY(!r.ok());
        QVERIFY(r.body.isEmpty());
        // No cleartext HTTP at all.
        HttpsFetcher f = fetcher();
        r = f.get(QUrl(QStringLiteral("http://127.0.0.1:%1/good.xml").arg(m_server.port())));
        QCOMPARE(r.error, QStringLiteral("not an https address"));
    }

    // The database answers; a hostile answer is passed over with a note.
    void searchThroughDatabase()
    {
        // The provider's own documents are asked for first; they lie at the address's
        // domain, which this test does not serve, so only the local server is asked.
        class OnlyLocal : public DocumentFetcher
        {
        public:
            explicit OnlyLocal(HttpsFetcher real) : m_real(std::move(real)) {}
            Reply get(const QUrl &url) override
            {
                if (url.host() != QLatin1String("127.0.0.1"))
                    return {QByteArray(), QStringLiteral("not asked in this test")};
                return m_real.get(url);
            }

        private:
            HttpsFetcher m_real;
        } local(fetcher());
        AccountDiscovery search(local, nullptr);
        search.databaseUrl = m_server.base() + QStringLiteral("v1.1");
        AccountDiscovery::Result r = search.discover(QStringLiteral("ann@example.org"));
        QVERIFY(r.server);
        QCOMPARE(r.server->host, std::string("smtp.example.org"));
        QCOMPARE(r.server->user, std::string("ann"));
        QVERIFY(r.source == AccountDiscovery::Source::Database);

        r = search.discover(QStringLiteral("ann@entities.example"));
        QVERIFY(!r.server);
        QVERIFY(r.notes.join(QLatin1Char('\n')).contains(QLatin1String("DTD")));
        r = search.discover(QStringLiteral("ann@big.example"));
        QVERIFY(!r.server);
        QVERIFY(r.notes.join(QLatin1Char('\n')).contains(QLatin1String("larger")));

        // Nothing but the path went to the server: no login, no cookie, no local part.
        for (const QString &request : m_server.requests()) {
            QVERIFY2(!request.contains(QLatin1Char(' ')), qPrintable(request));
            QVERIFY2(!request.contains(QLatin1String("ann")), qPrintable(request));
        }
    }
};

QTEST_GUILESS_MAIN(TestHttpsFetcher)
#include "tst_httpsfetcher.moc"
