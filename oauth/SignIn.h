#pragma once

#include "oauth/OAuthClient.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <string>

class QTcpServer;
class QTcpSocket;

// Signing in with the person's browser by the authorization code flow (RFC 6749 4.1) as a
// native application does (RFC 8252): PKCE with S256 (RFC 7636), the redirect to a
// loopback address on a port chosen at random, and the state checked. The browser shows
// the provider's page; the provider sends it back to this program's loopback listener
// with a code, which is exchanged for the tokens at the token endpoint.
//
// One sign-in waits at a time in the process; a second is refused while one waits. A
// sign-in the person abandons ends after timeOutSeconds.
class SignIn : public QObject
{
    Q_OBJECT

public:
    struct Result
    {
        std::string refreshToken;
        std::string accessToken;
        int expiresIn = 0;
        QString account;  // who signed in, when the provider says
        QString problem;  // why the sign-in failed; empty on success
        bool ok() const { return problem.isEmpty() && !refreshToken.empty(); }
    };

    explicit SignIn(OAuthClient client, QObject *parent = nullptr);
    ~SignIn() override;

    // Opens the provider's page; false when no browser could be started.
    std::function<bool(const QUrl &url)> openBrowser;
    int timeOutSeconds = 300;

    // Listens on the loopback and opens the browser; false when the sign-in could not
    // start (result() says why): a bad client, another sign-in waiting, no port.
    bool start();
    // Ends a waiting sign-in as failed.
    void cancel();
    bool waiting() const { return m_server != nullptr; }
    // The page the browser was sent to (known once started).
    const QUrl &authorizationUrl() const { return m_url; }
    const Result &result() const { return m_result; }

    // start() and wait until the sign-in ends, with the event loop running.
    Result run();

    // The one sign-in waiting in this process, or nullptr.
    static SignIn *current();

signals:
    void finished();

private:
    void onConnection();
    void onRequest(QTcpSocket *socket);
    void exchange(const QString &code);
    void finish(QString problem);

    OAuthClient m_client;
    QTcpServer *m_server = nullptr;
    QTimer m_timer;
    QUrl m_url;
    QString m_redirectUri;
    QByteArray m_verifier;
    QByteArray m_state;
    Result m_result;
};
