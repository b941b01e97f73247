#pragma once

#include "config/ConfigSettings.h"

#include <QString>
#include <map>
#include <memory>
#include <string>

class AccessTokens;
class KeyringTokenStore;
class PasswordKeyring;

// The OAuth2 tokens of the program's accounts for this run: each account's refresh token
// kept through the keyring (or a file beside Config.dat), and its access tokens in memory,
// shared by every send of the run. The configuration's loading tells it the keyring and
// the folder.
class OAuthTokens
{
public:
    static OAuthTokens &shared();

    void setKeyring(PasswordKeyring *keyring) { m_keyring = keyring; }
    // The folder of Config.dat, where a token goes that no keyring keeps.
    void setFolder(const QString &folder) { m_folder = folder; }

    std::shared_ptr<KeyringTokenStore> store(const ConfigSettings &settings) const;
    // The account's access tokens (kept for the run, per account and client).
    std::shared_ptr<AccessTokens> tokens(const ConfigSettings &settings);
    // After a sign-in: keeps the refresh token and the access token got with it. False
    // (problem set) when the refresh token could not be kept.
    bool signedIn(const ConfigSettings &settings, const std::string &refreshToken, const std::string &accessToken,
                  int expiresIn, QString &problem);
    // Removes the account's tokens wherever they are kept.
    bool signOut(const ConfigSettings &settings, QString &problem);
    // Whether a refresh token is kept for the account (without reading the keyring's
    // secret into the page).
    bool signedInNow(const ConfigSettings &settings) const;

private:
    QString fallbackFile(const QString &key) const;
    std::string cacheKey(const ConfigSettings &settings) const;

    PasswordKeyring *m_keyring = nullptr;
    QString m_folder;
    std::map<std::string, std::shared_ptr<AccessTokens>> m_tokens;
};
