#pragma once

#include "oauth/OAuthClient.h"

#include <QString>
#include <string>

// Asks a token endpoint (RFC 6749 4.1.3 and 6) for tokens, waiting for the answer with
// the event loop running: a code from the browser for the first tokens, a refresh token
// for a new access token.
class TokenClient
{
public:
    struct Answer
    {
        std::string accessToken;
        std::string refreshToken; // a new one when the provider rotates them, else empty
        int expiresIn = 0;        // seconds; 0 when not told
        QString account;          // who signed in, when the answer names it (an ID token)
        QString error;            // the endpoint's error code ("invalid_grant"), empty on success
        QString problem;          // what went wrong, in words; empty on success
        bool ok() const { return problem.isEmpty() && !accessToken.empty(); }
        // The refresh token is no longer good (revoked, expired): only a new sign-in helps.
        bool signInAgain() const { return error == QLatin1String("invalid_grant"); }
    };

    explicit TokenClient(OAuthClient client);

    // Seconds to wait for the endpoint.
    int timeOut = 60;

    Answer exchangeCode(const QString &code, const QString &verifier, const QString &redirectUri) const;
    Answer refresh(const std::string &refreshToken) const;

    // The answer read from the endpoint's reply (JSON), for a reply of that HTTP status.
    static Answer readAnswer(int httpStatus, const QByteArray &body);

private:
    Answer post(const QList<std::pair<QString, QString>> &fields) const;

    OAuthClient m_client;
};
