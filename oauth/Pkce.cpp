#include "oauth/Pkce.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace Pkce {

QByteArray randomText()
{
    QByteArray bytes(32, '\0');
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

QByteArray challenge(const QByteArray &verifier)
{
    return QCryptographicHash::hash(verifier, QCryptographicHash::Sha256)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

} // namespace Pkce
