#pragma once

#include "oauth/AccessTokens.h"
#include "smtp/SmtpSecurity.h"

#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>

struct ConfigSettings;

// Where and as whom a mail is delivered: the server, its security, the login, and which
// certificates are trusted beyond the system's store. The send dialog takes it from the
// configuration; vellorn-cli from the configuration and its options.
struct SmtpAccount
{
    std::string host;
    int port = 25;
    SmtpSecurity security = SmtpSecurity::Automatic;
    std::string user;
    std::string password;
    // How the login proves who it is: the password, or an OAuth2 access token from
    // accessToken (fresh: a new one, as the server refused the last).
    enum class Auth { Password, OAuth2 };
    Auth auth = Auth::Password;
    std::function<AccessToken(bool fresh)> accessToken;
    // Seconds a step may wait for the server; nullopt leaves the session's own.
    std::optional<int> timeOut;
    // The Config.dat that keeps the fingerprints trusted per server; empty: none kept.
    QString pinsFile;
    // Server certificates trusted for this run (SHA-256 fingerprints) ...
    QStringList trustedFingerprints;
    // ... and CA certificates trusted beside the system's store (a private CA).
    QList<QSslCertificate> trustedCertificates;

    // The account of the configuration, as the send dialog uses it.
    static SmtpAccount fromSettings(const ConfigSettings &settings);
};
