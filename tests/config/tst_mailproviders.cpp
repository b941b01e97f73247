#include "config/MailProviders.h"

#include <QTest>

// The one table of known providers: finding a provider by address domain, MX host and name.
class TestMailProviders : public QObject
{
    Q_OBJECT

private slots:
    void lookups_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("provider"); // empty: none

        QTest::newRow("domain") << "domain" << "gmail.com" << "Google";
        QTest::newRow("domain, final dot") << "domain" << "hotmail.com." << "Microsoft";
        QTest::newRow("domain, unknown") << "domain" << "example.org" << "";
        QTest::newRow("domain, only a part") << "domain" << "mail.com" << "";
        QTest::newRow("mx") << "mx" << "gmail-smtp-in.l.google.com" << "Google";
        QTest::newRow("mx, final dot") << "mx" << "example-org.mail.protection.outlook.com." << "Microsoft";
        QTest::newRow("mx, suffix alone") << "mx" << "google.com" << "Google";
        QTest::newRow("mx, no dot boundary") << "mx" << "notgoogle.com" << "";
        QTest::newRow("mx, empty") << "mx" << "" << "";
        QTest::newRow("name") << "name" << "Microsoft" << "Microsoft";
        QTest::newRow("name, unknown") << "name" << "Custom" << "";
        QTest::newRow("oauth smtp host") << "smtp" << "smtp.office365.com" << "Microsoft";
        QTest::newRow("oauth smtp host, final dot") << "smtp" << "smtp.gmail.com." << "Google";
        QTest::newRow("oauth smtp host, unknown") << "smtp" << "smtp.example.org" << "";
        QTest::newRow("oauth smtp host, empty") << "smtp" << "" << "";
    }

    void lookups()
    {
        QFETCH(QString, how);
        QFETCH(QString, key);
        QFETCH(QString, provider);
        const std::string k = key.toStdString();
        const MailProvider *p = how == "domain" ? MailProviders::byDomain(k)
                                : how == "mx"   ? MailProviders::byMxHost(k)
                                : how == "smtp" ? MailProviders::oauthBySmtpHost(k)
                                                : MailProviders::byName(k);
        QCOMPARE(p ? QString::fromUtf8(p->name.data(), qsizetype(p->name.size())) : QString(), provider);
    }

    // Presets that sign in through the browser need both endpoints over HTTPS.
    void oauthRowsComplete()
    {
        for (const MailProvider &p : MailProviders::all()) {
            QVERIFY(!p.smtpHost.empty());
            if (p.login != MailProvider::Login::OAuth2)
                continue;
            QVERIFY(p.authorizationUrl.starts_with("https://"));
            QVERIFY(p.tokenUrl.starts_with("https://"));
            QVERIFY(!p.scope.empty());
        }
    }
};

QTEST_GUILESS_MAIN(TestMailProviders)
#include "tst_mailproviders.moc"
