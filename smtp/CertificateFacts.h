#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSslCertificate>
#include <QSslError>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

// What a person needs to judge a server certificate that failed the normal checks: the
// server, the certificate's subject and issuer, its validity, its SHA-256 fingerprint
// and why it was not trusted.
struct CertificateFacts
{
    std::string host;
    int port = 0;
    QString subject;
    QString issuer;
    QDateTime validFrom;
    QDateTime validUntil;
    QString fingerprint; // SHA-256, upper-case hex pairs joined by ":"
    QStringList reasons; // "self-signed", "unknown issuer", "wrong host name", "expired", ...
    // A different certificate was trusted for this server before.
    bool changed = false;

    static CertificateFacts of(const QSslCertificate &certificate, const QList<QSslError> &errors,
                               const std::string &host, int port);
    // "host:port" (an IPv6 address in brackets).
    QString server() const;
    // The facts as lines of text, for the question and for vellorn-cli.
    QString text() const;

    // The SHA-256 digest of a certificate, written as `fingerprint` is.
    static QString fingerprintOf(const QSslCertificate &certificate);
    // A fingerprint as people copy it: 64 hex digits, with or without ":" (or spaces)
    // between the pairs, in either case. Nullopt for anything else.
    static std::optional<QByteArray> digestOf(const QString &fingerprint);
    // The digest written as `fingerprint` is.
    static QString written(const QByteArray &digest);
};
