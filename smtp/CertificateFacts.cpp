#include "smtp/CertificateFacts.h"

#include <QCryptographicHash>
#include <cctype>

namespace {

QString reasonOf(const QSslError &error)
{
    switch (error.error()) {
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
        return QStringLiteral("self-signed");
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
        return QStringLiteral("unknown issuer");
    case QSslError::HostNameMismatch:
        return QStringLiteral("wrong host name");
    case QSslError::CertificateExpired:
        return QStringLiteral("expired");
    case QSslError::CertificateNotYetValid:
        return QStringLiteral("not yet valid");
    default:
        return error.errorString();
    }
}

QString names(const QStringList &parts)
{
    return parts.join(QStringLiteral(", "));
}

// The distinguished name as people read it: common name first, then organisation.
QString nameOf(const QSslCertificate &certificate, bool issuer)
{
    QStringList parts;
    for (const QSslCertificate::SubjectInfo field :
         {QSslCertificate::CommonName, QSslCertificate::Organization, QSslCertificate::OrganizationalUnitName,
          QSslCertificate::CountryName}) {
        const QStringList values = issuer ? certificate.issuerInfo(field) : certificate.subjectInfo(field);
        for (const QString &value : values)
            if (!value.isEmpty())
                parts << value;
    }
    return parts.isEmpty() ? QStringLiteral("(no name)") : names(parts);
}

} // namespace

CertificateFacts CertificateFacts::of(const QSslCertificate &certificate, const QList<QSslError> &errors,
                                      const std::string &host, int port)
{
    CertificateFacts facts;
    facts.host = host;
    facts.port = port;
    facts.subject = nameOf(certificate, false);
    facts.issuer = nameOf(certificate, true);
    facts.validFrom = certificate.effectiveDate().toUTC();
    facts.validUntil = certificate.expiryDate().toUTC();
    facts.fingerprint = fingerprintOf(certificate);
    for (const QSslError &error : errors) {
        const QString reason = reasonOf(error);
        if (!facts.reasons.contains(reason))
            facts.reasons << reason;
    }
    return facts;
}

QString CertificateFacts::server() const
{
    const QString name = QString::fromStdString(host);
    if (name.contains(QLatin1Char(':')))
        return QLatin1Char('[') + name + QStringLiteral("]:") + QString::number(port);
    return name + QLatin1Char(':') + QString::number(port);
}

QString CertificateFacts::text() const
{
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm 'UTC'");
    QStringList lines;
    if (changed)
        lines << QStringLiteral("Warning: the server shows a different certificate from the one you trusted before. "
                                "It may have been renewed, or someone may be listening in between.");
    lines << QStringLiteral("The certificate of %1 is not trusted: %2.").arg(server(), names(reasons))
          << QString()
          << QStringLiteral("Subject: ") + subject
          << QStringLiteral("Issuer: ") + issuer
          << QStringLiteral("Valid from %1 until %2").arg(validFrom.toString(format), validUntil.toString(format))
          << QStringLiteral("SHA-256 fingerprint: ") + fingerprint;
    return lines.join(QLatin1Char('\n'));
}

QString CertificateFacts::fingerprintOf(const QSslCertificate &certificate)
{
    return written(certificate.digest(QCryptographicHash::Sha256));
}

QString CertificateFacts::written(const QByteArray &digest)
{
    return QString::fromLatin1(digest.toHex(':').toUpper());
}

std::optional<QByteArray> CertificateFacts::digestOf(const QString &fingerprint)
{
    QByteArray hex;
    for (const QChar c : fingerprint) {
        if (c == QLatin1Char(':') || c == QLatin1Char(' '))
            continue;
        if (c.unicode() > 0x7F || !std::isxdigit(static_cast<unsigned char>(c.unicode())))
            return std::nullopt;
        hex.append(static_cast<char>(c.unicode()));
    }
    if (hex.size() != 64)
        return std::nullopt;
    return QByteArray::fromHex(hex);
}
