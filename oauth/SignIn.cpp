#include "oauth/SignIn.h"

#include "oauth/Pkce.h"
#include "oauth/TokenClient.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

namespace {

SignIn *g_waiting = nullptr;

// A request line and its header fields are small; a larger request is no redirect.
constexpr qsizetype kLargestRequest = 16 * 1024;

void answer(QTcpSocket *socket, const char *status, const QString &text)
{
    const QByteArray body = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Vellorn Composer</title></head>"
                            "<body><p>" + text.toHtmlEscaped().toUtf8() + "</p></body></html>\n";
    socket->write(QByteArray("HTTP/1.1 ") + status + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
                  + QByteArray::number(body.size()) + "\r\nConnection: close\r\nCache-Control: no-store\r\n\r\n" + body);
    socket->disconnectFromHost();
}

} // namespace

SignIn::SignIn(OAuthClient client, QObject *parent)
    : QObject(parent)
    , m_client(std::move(client))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        finish(QStringLiteral("The sign-in was not finished in the browser within %1 minutes; it has been "
                              "given up. Sign in again when you are ready.")
                   .arg((timeOutSeconds + 59) / 60));
    });
}

SignIn::~SignIn()
{
    if (g_waiting == this)
        g_waiting = nullptr;
}

SignIn *SignIn::current()
{
    return g_waiting;
}

bool SignIn::start()
{
    m_result = Result();
    if (g_waiting) {
        m_result.problem = QStringLiteral("A sign-in is already waiting for the browser; finish or cancel it first.");
        return false;
    }
    if (const QString problem = m_client.problem(true); !problem.isEmpty()) {
        m_result.problem = problem;
        return false;
    }
    auto *server = new QTcpServer(this);
    if (!server->listen(QHostAddress::LocalHost, 0)) {
        m_result.problem = QStringLiteral("No port on 127.0.0.1 could be opened for the browser's answer: %1")
                               .arg(server->errorString());
        delete server;
        return false;
    }
    m_server = server;
    g_waiting = this;
    connect(m_server, &QTcpServer::newConnection, this, &SignIn::onConnection);

    m_verifier = Pkce::randomText();
    m_state = Pkce::randomText();
    m_redirectUri = QStringLiteral("http://127.0.0.1:%1/").arg(m_server->serverPort());
    m_url = QUrl(m_client.authorizationUrl.trimmed());
    QUrlQuery query(m_url);
    const auto add = [&query](const QString &name, const QString &value) {
        query.addQueryItem(name, QString::fromLatin1(QUrl::toPercentEncoding(value)));
    };
    add(QStringLiteral("response_type"), QStringLiteral("code"));
    add(QStringLiteral("client_id"), m_client.clientId.trimmed());
    add(QStringLiteral("redirect_uri"), m_redirectUri);
    add(QStringLiteral("scope"), m_client.scope.simplified());
    add(QStringLiteral("state"), QString::fromLatin1(m_state));
    add(QStringLiteral("code_challenge"), QString::fromLatin1(Pkce::challenge(m_verifier)));
    add(QStringLiteral("code_challenge_method"), QStringLiteral("S256"));
    for (const QString &pair : m_client.extraAuthorizationQuery.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (eq > 0)
            query.addQueryItem(pair.left(eq), pair.mid(eq + 1));
    }
    m_url.setQuery(query);

    m_timer.start(timeOutSeconds * 1000);
    if (!openBrowser || !openBrowser(m_url)) {
        finish(QStringLiteral("No web browser could be started for the sign-in. Open this address in a browser "
                              "on this computer: %1")
                   .arg(m_url.toString(QUrl::FullyEncoded)));
        return false;
    }
    return true;
}

void SignIn::cancel()
{
    if (waiting())
        finish(QStringLiteral("The sign-in was cancelled."));
}

SignIn::Result SignIn::run()
{
    if (!start())
        return m_result;
    QEventLoop loop;
    connect(this, &SignIn::finished, &loop, &QEventLoop::quit);
    if (waiting())
        loop.exec();
    return m_result;
}

