#pragma once

#include <QString>
#include <string>

// The server certificates the person chose to trust, in the [Trusted Certificates]
// section of Config.dat: one "host:port=FINGERPRINT" line per server, the certificate's
// SHA-256 fingerprint as CertificateFacts writes it. Exactly that certificate is then
// accepted for that server; trusting another one for it replaces the line.
class CertificatePins
{
public:
    static constexpr const char *Section = "Trusted Certificates";

    explicit CertificatePins(QString configPath);

    // The fingerprint trusted for the server; empty when none is.
    std::string fingerprint(const std::string &host, int port) const;
    // False when the file cannot be written, or when the host name cannot stand in a key
    // that reads back as itself (blanks at its edges; "[", "]", "=", ";" or a control
    // character anywhere) or the fingerprint in a value: nothing is written then.
    bool trust(const std::string &host, int port, const std::string &fingerprint);

    // The key of a server, "host:port", with the host in lower case.
    static std::string key(const std::string &host, int port);

private:
    QString m_path;
};
