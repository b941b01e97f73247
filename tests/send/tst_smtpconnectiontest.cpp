#include "send/SmtpConnectionTest.h"
#include "smtp/TSMTP.h"
#include "tests/support/AiosmtpdServer.h"
#include "tests/support/TestCertificates.h"

#include <QSslCertificate>
#include <QSslSocket>
#include <QTest>

// The account test against a real server: the steps and the server's words when all
// passes, and what to change for a wrong password, a missing STARTTLS, TLS where the
// server expects STARTTLS, and a self-signed certificate (through the trust question).
class TestSmtpConnectionTest : public QObject
{
    Q_OBJECT

    TestCertificates m_certs;
    QList<QSslCertificate> m_ca;
    AiosmtpdServer m_starttls; // STARTTLS before AUTH, a CA-signed certificate
    AiosmtpdServer m_cleartext; // no TLS at all
    AiosmtpdServer m_selfSigned; // TLS from the first byte, a self-signed certificate

    SmtpAccount account(quint16 port, SmtpSecurity security, const std::string &password = "secret") const
    {
        SmtpAccount a;
        a.host = "localhost";
        a.port = port;
        a.security = security;
        a.user = "user";
        a.password = password;
        a.timeOut = 5;
        a.trustedCertificates = m_ca;
        return a;
    }

    static QString names(const SmtpConnectionTest::Outcome &o)
    {
        QStringList list;
        for (const SmtpConnectionTest::Step &s : o.steps)
            list << (s.ok ? s.name : s.name + QStringLiteral("!"));
        return list.join(QLatin1Char(' '));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QSslSocket::supportsSsl(), "Qt has no TLS backend");
        QVERIFY2(m_certs.create(), qPrintable(m_certs.errorString()));
        const TestCertificates::Issued good =
            m_certs.issue(QStringLiteral("good"), {QStringLiteral("DNS:localhost"), QStringLiteral("IP:127.0.0.1")});
        const TestCertificates::Issued self = m_certs.issue(QStringLiteral("self"), {QStringLiteral("DNS:localhost")}, true);
        QVERIFY(good.valid() && self.valid());
        m_ca = QSslCertificate::fromPath(m_certs.caFile());
        for (AiosmtpdServer *s : {&m_starttls, &m_cleartext, &m_selfSigned})
            s->setLogin("user", "secret");
        m_starttls.setTls(good.certificate, good.key);
        m_selfSigned.setTls(self.certificate, self.key, true);
        for (AiosmtpdServer *s : {&m_starttls, &m_cleartext, &m_selfSigned})
            QVERIFY2(s->start(), qPrintable(s->errorString()));
    }

    void outcomes_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<int>("security");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("advice"); // a part of it

        const int automatic = int(SmtpSecurity::Automatic), starttls = int(SmtpSecurity::StartTls),
                  tls = int(SmtpSecurity::Tls);
        QTest::newRow("all passes") << "starttls" << starttls << "secret" << "Connect EHLO TLS AUTH QUIT" << "";
        QTest::newRow("wrong password") << "starttls" << automatic << "wrong" << "Connect EHLO TLS AUTH!"
                                        << "the server does not accept this password";
        QTest::newRow("STARTTLS missing") << "cleartext" << starttls << "secret" << "TLS!"
                                          << "does not offer STARTTLS on port";
        QTest::newRow("TLS on a STARTTLS port") << "starttls" << tls << "secret" << "TLS!" << "needs STARTTLS";
        QTest::newRow("cleartext passes with a warning") << "cleartext" << automatic << "secret"
                                                         << "Connect EHLO TLS AUTH QUIT" << "not encrypted";
        QTest::newRow("self-signed, not trusted") << "self" << tls << "secret" << "TLS!" << "self-signed";
    }

    void outcomes()
    {
        QFETCH(QString, server);
        QFETCH(int, security);
        QFETCH(QString, password);
        QFETCH(QString, steps);
        QFETCH(QString, advice);

        AiosmtpdServer &peer = server == QLatin1String("starttls") ? m_starttls
                               : server == QLatin1String("cleartext") ? m_cleartext
                                                                      : m_selfSigned;
        peer.clearMails();
        TSMTP session;
        SmtpConnectionTest test;
        int asked = 0;
        test.trustCertificate = [&](const CertificateFacts &) { return ++asked, false; };
        const SmtpConnectionTest::Outcome o =
            test.run(session, account(peer.port(), SmtpSecurity(security), password.toStdString()));
        QCOMPARE(names(o), steps);
        QCOMPARE(o.passed, !steps.contains(QLatin1Char('!')));
        if (advice.isEmpty())
            QVERIFY2(o.advice.isEmpty(), qPrintable(o.advice));
        else
            QVERIFY2(o.advice.contains(advice), qPrintable(o.advice));
        QCOMPARE(asked, server == QLatin1String("self") ? 1 : 0);
        // Nothing is ever sent.
        QVERIFY(peer.mails().isEmpty());
        // Every step carries words.
        for (const SmtpConnectionTest::Step &s : o.steps)
            QVERIFY2(!s.words.isEmpty(), qPrintable(s.name));
    }

    void serverWords()
    {
        TSMTP session;
        const SmtpConnectionTest::Outcome o = SmtpConnectionTest().run(session, account(m_starttls.port(), SmtpSecurity::StartTls));
        QVERIFY(o.passed);
        QVERIFY2(o.steps[1].words.startsWith(QLatin1String("250")), qPrintable(o.steps[1].words));
        QCOMPARE(o.steps[2].words, QStringLiteral("encrypted after STARTTLS"));
        QVERIFY2(o.steps[3].words.startsWith(QLatin1String("235")), qPrintable(o.steps[3].words));
        QVERIFY(!session.Connected());
    }

    // Trusted through the question, the self-signed server passes.
    void selfSignedTrusted()
    {
        TSMTP session;
        SmtpConnectionTest test;
        test.trustCertificate = [](const CertificateFacts &facts) { return facts.reasons.contains(QStringLiteral("self-signed")); };
        const SmtpConnectionTest::Outcome o = test.run(session, account(m_selfSigned.port(), SmtpSecurity::Tls));
        QVERIFY2(o.passed, qPrintable(o.advice));
        QCOMPARE(o.steps[2].words, QStringLiteral("encrypted from the first byte"));
    }
};

QTEST_GUILESS_MAIN(TestSmtpConnectionTest)
#include "tst_smtpconnectiontest.moc"
