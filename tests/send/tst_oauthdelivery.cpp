#include "config/ConfigFile.h"
#include "config/ConfigForm.h"
#include "config/ConfigState.h"
#include "config/MainWindowLayout.h"
#include "config/OAuthSettings.h"
#include "config/OAuthTokens.h"
#include "mail/TMailMessage.h"
#include "oauth/SignIn.h"
#include "os/MemoryKeyring.h"
#include "send/SmtpDelivery.h"
#include "smtp/TSMTP.h"
#include "tests/support/AiosmtpdServer.h"
#include "tests/support/OAuthTestServer.h"
#include "tests/support/TestCertificates.h"

#include <QFile>
#include <QProcess>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Sending with the configuration's OAuth2 login over the one delivery path: aiosmtpd with
// XOAUTH2 and OAUTHBEARER over TLS, and a local authorization server whose access tokens
// the SMTP server accepts.
class TestOAuthDelivery : public QObject
{
    Q_OBJECT

    TestCertificates m_certs;
    TestCertificates::Issued m_good;
    QTemporaryDir m_dir;
    QString m_tokens;
    OAuthTestServer m_auth;
    AiosmtpdServer m_smtp;
    MemoryKeyring m_keyring;
    std::unique_ptr<ConfigState> m_state;
    ConfigSettings m_settings;
    QStringList m_steps;

    QString refreshTokenKept() const
    {
        return QString::fromStdString(m_keyring.entries.value(OAuthSettings::keyOf(m_settings)));
    }

    void clearAccessTokens()
    {
        QFile file(m_tokens);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    }

    bool deliver(SmtpDelivery &delivery, TSMTP &smtp)
    {
        SmtpAccount account = SmtpAccount::fromSettings(m_settings);
        account.trustedCertificates = QSslCertificate::fromPath(m_certs.caFile());
        account.timeOut = 10;
        delivery.setAccount(account);
        m_steps.clear();
        delivery.accessStarting = [this](SmtpDelivery::Access access) {
            m_steps << (access == SmtpDelivery::Access::SigningIn ? QStringLiteral("signing in")
                                                                   : QStringLiteral("refreshing"));
        };
        TMailMessage message;
        message.SetFrom("Vera", "vera@mail.test");
        message.ToRecipients.SetAll("Bob", "bob@x.test");
        message.SetPlainText("sent with a token\r\n");
        message.Rebuild();
        const bool ok = delivery.deliver(message);
        if (ok)
            smtp.Quit();
        else
            smtp.Disconnect();
        return ok;
    }

    int refreshRequests() const
    {
        int count = 0;
        for (const QByteArray &line : m_auth.requests())
            count += line.contains("\"grant_type\": \"refresh_token\"");
        return count;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QSslSocket::supportsSsl(), "Qt has no TLS backend");
        QVERIFY2(m_certs.create(), qPrintable(m_certs.errorString()));
        m_good = m_certs.issue(QStringLiteral("good"), {QStringLiteral("DNS:localhost"), QStringLiteral("IP:127.0.0.1")});
        QVERIFY2(m_good.valid(), qPrintable(m_certs.errorString()));
        m_tokens = m_dir.filePath(QStringLiteral("access-tokens"));
        clearAccessTokens();
        m_auth.setBearerTokens(m_tokens);
        QVERIFY2(m_auth.start(), qPrintable(m_auth.errorString()));
        m_smtp.setTls(m_good.certificate, m_good.key);
        m_smtp.setBearerTokens(m_tokens);
        QVERIFY2(m_smtp.start(), qPrintable(m_smtp.errorString()));

        m_state = std::make_unique<ConfigState>(&m_keyring);
        OAuthTokens::shared().setFolder(m_dir.path());
        m_settings = ConfigSettings::firstRun();
        m_settings.ACC_SMTPHost = "localhost";
        m_settings.ACC_SMTPPort = m_smtp.port();
        m_settings.ACC_SMTPUser = "vera@mail.test";
        m_settings.ACC_SMTPAuth = "OAuth2";
        m_settings.ACC_OAuthProvider = "Custom";
        m_settings.ACC_OAuthAuthUrl = m_auth.authorizationUrl().toStdString();
        m_settings.ACC_OAuthTokenUrl = m_auth.tokenUrl().toStdString();
        m_settings.ACC_OAuthScope = "https://mail.test/ offline_access";
        m_settings.ACC_OAuthClientId = m_auth.clientId().toStdString();
        QVERIFY(!m_settings.smtpAccountBlank()); // no password needed

