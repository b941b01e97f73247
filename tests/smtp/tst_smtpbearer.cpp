#include "mail/TMailMessage.h"
#include "smtp/TSMTP.h"
#include "tests/support/AiosmtpdServer.h"
#include "tests/support/TestCertificates.h"

#include <QFile>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>

// Logins with an OAuth2 access token (OAUTHBEARER, XOAUTH2) against aiosmtpd over TLS
// with certificates of a CA made for the test.
class TestSmtpBearer : public QObject
{
    Q_OBJECT

    TestCertificates m_certs;
    TestCertificates::Issued m_good;
    QList<QSslCertificate> m_ca;
    QTemporaryDir m_dir;
    QString m_tokens;

    void prepare(TSMTP &smtp, const AiosmtpdServer &server)
    {
        smtp.Host = "localhost";
        smtp.Port = server.port();
        smtp.SetTimeOut(10);
        smtp.TrustedCertificates = m_ca;
        smtp.BearerLogin = true;
    }

    static QList<QByteArray> auths(const AiosmtpdServer &server)
    {
        QList<QByteArray> found;
        for (const QByteArray &command : server.commands())
            if (command.startsWith("AUTH"))
                found << command;
        return found;
    }

    static bool sendOne(TSMTP &smtp)
    {
        TMailMessage message;
        message.SetFrom("Vera", "vera@vellorn.test");
        message.ToRecipients.SetAll("Bob", "bob@x.test");
        message.SetPlainText("with a token\r\n");
        message.Rebuild();
        smtp.MailMessage = &message;
        return smtp.SendMail();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QSslSocket::supportsSsl(), "Qt has no TLS backend");
        QVERIFY2(m_certs.create(), qPrintable(m_certs.errorString()));
        m_good = m_certs.issue(QStringLiteral("good"), {QStringLiteral("DNS:localhost"), QStringLiteral("IP:127.0.0.1")});
        QVERIFY2(m_good.valid(), qPrintable(m_certs.errorString()));
        m_ca = QSslCertificate::fromPath(m_certs.caFile());
        m_tokens = m_dir.filePath(QStringLiteral("tokens"));
        QFile file(m_tokens);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("good-token-1\n");
    }

    // OAUTHBEARER when offered, else XOAUTH2; over STARTTLS and TLS from the first byte.
    // A refused token gets the error exchange and leaves the session able to try again.
    void mechanisms_data()
    {
        QTest::addColumn<bool>("implicitTls");
        QTest::addColumn<QString>("excluded");
        QTest::addColumn<QByteArray>("mechanism");
        QTest::newRow("STARTTLS, both offered") << false << QString() << QByteArray("OAUTHBEARER");
        QTest::newRow("STARTTLS, XOAUTH2 only") << false << QStringLiteral("OAUTHBEARER") << QByteArray("XOAUTH2");
        QTest::newRow("implicit TLS, both offered") << true << QString() << QByteArray("OAUTHBEARER");
        QTest::newRow("implicit TLS, XOAUTH2 only") << true << QStringLiteral("OAUTHBEARER") << QByteArray("XOAUTH2");
    }
    void mechanisms()
    {
        QFETCH(bool, implicitTls);
        QFETCH(QString, excluded);
        QFETCH(QByteArray, mechanism);
        AiosmtpdServer server;
        server.setTls(m_good.certificate, m_good.key, implicitTls);
        server.setBearerTokens(m_tokens);
        if (!excluded.isEmpty())
            server.excludeAuth(excluded);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        TSMTP smtp;
        prepare(smtp, server);
        if (implicitTls)
            smtp.ImplicitTlsPort = server.port();
        QVERIFY2(smtp.Connect(), smtp.LastReply().c_str());
        QVERIFY(smtp.Encrypted());
        QVERIFY(smtp.LoginReady());
        QCOMPARE(QByteArray::fromStdString(smtp.AuthMechanism()), mechanism);

        QVERIFY(!smtp.LoginBearer("vera@vellorn.test", "stale-token"));
        QVERIFY(smtp.TokenRefused());
        QVERIFY2(smtp.LastReply().starts_with("535"), smtp.LastReply().c_str());
        QVERIFY2(smtp.LastReply().find("\"status\":\"401\"") != std::string::npos, smtp.LastReply().c_str());

        QVERIFY2(smtp.LoginBearer("vera@vellorn.test", "good-token-1"), smtp.LastReply().c_str());
        QVERIFY(!smtp.TokenRefused());
        QVERIFY2(sendOne(smtp), smtp.LastReply().c_str());
        QVERIFY(smtp.Quit());
        QCOMPARE(server.mails().size(), 1);
        QCOMPARE(server.mails().front().login, QByteArray("vera@vellorn.test"));
        // No LOGIN probed: only the bearer mechanism, twice.
        QCOMPARE(auths(server), QList<QByteArray>({"AUTH " + mechanism, "AUTH " + mechanism}));
    }

    // A server that offers bearer logins in cleartext never gets the token, whatever the
    // security setting; a server without a bearer mechanism is told apart.
    void noTokenWithoutTls_data()
    {
        QTest::addColumn<int>("security");
        QTest::newRow("None") << int(SmtpSecurity::None);
        QTest::newRow("Automatic") << int(SmtpSecurity::Automatic);
    }
    void noTokenWithoutTls()
    {
        QFETCH(int, security);
        AiosmtpdServer server;
        server.setBearerTokens(m_tokens);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        TSMTP smtp;
        prepare(smtp, server);
        smtp.Security = static_cast<SmtpSecurity>(security);
        QVERIFY2(smtp.Connect(), smtp.LastReply().c_str());
        QVERIFY(!smtp.Encrypted());
        QVERIFY(!smtp.LoginBearer("vera@vellorn.test", "good-token-1"));
        QVERIFY(!smtp.TokenRefused());
        QVERIFY2(smtp.LastReply().find("not encrypted") != std::string::npos, smtp.LastReply().c_str());
        QVERIFY(auths(server).isEmpty());
    }
    void noBearerMechanism()
    {
        AiosmtpdServer server;
        server.setLogin("user", "secret");
        server.setTls(m_good.certificate, m_good.key);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        TSMTP smtp;
        prepare(smtp, server);
        QVERIFY2(smtp.Connect(), smtp.LastReply().c_str());
        QVERIFY(!smtp.LoginReady());
        QVERIFY(!smtp.LoginBearer("user", "good-token-1"));
        QVERIFY2(smtp.LastReply().find("OAUTHBEARER or XOAUTH2") != std::string::npos, smtp.LastReply().c_str());
        QVERIFY(auths(server).isEmpty());
    }

    // The client responses byte for byte (RFC 7628 3.1; the XOAUTH2 form).
    void responses_data()
    {
        QTest::addColumn<bool>("oauthBearer");
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("OAUTHBEARER") << true << QByteArray("a,b=c@x.test")
                                     << QByteArray("n,a=a=2Cb=3Dc@x.test,\x01host=smtp.x.test\x01port=587\x01"
                                                   "auth=Bearer T0k\x01\x01");
        QTest::newRow("XOAUTH2") << false << QByteArray("a,b@x.test")
                                 << QByteArray("user=a,b@x.test\x01" "auth=Bearer T0k\x01\x01");
    }
    void responses()
    {
        QFETCH(bool, oauthBearer);
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, expected);
        QCOMPARE(QByteArray::fromStdString(TSMTP::BearerResponse(oauthBearer, user.toStdString(), "smtp.x.test", 587, "T0k")),
                 expected);
    }
};

QTEST_GUILESS_MAIN(TestSmtpBearer)
#include "tst_smtpbearer.moc"
