#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A test CA and server certificates, made at test time with the openssl command in a
// temporary folder that is removed with the object.
//
//     TestCertificates certs;
//     QVERIFY2(certs.create(), qPrintable(certs.errorString()));
//     const auto server = certs.issue("good", {"DNS:localhost", "IP:127.0.0.1"});
//     QVERIFY2(server.valid(), ...);  // server.certificate, server.key: PEM files
//     trust certs.caFile() in the client
class TestCertificates
{
public:
    struct Issued
    {
        QString certificate; // PEM file of the certificate
        QString key;         // PEM file of its private key
        bool valid() const { return !certificate.isEmpty(); }
    };

    // Makes the CA. False (see errorString()) when openssl is missing or fails.
    bool create();
    QString caFile() const;
    QString errorString() const { return m_error; }

    // A certificate for the subject alternative names ("DNS:localhost", "IP:127.0.0.1"),
    // signed by the CA, or signed by its own key when selfSigned. `name` names the files.
    Issued issue(const QString &name, const QStringList &altNames, bool selfSigned = false);

private:
    bool run(const QStringList &arguments);
    QString path(const QString &file) const;

    QTemporaryDir m_dir;
    QString m_openssl;
    QString m_error;
};