        SignIn signIn(OAuthSettings::clientOf(m_settings));
        signIn.openBrowser = [](const QUrl &url) {
            return QProcess::startDetached(QStringLiteral(VELLORN_PYTHON3),
                                           {QStringLiteral(VELLORN_SUPPORT_DIR "/stand_in_browser.py"),
                                            url.toString(QUrl::FullyEncoded)});
        };
        const SignIn::Result result = signIn.run();
        QVERIFY2(result.ok(), qPrintable(result.problem));
        QString problem;
        QVERIFY(OAuthTokens::shared().signedIn(m_settings, result.refreshToken, result.accessToken, result.expiresIn,
                                               problem));
        QCOMPARE(refreshTokenKept(), QString::fromStdString(result.refreshToken));
    }
    void cleanupTestCase() { m_state.reset(); }

    // The access token of the sign-in is sent as it is; then a refused one is replaced
    // once, and the rotated refresh token is kept at once; a revoked sign-in stops with
    // "sign in again" and nothing sent. In this order, as each leaves the tokens changed.
    void signedInThenRefreshedThenRevoked()
    {
        TSMTP smtp;
        SmtpDelivery delivery(smtp);
        QVERIFY2(deliver(delivery, smtp), smtp.LastReply().c_str());
        QCOMPARE(m_steps, QStringList{QStringLiteral("signing in")});
        QCOMPARE(refreshRequests(), 0);
        QCOMPARE(m_smtp.mails().size(), 1);
        QCOMPARE(m_smtp.mails().last().login, QByteArray("vera@mail.test"));

        // The server no longer takes the token in memory (as after it expired early).
        const QString before = refreshTokenKept();
        clearAccessTokens();
        QVERIFY2(deliver(delivery, smtp), smtp.LastReply().c_str());
        QCOMPARE(m_steps, QStringList({QStringLiteral("signing in"), QStringLiteral("refreshing")}));
        QCOMPARE(refreshRequests(), 1);
        QCOMPARE(m_smtp.mails().size(), 2);
        QVERIFY(!refreshTokenKept().isEmpty());
        QVERIFY(refreshTokenKept() != before);

        QVERIFY(m_auth.revoke());
        clearAccessTokens();
        QVERIFY(!deliver(delivery, smtp));
        QCOMPARE(delivery.failedStep(), std::optional(SmtpDelivery::Step::Login));
        QVERIFY(delivery.signInAgain());
        QVERIFY2(delivery.accessProblem().contains(QStringLiteral("sign in again")), qPrintable(delivery.accessProblem()));
        QCOMPARE(m_smtp.mails().size(), 2);
    }

    // Over a connection without TLS no token is got or sent.
    void noTokenWithoutTls()
    {
        AiosmtpdServer plain;
        plain.setBearerTokens(m_tokens);
        QVERIFY2(plain.start(), qPrintable(plain.errorString()));
        ConfigSettings saved = m_settings;
        m_settings.ACC_SMTPPort = plain.port();
        m_settings.ACC_SMTPSecurity = SmtpSecurity::None;
        const int refreshes = refreshRequests();
        TSMTP smtp;
        SmtpDelivery delivery(smtp);
        const bool sent = deliver(delivery, smtp);
        m_settings = saved;
        QVERIFY(!sent);
        QCOMPARE(delivery.failedStep(), std::optional(SmtpDelivery::Step::Login));
        QVERIFY2(smtp.LastReply().find("not encrypted") != std::string::npos, smtp.LastReply().c_str());
        QCOMPARE(refreshRequests(), refreshes);
        QVERIFY(plain.mails().isEmpty());
        for (const QByteArray &command : plain.commands())
            QVERIFY(!command.startsWith("AUTH"));
    }

    // The keys: absent from a first-run file (which stays as it was), read as Password when
    // absent, and no token in a saved Config.dat.
    void configKeys()
    {
        QVERIFY(!FirstRunConfigText().contains("ACC_SMTPAuth"));
        QVERIFY(!FirstRunConfigText().contains("OAuth"));
        const QString path = m_dir.filePath(QStringLiteral("Config.dat"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(FirstRunConfigText());
        file.close();
        ConfigSettings loaded;
        LoadConfig(loaded, path);
        QCOMPARE(loaded.ACC_SMTPAuth, std::string("Password"));
        QVERIFY(!loaded.smtpOAuth2());

        ConfigSettings settings = m_settings;
        SaveConfig(settings, ConfigForm::showing(settings), MainWindowLayout(), path);
        const QByteArray text = fileBytes(path);
        QVERIFY(text.contains("ACC_SMTPAuth=OAuth2"));
        QVERIFY(!text.contains("rt-"));
        QVERIFY(!text.contains("at-"));
        QVERIFY(!text.contains(refreshTokenKept().toLatin1()));
        LoadConfig(loaded, path);
        QVERIFY(loaded.smtpOAuth2());
        QCOMPARE(loaded.ACC_OAuthTokenUrl, m_settings.ACC_OAuthTokenUrl);
    }
};

QTEST_GUILESS_MAIN(TestOAuthDelivery)
#include "tst_oauthdelivery.moc"
