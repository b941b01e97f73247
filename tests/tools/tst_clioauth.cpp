#include "tests/support/AiosmtpdServer.h"
#include "tests/support/OAuthTestServer.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool ownerOnly(const QString &path)
{
    namespace fs = std::filesystem;
    return fs::status(path.toStdString()).permissions() == (fs::perms::owner_read | fs::perms::owner_write);
}

} // namespace

// vellorn-cli oauth-login with a stand-in browser in $BROWSER, and vellorn-cli send
// --auth oauth2 with the refresh token it wrote, against a local authorization server and
// aiosmtpd over STARTTLS.
class TestCliOAuth : public QObject
{
    Q_OBJECT

    TestCertificates m_certs;
    QTemporaryDir m_dir;
    QString m_tokens;
    OAuthTestServer m_auth;
    AiosmtpdServer m_smtp;

    struct Run
    {
        int code = -1;
        QByteArray err;
    };

    Run cli(const QStringList &arguments)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BROWSER"), QStringLiteral(VELLORN_PYTHON3 " " VELLORN_SUPPORT_DIR "/stand_in_browser.py"));
        env.insert(QStringLiteral("VELLORN_TEST_BROWSER_LOG"), m_dir.filePath(QStringLiteral("browser.log")));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(VELLORN_BIN_DIR "/vellorn-cli"), arguments);
        Run run;
        if (!process.waitForFinished(60000))
            return run;
        run.code = process.exitCode();
        run.err = process.readAllStandardError();
        return run;
    }

    QStringList sendArguments(const QString &tokenFile)
    {
        const QString mail = m_dir.filePath(QStringLiteral("mail.eml"));
        TestFiles::write(mail, "From: <vera@mail.test>\nTo: <to@x.test>\nSubject: cli\n\nbody\n");
        return {QStringLiteral("send"), mail, QStringLiteral("--host"), QStringLiteral("localhost"),
                QStringLiteral("--port"), QString::number(m_smtp.port()), QStringLiteral("--user"),
                QStringLiteral("vera@mail.test"), QStringLiteral("--ca-file"), m_certs.caFile(),
                QStringLiteral("--auth"), QStringLiteral("oauth2"), QStringLiteral("--oauth-token-url"), m_auth.tokenUrl(),
                QStringLiteral("--oauth-client-id"), m_auth.clientId(), QStringLiteral("--oauth-refresh-token-file"),
                tokenFile};
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_certs.create(), qPrintable(m_certs.errorString()));
        const TestCertificates::Issued good =
            m_certs.issue(QStringLiteral("good"), {QStringLiteral("DNS:localhost"), QStringLiteral("IP:127.0.0.1")});
        QVERIFY2(good.valid(), qPrintable(m_certs.errorString()));
        m_tokens = m_dir.filePath(QStringLiteral("access-tokens"));
        TestFiles::write(m_tokens, "");
        m_auth.setBearerTokens(m_tokens);
        QVERIFY2(m_auth.start(), qPrintable(m_auth.errorString()));
        m_smtp.setTls(good.certificate, good.key);
        m_smtp.setBearerTokens(m_tokens);
        QVERIFY2(m_smtp.start(), qPrintable(m_smtp.errorString()));
    }

    // Sign in, send (the access token got from the refresh token, the rotated refresh
    // token written back), then a revoked sign-in: "sign in again" and nothing sent. No
    // token is ever on a command line: not ours, not the browser's.
    void signInSendRevoke()
    {
        const QString tokenFile = m_dir.filePath(QStringLiteral("refresh-token"));
        const Run login = cli({QStringLiteral("oauth-login"), QStringLiteral("--auth-url"), m_auth.authorizationUrl(),
                               QStringLiteral("--token-url"), m_auth.tokenUrl(), QStringLiteral("--client-id"),
                               m_auth.clientId(), QStringLiteral("--scope"), QStringLiteral("https://mail.test/"),
                               QStringLiteral("--refresh-token-file"), tokenFile, QStringLiteral("--timeout"),
                               QStringLiteral("30")});
        QVERIFY2(login.code == 0, login.err.constData());
        QVERIFY2(login.err.contains(m_auth.authorizationUrl().toLatin1() + "?"), login.err.constData());
        QVERIFY(login.err.contains("Signed in as vera@mail.test"));
        const QByteArray first = fileBytes(tokenFile).trimmed();
        QVERIFY(first.startsWith("rt-"));
        QVERIFY(ownerOnly(tokenFile));

        const Run send = cli(sendArguments(tokenFile));
        QVERIFY2(send.code == 0, send.err.constData());
        QVERIFY(send.err.contains("Signing in"));
        QCOMPARE(m_smtp.mails().size(), 1);
        QCOMPARE(m_smtp.mails().front().login, QByteArray("vera@mail.test"));
        const QByteArray rotated = fileBytes(tokenFile).trimmed();
        QVERIFY(rotated.startsWith("rt-"));
        QVERIFY(rotated != first);
        QVERIFY(ownerOnly(tokenFile));

        const QByteArray browserLog = fileBytes(m_dir.filePath(QStringLiteral("browser.log")));
        QVERIFY(!browserLog.isEmpty());
        QVERIFY(!browserLog.contains("rt-") && !browserLog.contains("at-"));
        QVERIFY(!browserLog.contains("code_verifier"));

        QVERIFY(m_auth.revoke());
        const Run refused = cli(sendArguments(tokenFile));
        QVERIFY(refused.code != 0);
        QVERIFY2(refused.err.contains("sign in again"), refused.err.constData());
        QCOMPARE(m_smtp.mails().size(), 1);
    }

    // Wrong uses are told before anything is sent or opened.
    void refusedOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("no token file") << QStringList{QStringLiteral("oauth-login"), QStringLiteral("--provider"),
                                                      QStringLiteral("google"), QStringLiteral("--client-id"),
                                                      QStringLiteral("x")}
                                       << QByteArray("usage");
        QTest::newRow("unknown provider") << QStringList{QStringLiteral("oauth-login"), QStringLiteral("--provider"),
                                                         QStringLiteral("yahoo"), QStringLiteral("--refresh-token-file"),
                                                         QStringLiteral("f")}
                                          << QByteArray("google or microsoft");
        QTest::newRow("plain http elsewhere")
            << QStringList{QStringLiteral("oauth-login"), QStringLiteral("--auth-url"),
                           QStringLiteral("http://login.example.test/a"), QStringLiteral("--token-url"),
                           QStringLiteral("https://login.example.test/t"), QStringLiteral("--client-id"),
                           QStringLiteral("x"), QStringLiteral("--scope"), QStringLiteral("s"),
                           QStringLiteral("--refresh-token-file"), QStringLiteral("f")}
            << QByteArray("https://");
        QTest::newRow("bad auth") << QStringList{QStringLiteral("send"), QStringLiteral("m.eml"), QStringLiteral("--host"),
                                                 QStringLiteral("h"), QStringLiteral("--auth"), QStringLiteral("token")}
                                  << QByteArray("password or oauth2");
        QTest::newRow("oauth2 without a token") << QStringList{QStringLiteral("send"), QStringLiteral("m.eml"),
                                                               QStringLiteral("--host"), QStringLiteral("h"),
                                                               QStringLiteral("--auth"), QStringLiteral("oauth2")}
                                                << QByteArray("--oauth-refresh-token-file");
    }
    void refusedOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, message);
        const Run run = cli(arguments);
        QVERIFY(run.code != 0);
        QVERIFY2(run.err.contains(message), run.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestCliOAuth)
#include "tst_clioauth.moc"
