#pragma once

#include <QString>
#include <optional>
#include <string>

// Where a refresh token is kept between runs (the desktop's keyring, a file readable by
// its owner only). The access token is never kept: it lives in memory only.
class RefreshTokenStore
{
public:
    virtual ~RefreshTokenStore() = default;
    // The kept token; nullopt when none is kept or it could not be read (problem() says
    // which).
    virtual std::optional<std::string> read() = 0;
    // Keeps the token in place of any kept before; false when it could not.
    virtual bool write(const std::string &token) = 0;
    virtual bool remove() = 0;
    // Why the last call failed; empty when it did not.
    virtual QString problem() const = 0;
};
