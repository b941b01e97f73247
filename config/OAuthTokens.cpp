#include "config/OAuthTokens.h"

#include "config/KeyringTokenStore.h"
#include "config/OAuthSettings.h"
#include "oauth/AccessTokens.h"

#include <QCryptographicHash>
#include <QDir>

OAuthTokens &OAuthTokens::shared()
{
    static OAuthTokens tokens;
    return tokens;
}

QString OAuthTokens::fallbackFile(const QString &key) const
{
    // One file per account, named without the account's address.
    const QByteArray digest = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    const QString folder = m_folder.isEmpty() ? QDir::currentPath() : m_folder;
    return QDir(folder).filePath(QStringLiteral("OAuthToken-%1.dat").arg(QString::fromLatin1(digest)));
}

std::shared_ptr<KeyringTokenStore> OAuthTokens::store(const ConfigSettings &settings) const
{
    const QString key = OAuthSettings::keyOf(settings);
    return std::make_shared<KeyringTokenStore>(m_keyring, key, fallbackFile(key));
}

std::string OAuthTokens::cacheKey(const ConfigSettings &settings) const
{
    const OAuthClient client = OAuthSettings::clientOf(settings);
    return (OAuthSettings::keyOf(settings) + QLatin1Char('\n') + client.tokenUrl + QLatin1Char('\n') + client.clientId)
        .toStdString();
}

std::shared_ptr<AccessTokens> OAuthTokens::tokens(const ConfigSettings &settings)
{
    std::shared_ptr<AccessTokens> &kept = m_tokens[cacheKey(settings)];
    if (!kept)
        kept = std::make_shared<AccessTokens>(OAuthSettings::clientOf(settings), store(settings));
    return kept;
}

bool OAuthTokens::signedIn(const ConfigSettings &settings, const std::string &refreshToken,
                           const std::string &accessToken, int expiresIn, QString &problem)
{
    const std::shared_ptr<KeyringTokenStore> kept = store(settings);
    if (!kept->write(refreshToken)) {
        problem = kept->problem();
        return false;
    }
    problem.clear();
    tokens(settings)->remember(accessToken, expiresIn);
    return true;
}

bool OAuthTokens::signOut(const ConfigSettings &settings, QString &problem)
{
    m_tokens.erase(cacheKey(settings));
    const std::shared_ptr<KeyringTokenStore> kept = store(settings);
    const bool ok = kept->remove();
    problem = kept->problem();
    return ok;
}

bool OAuthTokens::signedInNow(const ConfigSettings &settings) const
{
    return store(settings)->read().has_value();
}
