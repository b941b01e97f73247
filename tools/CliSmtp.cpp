// vellorn-cli send: delivers a mail file through SmtpDelivery, as the send dialog does.

#include "config/ConfigFile.h"
#include "config/OAuthTokens.h"
#include "config/SmtpPassword.h"
#include "mail/HeaderLineBreaks.h"
#include "mail/TMailMessage.h"
#include "oauth/AccessTokens.h"
#include "oauth/FileTokenStore.h"
#include "os/LocalTime.h"
#include "os/QtKeychainKeyring.h"
#include "send/SmtpDelivery.h"
#include "smtp/CertificateFacts.h"
#include "smtp/SmtpSecurity.h"
#include "smtp/TSMTP.h"
#include "text/LineBreaks.h"
#include "text/StoredText.h"
#include "tools/CliOAuth.h"
#include "tools/CliPrograms.h"
#include "tools/CliRegistry.h"
#include "tools/CliSmtpOptions.h"
#include "tools/CliSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QSslCertificate>
#include <cstdio>
#include <string>

namespace {

const char SendUsage[] = "send FILE [--config Config.dat] --host HOST [--port N] [--security auto|tls|starttls|none]"
                         " [--user NAME] [--pass WORD | --pass - | --pass-file FILE] [--timeout S] [--ca-file PEM]"
                         " [--trust SHA256]... [--auth password|oauth2 [--oauth-provider google|microsoft |"
                         " --oauth-token-url URL --oauth-client-id ID [--oauth-client-secret S]]"
                         " [--oauth-refresh-token-file FILE]]";

using CliSmtpOptions::numberOption;
using CliSmtpOptions::password;

void stage(const std::string &text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

// The server's last reply without its final line break.
std::string lastReplyText(const TSMTP &smtp)
{
    std::string reply = smtp.LastReply();
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r'))
        reply.pop_back();
    return reply;
}

int failWithReply(const TSMTP &smtp, const char *what)
{
    const std::string reply = lastReplyText(smtp);
    if (reply.empty())
        std::fprintf(stderr, "Error: %s (no reply from the server)\n", what);
    else
        std::fprintf(stderr, "Error: %s\n", reply.c_str());
    return 1;
}

int sendCommand(const QStringList &arguments)
{
    QStringList args = arguments;
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
        return 1;
    if (authName && *authName != QLatin1String("password") && *authName != QLatin1String("oauth2"))
        return Cli::fail(QStringLiteral("--auth must be password or oauth2"));
    // The account of a Config.dat, as the send dialog uses it; the options override it.
    std::optional<ConfigSettings> account;
    SmtpSecurity security = SmtpSecurity::Automatic;
    if (configFile) {
        if (!QFileInfo::exists(*configFile))
            return Cli::fail(QStringLiteral("no such file: %1").arg(*configFile));
        account.emplace();
        LoadConfig(*account, *configFile);
        const auto trimmed = [](const std::string &text) { return StoredText::toQString(text).trimmed(); };
        if (!host)
            host = trimmed(account->ACC_SMTPHost);
        if (!port)
            port = account->ACC_SMTPPort;
        if (!user)
            user = trimmed(account->ACC_SMTPUser);
        security = account->ACC_SMTPSecurity;
    }
    if (securityName) {
        const std::optional<SmtpSecurity> parsed = SmtpSecurityName::parse(securityName->toStdString());
        if (!parsed)
            return Cli::fail(QStringLiteral("--security must be auto, tls, starttls or none"));
        security = *parsed;
    }
    QStringList fingerprints;
    for (const QString &fingerprint : trust) {
        const std::optional<QByteArray> digest = CertificateFacts::digestOf(fingerprint);
        if (!digest)
            return Cli::fail(QStringLiteral("--trust needs a SHA-256 fingerprint (64 hex digits): %1").arg(fingerprint));
        fingerprints << CertificateFacts::written(*digest);
    }
    if (!host || host->isEmpty())
        return Cli::fail(QStringLiteral("send needs --host HOST"));
    if (args.size() != 1)
        return Cli::fail(QStringLiteral("usage: ") + QString::fromLatin1(SendUsage));

    // A private CA, trusted for this run in addition to the system's store.
    QList<QSslCertificate> trusted;
    if (caFile) {
        const std::optional<std::string> pem = Cli::readFile(*caFile);
        if (!pem)
            return 1;
        trusted = QSslCertificate::fromData(QByteArray::fromStdString(*pem), QSsl::Pem);
        if (trusted.isEmpty())
            return Cli::fail(QStringLiteral("%1 holds no PEM certificate").arg(*caFile));
    }

    // The login: the password, or an access token from a refresh token (the file given,
    // else the sign-in kept for the account of --config).
    const bool oauth2 = authName ? *authName == QLatin1String("oauth2") : account && account->smtpOAuth2();
    std::shared_ptr<AccessTokens> tokens;
    std::optional<QtKeychainKeyring> keyring;
    std::optional<std::string> secret = std::string();
    if (oauth2) {
        if (pass || passFile)
            return Cli::fail(QStringLiteral("--auth oauth2 takes no password"));
        if (tokenFile || oauthClient) {
            if (!tokenFile || !oauthClient)
                return Cli::fail(QStringLiteral("--auth oauth2 needs --oauth-refresh-token-file FILE and "
                                                "--oauth-provider or --oauth-token-url with --oauth-client-id"));
            tokens = std::make_shared<AccessTokens>(*oauthClient, std::make_shared<FileTokenStore>(*tokenFile));
        } else if (account && account->smtpOAuth2()) {
            keyring.emplace();
            OAuthTokens::shared().setKeyring(&*keyring);
            OAuthTokens::shared().setFolder(QFileInfo(*configFile).absolutePath());
            tokens = OAuthTokens::shared().tokens(*account);
        } else {
            return Cli::fail(QStringLiteral("--auth oauth2 needs --oauth-refresh-token-file FILE (see oauth-login), or "
                                            "--config with an OAuth2 login"));
        }
    } else {
        secret = password(pass, passFile, account ? &*account : nullptr);
    }
    if (!secret)
        return 1;

    std::optional<std::string> text = Cli::readFile(args.front());
    if (!text)
        return 1;
    TMailMessage message;
    message.Clear();
    // Mail text is read as the mail store keeps it: every line ending in CR LF.
    HeaderLineBreaks::makeMailCrLf(*text, true);
    // The message takes the text over (its bodies are stretches of it), and the session
    // writes it anew from the parts while sending: the mail is held once.
    message.LoadFromString(std::move(*text));
    // What the recipient gets: the fields in today's form, dated now, and without the
    // hand-over mark of an .eml file ("X-Unsent" asks a mail program to open it as a draft).
    message.RewriteFields();
    while (message.HasHeader("X-Unsent"))
        message.SetHeaderValue("X-Unsent", "");
    message.SetDate(LocalTime::now());

    TSMTP smtp;
    if (timeOut)
        smtp.SetTimeOut(*timeOut);
    smtp.RebuildWhileSending = true;
    smtp.SetOnProgress([](QObject *, std::int64_t total, std::int64_t current) {
        std::fprintf(stderr, "Sent %lld of %lld bytes\n", static_cast<long long>(current), static_cast<long long>(total));
    });
    SmtpAccount server;
    server.host = host->toStdString();
    server.port = port.value_or(25);
    server.security = security;
    server.user = user.value_or(QString()).toStdString();
    server.password = *secret;
    if (tokens) {
        server.auth = SmtpAccount::Auth::OAuth2;
        server.accessToken = [tokens](bool fresh) { return tokens->get(fresh); };
    }
    server.trustedCertificates = trusted;
    server.trustedFingerprints = fingerprints;
    // The certificate trusted for this server in the send dialog is trusted here too.
    if (configFile)
        server.pinsFile = *configFile;

    // The same steps as the send dialog's, told on standard error; no question is asked.
    SmtpDelivery delivery(smtp);
    delivery.setAccount(server);
    delivery.stepStarting = [&](SmtpDelivery::Step step) {
        switch (step) {
        case SmtpDelivery::Step::Connect:
            stage("Connecting to " + smtp.Host + ":" + std::to_string(smtp.Port));
            break;
        case SmtpDelivery::Step::Login:
            stage("Logging in as " + server.user);
            break;
        case SmtpDelivery::Step::Send:
            stage("Sending the mail from <" + message.FromAddress() + ">");
            break;
        }
    };
    delivery.accessStarting = [&](SmtpDelivery::Access access) {
        stage(access == SmtpDelivery::Access::SigningIn ? "Signing in: getting an access token"
                                                        : "The server refused the access token; refreshing access");
    };
    delivery.stepDone = [&](SmtpDelivery::Step step) {
        switch (step) {
        case SmtpDelivery::Step::Connect: {
            const std::string connected = smtp.Encrypted() ? "Connected over TLS" : "Connected";
            stage(smtp.LoginReady() ? connected + "; the server offers AUTH " + smtp.AuthMechanism() : connected);
            break;
        }
        case SmtpDelivery::Step::Login:
            stage("Logged in");
            break;
        case SmtpDelivery::Step::Send:
            stage("Accepted: " + lastReplyText(smtp));
            break;
        }
    };
    if (!delivery.deliver(message)) {
        int code = 1;
        switch (delivery.failedStep().value_or(SmtpDelivery::Step::Send)) {
        case SmtpDelivery::Step::Connect:
            // The facts of an untrusted certificate, so that the person can judge it and,
            // when it is the right one, give its fingerprint with --trust.
            if (const std::optional<CertificateFacts> &facts = smtp.UntrustedCertificate())
                stage(facts->text().toStdString() + "\nTo trust it for one run: --trust " + facts->fingerprint.toStdString());
            code = failWithReply(smtp, "cannot connect");
            break;
        case SmtpDelivery::Step::Login:
            code = delivery.accessProblem().isEmpty() ? failWithReply(smtp, "login failed")
                                                      : Cli::fail(delivery.accessProblem());
            break;
        case SmtpDelivery::Step::Send:
            code = failWithReply(smtp, "sending failed");
            break;
        }
        smtp.Disconnect();
        return code;
    }
    delivery.quit();
    stage("Quit");
    return 0;
}

CliCommand sendCmd(CliPrograms::SendMail.name, CliPrograms::SendMail.usage, &sendCommand);

} // namespace
