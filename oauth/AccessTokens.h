#pragma once

#include "oauth/OAuthClient.h"

#include <QDateTime>
#include <memory>
#include <string>

class RefreshTokenStore;

// An access token and why there is none.
struct AccessToken
{
    std::string token;
    QString problem;          // why there is no token (or, beside one, a new refresh token not kept)
    bool signInAgain = false; // the refresh token is no longer good: only a new sign-in helps
    bool ok() const { return !token.empty(); }
};

// Access tokens of one signed-in account: got from the token endpoint with the kept
// refresh token, held in memory only, until they are about to expire or a server refused
// one. A refresh token the provider rotates replaces the kept one at once.
class AccessTokens
{
public:
    AccessTokens(OAuthClient client, std::shared_ptr<RefreshTokenStore> store);

    // The token in memory while it lasts, else a new one; `fresh` always asks for a new
    // one (the server refused the last).
    AccessToken get(bool fresh);
    // Starts with a token just got by a sign-in.
    void remember(const std::string &accessToken, int expiresIn);

    // Seconds to wait for the token endpoint.
    int timeOut = 60;

private:
    OAuthClient m_client;
    std::shared_ptr<RefreshTokenStore> m_store;
    std::string m_token;
    QDateTime m_expires;
};
