#include "oauth/AccessTokens.h"
#include "oauth/FileTokenStore.h"
#include "oauth/OAuthClient.h"
#include "oauth/Pkce.h"
#include "oauth/SignIn.h"
#include "oauth/TokenClient.h"
#include "tests/support/OAuthTestServer.h"

#include <QFile>
#include <filesystem>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>
#include <QUrlQuery>

namespace {

// The stand-in browser: fetches the page and follows the redirect to the loopback.
bool standInBrowser(const QUrl &url)
{
    return QProcess::startDetached(QStringLiteral(VELLORN_PYTHON3),
                                   {QStringLiteral(VELLORN_SUPPORT_DIR "/stand_in_browser.py"),
                                    url.toString(QUrl::FullyEncoded)});
}

// Mode 0600.
bool ownerOnly(const QString &path)
{
    namespace fs = std::filesystem;
    return fs::status(path.toStdString()).permissions() == (fs::perms::owner_read | fs::perms::owner_write);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Sign-in, tokens and their keeping against a local authorization server (plain HTTP on
// the loopback, as only the loopback may be).
class TestOAuth : public QObject
{
    Q_OBJECT

    OAuthTestServer m_server;
    QTemporaryDir m_dir;

    OAuthClient client() const
    {
        OAuthClient c;
        c.authorizationUrl = m_server.authorizationUrl();
        c.tokenUrl = m_server.tokenUrl();
        c.clientId = m_server.clientId();
        c.scope = QStringLiteral("https://mail.test/ offline_access");
        return c;
    }

    SignIn::Result signIn()
    {
        SignIn signIn(client());
        signIn.openBrowser = standInBrowser;
        signIn.timeOutSeconds = 20;
        return signIn.run();
    }

private slots:
    void initTestCase() { QVERIFY2(m_server.start(), qPrintable(m_server.errorString())); }

    // RFC 7636 appendix B.
    void pkceChallenge()
    {
        QCOMPARE(Pkce::challenge("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"),
                 QByteArray("E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"));
        const QByteArray a = Pkce::randomText();
        QCOMPARE(a.size(), 43);
        QVERIFY(a != Pkce::randomText());
    }

    void endpoints_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("usable");
        QTest::newRow("https") << QStringLiteral("https://login.example.test/token") << true;
        QTest::newRow("http to 127.0.0.1") << QStringLiteral("http://127.0.0.1:8080/token") << true;
        QTest::newRow("http to ::1") << QStringLiteral("http://[::1]:8080/token") << true;
        QTest::newRow("http to localhost") << QStringLiteral("http://localhost/token") << true;
        QTest::newRow("http elsewhere") << QStringLiteral("http://login.example.test/token") << false;
        QTest::newRow("http to a name starting 127") << QStringLiteral("http://127.0.0.1.evil.test/token") << false;
        QTest::newRow("http to another address") << QStringLiteral("http://192.0.2.1/token") << false;
        QTest::newRow("other scheme") << QStringLiteral("ftp://127.0.0.1/token") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("no address") << QStringLiteral("token") << false;
    }
    void endpoints()
    {
        QFETCH(QString, url);
        QFETCH(bool, usable);
        QCOMPARE(OAuthClient::endpointProblem(url, QStringLiteral("token")).isEmpty(), usable);
    }

    void tokenAnswers_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("signInAgain");
        QTest::newRow("tokens") << 200 << QByteArray(R"({"access_token":"a","token_type":"Bearer","refresh_token":"r"})") << true << false;
        QTest::newRow("revoked") << 400 << QByteArray(R"({"error":"invalid_grant","error_description":"revoked"})") << false << true;
        QTest::newRow("bad client") << 401 << QByteArray(R"({"error":"invalid_client"})") << false << false;
        QTest::newRow("server error page") << 500 << QByteArray("<html>oops</html>") << false << false;
        QTest::newRow("no access token") << 200 << QByteArray(R"({"token_type":"Bearer"})") << false << false;
        QTest::newRow("other token type") << 200 << QByteArray(R"({"access_token":"a","token_type":"MAC"})") << false << false;
        QTest::newRow("status without error") << 403 << QByteArray(R"({"access_token":"a"})") << false << false;
    }
    void tokenAnswers()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, ok);
        QFETCH(bool, signInAgain);
        const TokenClient::Answer answer = TokenClient::readAnswer(status, body);
        QCOMPARE(answer.ok(), ok);
        QCOMPARE(answer.signInAgain(), signInAgain);
        QCOMPARE(answer.problem.isEmpty(), ok);
    }

    // The whole flow with the stand-in browser: the server checks PKCE and the redirect.
    void signInWithBrowser()
    {
        const SignIn::Result result = signIn();
        QVERIFY2(result.ok(), qPrintable(result.problem));
        QVERIFY(result.refreshToken.starts_with("rt-"));
        QVERIFY(result.accessToken.starts_with("at-"));
        QCOMPARE(result.account, QStringLiteral("vera@mail.test"));
        const QList<QByteArray> requests = m_server.requests();
        QVERIFY(requests.size() >= 2);
        QVERIFY(requests.at(requests.size() - 2).contains("\"code_challenge_method\": \"S256\""));
        QVERIFY(requests.last().contains("\"code_verifier\""));
        QVERIFY(requests.last().contains("\"redirect_uri\": \"http://127.0.0.1:"));
    }

    // A second sign-in waits for none; an answer with another state is turned away and
    // the sign-in keeps waiting; an abandoned sign-in ends after its time.
    void oneAtATimeStateAndTimeOut()
    {
        SignIn first(client());
        QUrl opened;
        first.openBrowser = [&](const QUrl &url) {
            opened = url;
            return true;
        };
        first.timeOutSeconds = 2;
        QVERIFY(first.start());
        QVERIFY(first.waiting());
        QCOMPARE(SignIn::current(), &first);

        SignIn second(client());
        second.openBrowser = standInBrowser;
        QVERIFY(!second.start());
        QVERIFY(second.result().problem.contains(QStringLiteral("already waiting")));

        const QString redirect = QUrlQuery(opened).queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded);
        const QUrl loopback(redirect);
        QCOMPARE(loopback.host(), QStringLiteral("127.0.0.1"));
        QTcpSocket forged;
        forged.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(loopback.port()));
        QVERIFY(forged.waitForConnected(5000));
        forged.write("GET /?code=stolen&state=wrong HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        QTRY_VERIFY(forged.bytesAvailable() > 0 || forged.state() != QAbstractSocket::ConnectedState);
        QVERIFY(forged.readAll().startsWith("HTTP/1.1 400"));
        QVERIFY(first.waiting());

        QSignalSpy finished(&first, &SignIn::finished);
        QVERIFY(finished.wait(5000));
        QVERIFY(!first.result().ok());
        QVERIFY2(first.result().problem.contains(QStringLiteral("given up")), qPrintable(first.result().problem));
        QCOMPARE(SignIn::current(), nullptr);
    }

    // A declined sign-in ends at once with its reason; a client without an ID never starts.
    void refusedSignIns()
    {
        OAuthClient noId = client();
        noId.clientId.clear();
        SignIn withoutId(noId);
        withoutId.openBrowser = standInBrowser;
        QVERIFY(!withoutId.start());
        QVERIFY(withoutId.result().problem.contains(QStringLiteral("client ID")));

        OAuthClient remote = client();
        remote.authorizationUrl = QStringLiteral("http://login.example.test/authorize");
        SignIn plainHttp(remote);
        plainHttp.openBrowser = standInBrowser;
        QVERIFY(!plainHttp.start());
        QVERIFY(plainHttp.result().problem.contains(QStringLiteral("https://")));

        SignIn declined(client());
        declined.openBrowser = [&declined](const QUrl &url) {
            const QUrlQuery query(url);
            const QString back = query.queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded)
                                 + QStringLiteral("?error=access_denied&state=")
                                 + query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded);
            return QProcess::startDetached(QStringLiteral(VELLORN_PYTHON3),
                                           {QStringLiteral(VELLORN_SUPPORT_DIR "/stand_in_browser.py"), back});
        };
        const SignIn::Result result = declined.run();
        QVERIFY(!result.ok());
        QVERIFY2(result.problem.contains(QStringLiteral("declined")), qPrintable(result.problem));
    }

    // Access tokens from the kept refresh token: a rotated one replaces it at once (in a
    // file of mode 0600); a revoked one asks for a new sign-in.
    void refreshRotateRevoke()
    {
        const SignIn::Result result = signIn();
        QVERIFY2(result.ok(), qPrintable(result.problem));
        const QString path = m_dir.filePath(QStringLiteral("refresh-token"));
        auto store = std::make_shared<FileTokenStore>(path);
        QVERIFY(store->write(result.refreshToken));
        QCOMPARE(ownerOnly(path), true);

        AccessTokens tokens(client(), store);
        const AccessToken first = tokens.get(false);
        QVERIFY2(first.ok(), qPrintable(first.problem));
        const QByteArray rotated = fileBytes(path).trimmed();
        QVERIFY(rotated != QByteArray::fromStdString(result.refreshToken));
        QVERIFY(rotated.startsWith("rt-"));
        QCOMPARE(ownerOnly(path), true);
        QCOMPARE(tokens.get(false).token, first.token); // kept in memory while it lasts
        const AccessToken second = tokens.get(true);
        QVERIFY2(second.ok(), qPrintable(second.problem));
        QVERIFY(second.token != first.token);

        QVERIFY(m_server.revoke());
        const AccessToken none = tokens.get(true);
        QVERIFY(!none.ok());
        QVERIFY(none.signInAgain);
        QVERIFY2(none.problem.contains(QStringLiteral("sign in again")), qPrintable(none.problem));

        FileTokenStore missing(m_dir.filePath(QStringLiteral("none")));
        QVERIFY(!missing.read());
        QVERIFY(missing.problem().contains(QStringLiteral("sign in")));
    }
};

QTEST_GUILESS_MAIN(TestOAuth)
#include "tst_oauth.moc"
