#pragma once

#include <QString>
#include <QUrl>

// An application registered with an OAuth2 provider, and where the provider signs in and
// hands out tokens.
struct OAuthClient
{
    QString authorizationUrl;
    QString tokenUrl;
    QString clientId;
    QString clientSecret; // optional; desktop registrations of some providers have one
    QString scope;        // blank-separated
    // Added to the authorization request ("access_type=offline&prompt=consent" asks Google
    // for a refresh token).
    QString extraAuthorizationQuery;

    // Why the endpoint cannot be used, empty when it can: it must be an HTTPS address, or
    // plain HTTP to this machine's loopback (127.0.0.1, ::1, localhost).
    static QString endpointProblem(const QString &url, const QString &what);
    // The first problem of the client (endpoints, a missing client ID), or empty.
    QString problem(bool needsAuthorization) const;
};