void SignIn::onConnection()
{
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket *socket = m_server->nextPendingConnection();
        // Nobody's child: an answer still going out outlives the listener and the sign-in.
        // A browser that never closes the connection has it closed after a while.
        socket->setParent(nullptr);
        QTimer::singleShot(60 * 1000, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onRequest(socket); });
    }
}

// The browser's request after the provider's page: "GET /?code=...&state=..." (or
// "?error=..."). Requests that are not the answer to this sign-in (a favicon, a wrong
// state that another program may have sent) get an error page and leave it waiting.
void SignIn::onRequest(QTcpSocket *socket)
{
    if (socket->property("answered").toBool())
        return;
    QByteArray buffer = socket->property("request").toByteArray() + socket->readAll();
    if (buffer.size() > kLargestRequest) {
        socket->setProperty("answered", true);
        answer(socket, "431 Request Header Fields Too Large", QStringLiteral("The request is too large."));
        return;
    }
    socket->setProperty("request", buffer);
    const qsizetype lineEnd = buffer.indexOf("\r\n");
    if (lineEnd < 0 || buffer.indexOf("\r\n\r\n") < 0)
        return;
    socket->setProperty("answered", true);
    const QList<QByteArray> words = buffer.left(lineEnd).split(' ');
    if (words.size() != 3 || words[0] != "GET" || !words[1].startsWith('/')) {
        answer(socket, "400 Bad Request", QStringLiteral("This is no answer to a sign-in."));
        return;
    }
    const QUrlQuery query(QUrl::fromEncoded("http://127.0.0.1" + words[1]).query(QUrl::FullyEncoded));
    const QString state = query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded);
    if (state.isEmpty() || state.toLatin1() != m_state) {
        answer(socket, "400 Bad Request", QStringLiteral("This answer does not belong to the sign-in that is waiting."));
        return;
    }
    if (query.hasQueryItem(QStringLiteral("error"))) {
        const QString error = query.queryItemValue(QStringLiteral("error"), QUrl::FullyDecoded);
        const QString description = query.queryItemValue(QStringLiteral("error_description"), QUrl::FullyDecoded);
        answer(socket, "200 OK", QStringLiteral("The sign-in was not completed. You may close this page."));
        finish(error == QLatin1String("access_denied")
                   ? QStringLiteral("The sign-in was declined in the browser.")
                   : QStringLiteral("The provider ended the sign-in: %1%2")
                         .arg(error, description.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(description.left(300))));
        return;
    }
    const QString code = query.queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded);
    if (code.isEmpty()) {
        answer(socket, "400 Bad Request", QStringLiteral("The answer carries no code."));
        return;
    }
    // No second answer is taken while the code is exchanged.
    m_timer.stop();
    m_server->close();
    answer(socket, "200 OK",
           QStringLiteral("Vellorn Composer has the sign-in and is finishing it. You may close this page."));
    // Exchanged from the event loop, not inside the socket's signal: the wait for the
    // token endpoint may delete the socket.
    QMetaObject::invokeMethod(this, [this, code] { exchange(code); }, Qt::QueuedConnection);
}

void SignIn::exchange(const QString &code)
{
    const TokenClient::Answer tokens = TokenClient(m_client).exchangeCode(code, QString::fromLatin1(m_verifier), m_redirectUri);
    if (!tokens.ok()) {
        finish(tokens.problem);
        return;
    }
    if (tokens.refreshToken.empty()) {
        finish(QStringLiteral("The provider gave no refresh token, so the program could not send again later "
                              "without a new sign-in. Check the scope (Microsoft needs offline_access)."));
        return;
    }
    m_result.refreshToken = tokens.refreshToken;
    m_result.accessToken = tokens.accessToken;
    m_result.expiresIn = tokens.expiresIn;
    m_result.account = tokens.account;
    finish({});
}

void SignIn::finish(QString problem)
{
    m_timer.stop();
    if (m_server) {
        m_server->close();
        m_server->deleteLater();
        m_server = nullptr;
    }
    if (g_waiting == this)
        g_waiting = nullptr;
    m_result.problem = std::move(problem);
    if (!m_result.problem.isEmpty()) {
        m_result.refreshToken.clear();
        m_result.accessToken.clear();
    }
    emit finished();
}
