#include "oauth/OAuthClient.h"

#include <QHostAddress>

QString OAuthClient::endpointProblem(const QString &url, const QString &what)
{
    if (url.trimmed().isEmpty())
        return QStringLiteral("The %1 address is missing.").arg(what);
    const QUrl parsed(url.trimmed(), QUrl::StrictMode);
    if (!parsed.isValid() || parsed.host().isEmpty())
        return QStringLiteral("The %1 address \"%2\" is no web address.").arg(what, url);
    const QString scheme = parsed.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return {};
    if (scheme == QLatin1String("http")) {
        const QString host = parsed.host().toLower();
        const QHostAddress address(host);
        if (host == QLatin1String("localhost") || (!address.isNull() && address.isLoopback()))
            return {};
    }
    return QStringLiteral("The %1 address must begin with https:// (plain http only to this machine's "
                          "loopback): %2")
        .arg(what, url);
}

QString OAuthClient::problem(bool needsAuthorization) const
{
    if (needsAuthorization)
        if (QString p = endpointProblem(authorizationUrl, QStringLiteral("authorization")); !p.isEmpty())
            return p;
    if (QString p = endpointProblem(tokenUrl, QStringLiteral("token")); !p.isEmpty())
        return p;
    if (clientId.trimmed().isEmpty())
        return QStringLiteral("No client ID is set: the provider needs the ID of the application registered with "
                              "it (see Help).");
    return {};
}
