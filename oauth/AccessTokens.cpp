#include "oauth/AccessTokens.h"

#include "oauth/RefreshTokenStore.h"
#include "oauth/TokenClient.h"

AccessTokens::AccessTokens(OAuthClient client, std::shared_ptr<RefreshTokenStore> store)
    : m_client(std::move(client))
    , m_store(std::move(store))
{
}

void AccessTokens::remember(const std::string &accessToken, int expiresIn)
{
    m_token = accessToken;
    // A minute's margin, so that a token does not expire between here and the server.
    m_expires = expiresIn > 0 ? QDateTime::currentDateTimeUtc().addSecs(std::max(0, expiresIn - 60)) : QDateTime();
}

AccessToken AccessTokens::get(bool fresh)
{
    AccessToken result;
    if (!fresh && !m_token.empty() && (!m_expires.isValid() || QDateTime::currentDateTimeUtc() < m_expires)) {
        result.token = m_token;
        return result;
    }
    m_token.clear();
    const std::optional<std::string> refreshToken = m_store->read();
    if (!refreshToken) {
        result.problem = m_store->problem();
        result.signInAgain = true;
        return result;
    }
    TokenClient client(m_client);
    client.timeOut = timeOut;
    const TokenClient::Answer answer = client.refresh(*refreshToken);
    if (!answer.ok()) {
        result.signInAgain = answer.signInAgain();
        result.problem = answer.signInAgain()
                             ? QStringLiteral("The provider no longer accepts the sign-in (%1): sign in again.")
                                   .arg(answer.problem)
                             : answer.problem;
        return result;
    }
    // The token is sent with even when a new refresh token could not be kept; the old one
    // may be void already, which the problem tells.
    if (!answer.refreshToken.empty() && answer.refreshToken != *refreshToken && !m_store->write(answer.refreshToken))
        result.problem = QStringLiteral("The provider gave a new refresh token that could not be kept, so the next "
                                        "send may need a new sign-in: %1")
                             .arg(m_store->problem());
    remember(answer.accessToken, answer.expiresIn);
    result.token = m_token;
    return result;
}
