#include "config/OAuthSettings.h"

#include "config/MailProviders.h"
#include "text/StoredText.h"

namespace {

QString text(const std::string &value)
{
    return StoredText::toQString(value).trimmed();
}

QString view(std::string_view value)
{
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

} // namespace

namespace OAuthSettings {

QString builtInClientId(const QString &provider)
{
    if (provider == QLatin1String("Google"))
        return QStringLiteral(VELLORN_OAUTH_GOOGLE_CLIENT_ID);
    if (provider == QLatin1String("Microsoft"))
        return QStringLiteral(VELLORN_OAUTH_MICROSOFT_CLIENT_ID);
    return {};
}

QString builtInClientSecret(const QString &provider)
{
    if (provider == QLatin1String("Google"))
        return QStringLiteral(VELLORN_OAUTH_GOOGLE_CLIENT_SECRET);
    return {};
}

OAuthClient clientOf(const ConfigSettings &s)
{
    OAuthClient client;
    const QString provider = text(s.ACC_OAuthProvider);
    const MailProvider *preset =
        provider == QLatin1String("Custom") ? nullptr : MailProviders::byName(s.ACC_OAuthProvider);
    if (preset && preset->login == MailProvider::Login::OAuth2) {
        client.authorizationUrl = view(preset->authorizationUrl);
        client.tokenUrl = view(preset->tokenUrl);
        client.scope = view(preset->scope);
        client.extraAuthorizationQuery = view(preset->extraAuthorizationQuery);
    } else {
        client.authorizationUrl = text(s.ACC_OAuthAuthUrl);
        client.tokenUrl = text(s.ACC_OAuthTokenUrl);
        client.scope = text(s.ACC_OAuthScope);
    }
    client.clientId = text(s.ACC_OAuthClientId);
    client.clientSecret = text(s.ACC_OAuthClientSecret);
    if (preset && client.clientId.isEmpty()) {
        client.clientId = builtInClientId(provider);
        client.clientSecret = builtInClientSecret(provider);
    }
    return client;
}

QString keyOf(const ConfigSettings &s)
{
    return QStringLiteral("oauth:") + StoredText::toQString(s.ACC_SMTPUser) + QLatin1Char('@')
           + StoredText::toQString(s.ACC_SMTPHost);
}

} // namespace OAuthSettings
