#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A local OAuth2 authorization server for the tests (tests/support/oauth_server.py, plain
// HTTP on 127.0.0.1): approves every sign-in at once, checks PKCE at its token endpoint,
// rotates refresh tokens, and lists the access tokens it issues in a file that the SMTP
// sink (AiosmtpdServer::setBearerTokens) accepts.
class OAuthTestServer
{
public:
    OAuthTestServer();
    ~OAuthTestServer();

    // Before start(): the access tokens file shared with the SMTP sink; no rotation.
    void setBearerTokens(const QString &file) { m_tokens = file; }
    void setRotate(bool rotate) { m_rotate = rotate; }

    bool start(int timeoutMs = 20000);
    QString errorString() const { return m_error; }

    QString authorizationUrl() const;
    QString tokenUrl() const;
    QString clientId() const { return QStringLiteral("test-client"); }
    // Voids every refresh token.
    bool revoke();
    // The requests so far: each the path and its form fields as one JSON line.
    QList<QByteArray> requests() const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
    QString m_tokens;
    bool m_rotate = true;
    quint16 m_port = 0;
    QString m_error;
};
