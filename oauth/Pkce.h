#pragma once

#include <QByteArray>

// Proof Key for Code Exchange (RFC 7636) with S256, and the random texts of a sign-in.
namespace Pkce {
// 32 random bytes in base64url without padding: 43 characters, fit as a code verifier
// and as a state.
QByteArray randomText();
// BASE64URL(SHA256(verifier)) without padding.
QByteArray challenge(const QByteArray &verifier);
} // namespace Pkce
