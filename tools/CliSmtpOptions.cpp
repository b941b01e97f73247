#include "tools/CliSmtpOptions.h"

#include "config/ConfigFile.h"
#include "config/ConfigSettings.h"
#include "config/OAuthTokens.h"
#include "config/SmtpPassword.h"
#include "oauth/AccessTokens.h"
#include "oauth/FileTokenStore.h"
#include "os/QtKeychainKeyring.h"
#include "smtp/CertificateFacts.h"
#include "text/StoredText.h"
#include "tools/CliOAuth.h"
#include "tools/CliSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QSslCertificate>
#include <cstdio>

namespace {

// A password longer than this is not a password: the source is refused rather than read whole.
constexpr qint64 MaxPasswordSize = 64 * 1024;

// The first line of a password source, without its line break.
std::string firstLine(const QByteArray &bytes)
{
    const qsizetype end = bytes.indexOf('\n');
    QByteArray line = end < 0 ? bytes : bytes.left(end);
    if (line.endsWith('\r'))
        line.chop(1);
    return line.toStdString();
}

} // namespace

namespace CliSmtpOptions {

std::optional<std::string> password(const std::optional<QString> &pass, const std::optional<QString> &passFile,
                                    ConfigSettings *account)
{
    if (pass && passFile) {
        Cli::fail(QStringLiteral("give --pass or --pass-file, not both"));
        return std::nullopt;
    }
    if (pass && *pass != QLatin1String("-"))
        return pass->toStdString();
    if (pass || passFile) {
        QFile file;
        const bool opened = pass ? file.open(stdin, QIODevice::ReadOnly) : (file.setFileName(*passFile), file.open(QIODevice::ReadOnly));
        if (!opened) {
            Cli::fail(QStringLiteral("cannot read the password from %1").arg(pass ? QStringLiteral("standard input") : *passFile));
            return std::nullopt;
        }
        // Standard input is read up to its first line break only, so a script may go on using it.
        const QByteArray bytes = pass ? file.readLine(MaxPasswordSize + 1) : file.read(MaxPasswordSize + 1);
        if (bytes.size() > MaxPasswordSize) {
            Cli::fail(QStringLiteral("the password source holds more than %1 bytes").arg(MaxPasswordSize));
            return std::nullopt;
        }
        return firstLine(bytes);
    }
    if (qEnvironmentVariableIsSet("VELLORN_SMTP_PASS"))
        return qgetenv("VELLORN_SMTP_PASS").toStdString();
    if (account) {
        QtKeychainKeyring keyring;
        SmtpPassword place(&keyring);
        if (!place.load(*account)) {
            Cli::fail(place.problem());
            return std::nullopt;
        }
        return account->ACC_SMTPPass;
    }
    return std::string();
}

std::optional<int> numberOption(QStringList &args, const QString &name, int low, int high, bool *error)
{
    const std::optional<QString> text = Cli::takeOption(args, name, error);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = text->toInt(&ok);
    if (!ok || value < low || value > high) {
        Cli::fail(QStringLiteral("%1 must be a number from %2 to %3").arg(name).arg(low).arg(high));
        *error = true;
        return std::nullopt;
    }
    return value;
}

std::optional<QList<QSslCertificate>> caCertificates(const std::optional<QString> &caFile)
{
    if (!caFile)
        return QList<QSslCertificate>();
    const std::optional<std::string> pem = Cli::readFile(*caFile);
    if (!pem)
        return std::nullopt;
    QList<QSslCertificate> list = QSslCertificate::fromData(QByteArray::fromStdString(*pem), QSsl::Pem);
    if (list.isEmpty()) {
        Cli::fail(QStringLiteral("%1 holds no PEM certificate").arg(*caFile));
        return std::nullopt;
    }
    return list;
}

std::optional<Server> takeServer(QStringList &args, const QString &command)
{
    bool error = false;
    const std::optional<QString> configFile = Cli::takeOption(args, QStringLiteral("--config"), &error);
    std::optional<QString> host = Cli::takeOption(args, QStringLiteral("--host"), &error);
    std::optional<int> port = numberOption(args, QStringLiteral("--port"), 1, 65535, &error);
    std::optional<QString> user = Cli::takeOption(args, QStringLiteral("--user"), &error);
    const std::optional<QString> pass = Cli::takeOption(args, QStringLiteral("--pass"), &error);
    const std::optional<QString> passFile = Cli::takeOption(args, QStringLiteral("--pass-file"), &error);
    const std::optional<int> timeOut = numberOption(args, QStringLiteral("--timeout"), 1, 86400, &error);
    const std::optional<QString> caFile = Cli::takeOption(args, QStringLiteral("--ca-file"), &error);
    const std::optional<QString> securityName = Cli::takeOption(args, QStringLiteral("--security"), &error);
    const QStringList trust = Cli::takeAllOptions(args, QStringLiteral("--trust"), &error);
    const std::optional<QString> authName = Cli::takeOption(args, QStringLiteral("--auth"), &error);
    const std::optional<QString> tokenFile = Cli::takeOption(args, QStringLiteral("--oauth-refresh-token-file"), &error);
    const std::optional<OAuthClient> oauthClient =
        error ? std::nullopt : CliOAuth::clientFromOptions(args, QStringLiteral("oauth-"), false, &error);
    if (error)
        return std::nullopt;
    const auto fail = [](const QString &message) -> std::optional<Server> {
        Cli::fail(message);
        return std::nullopt;
    };
    if (authName && *authName != QLatin1String("password") && *authName != QLatin1String("oauth2"))
        return fail(QStringLiteral("--auth must be password or oauth2"));

    Server server;
    SmtpAccount &account = server.account;
    if (configFile) {
        if (!QFileInfo::exists(*configFile))
            return fail(QStringLiteral("no such file: %1").arg(*configFile));
        ConfigSettings &config = server.config.emplace();
        LoadConfig(config, *configFile);
        const auto trimmed = [](const std::string &text) { return StoredText::toQString(text).trimmed(); };
        if (!host)
            host = trimmed(config.ACC_SMTPHost);
        if (!port)
            port = config.ACC_SMTPPort;
        if (!user)
            user = trimmed(config.ACC_SMTPUser);
        account.security = config.ACC_SMTPSecurity;
        // The certificate trusted for this server in the program is trusted here too.
        account.pinsFile = *configFile;
    }
    if (securityName) {
        const std::optional<SmtpSecurity> parsed = SmtpSecurityName::parse(securityName->toStdString());
        if (!parsed)
            return fail(QStringLiteral("--security must be auto, tls, starttls or none"));
        account.security = *parsed;
    }
    for (const QString &fingerprint : trust) {
        const std::optional<QByteArray> digest = CertificateFacts::digestOf(fingerprint);
        if (!digest)
            return fail(QStringLiteral("--trust needs a SHA-256 fingerprint (64 hex digits): %1").arg(fingerprint));
        account.trustedFingerprints << CertificateFacts::written(*digest);
    }
    if (!host || host->isEmpty())
        return fail(QStringLiteral("%1 needs --config Config.dat or --host HOST").arg(command));
    const std::optional<QList<QSslCertificate>> ca = caCertificates(caFile);
    if (!ca)
        return std::nullopt;
    account.trustedCertificates = *ca;

    // The login: the password, or an access token from a refresh token (the file given,
    // else the sign-in kept for the account of --config).
    ConfigSettings *config = server.config ? &*server.config : nullptr;
    const bool oauth2 = authName ? *authName == QLatin1String("oauth2") : config && config->smtpOAuth2();
    if (oauth2) {
        if (pass || passFile)
            return fail(QStringLiteral("--auth oauth2 takes no password"));
        std::shared_ptr<AccessTokens> tokens;
        if (tokenFile || oauthClient) {
            if (!tokenFile || !oauthClient)
                return fail(QStringLiteral("--auth oauth2 needs --oauth-refresh-token-file FILE and "
                                           "--oauth-provider or --oauth-token-url with --oauth-client-id"));
            tokens = std::make_shared<AccessTokens>(*oauthClient, std::make_shared<FileTokenStore>(*tokenFile));
        } else if (config && config->smtpOAuth2()) {
            server.keyring = std::make_shared<QtKeychainKeyring>();
            OAuthTokens::shared().setKeyring(server.keyring.get());
            OAuthTokens::shared().setFolder(QFileInfo(*configFile).absolutePath());
            tokens = OAuthTokens::shared().tokens(*config);
        } else {
            return fail(QStringLiteral("--auth oauth2 needs --oauth-refresh-token-file FILE (see oauth-login), or "
                                       "--config with an OAuth2 login"));
        }
        account.auth = SmtpAccount::Auth::OAuth2;
        account.accessToken = [tokens](bool fresh) { return tokens->get(fresh); };
    } else {
        const std::optional<std::string> secret = password(pass, passFile, config);
        if (!secret)
            return std::nullopt;
        account.password = *secret;
    }
    account.host = host->toStdString();
    account.port = port.value_or(25);
    account.user = user.value_or(QString()).toStdString();
    account.timeOut = timeOut;
    return server;
}

} // namespace CliSmtpOptions
