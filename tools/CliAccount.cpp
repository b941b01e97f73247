// vellorn-cli account discover / account test: an account's server found from the address,
// and an account tested without sending.

#include "config/ConfigKeys.h"
#include "config/MailProviders.h"
#include "discovery/AccountDiscovery.h"
#include "discovery/HttpsFetcher.h"
#include "discovery/QtDnsResolver.h"
#include "send/SmtpConnectionTest.h"
#include "smtp/CertificateFacts.h"
#include "smtp/SmtpSecurity.h"
#include "smtp/TSMTP.h"
#include "tools/CliPrograms.h"
#include "tools/CliRegistry.h"
#include "tools/CliSmtpOptions.h"
#include "tools/CliSupport.h"

#include <QSslCertificate>
#include <cstdio>

namespace {

void say(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

const char *loginName(FoundServer::Login login)
{
    switch (login) {
    case FoundServer::Login::Password: return "password";
    case FoundServer::Login::OAuth2: return "OAuth2 (sign in through the browser)";
    case FoundServer::Login::None: return "none";
    }
    return "";
}

int discover(QStringList args)
{
    bool error = false;
    const std::optional<QString> database = Cli::takeOption(args, QStringLiteral("--database"), &error);
    const bool noDatabase = Cli::takeFlag(args, QStringLiteral("--no-database"));
    const bool noDns = Cli::takeFlag(args, QStringLiteral("--no-dns"));
    const std::optional<QString> caFile = Cli::takeOption(args, QStringLiteral("--ca-file"), &error);
    if (error)
        return 1;
    if (database && noDatabase)
        return Cli::fail(QStringLiteral("give --database or --no-database, not both"));
    if (args.size() != 1 || args.front().startsWith(QLatin1String("--")))
        return Cli::fail(QStringLiteral("usage: account discover ADDRESS [--database URL|--no-database] [--no-dns] [--ca-file FILE]"));
    const std::optional<QList<QSslCertificate>> ca = CliSmtpOptions::caCertificates(caFile);
    if (!ca)
        return 1;

    HttpsFetcher fetcher;
    fetcher.extraCaCertificates = *ca;
    QtDnsResolver resolver;
    AccountDiscovery discovery(fetcher, noDns ? nullptr : &resolver);
    const std::string_view standard = ConfigKeys::of(ConfigKey::ACC_ConfigDatabase).missing.text;
    discovery.databaseUrl = noDatabase ? QString() : database.value_or(QString::fromUtf8(standard.data(), qsizetype(standard.size())));
    discovery.trying = [](const QString &source) { say(QStringLiteral("Trying ") + source); };
    const AccountDiscovery::Result r = discovery.discover(args.front());
    for (const QString &note : r.notes)
        say(QStringLiteral("Note: ") + note);
    if (!r.server) {
        say(QStringLiteral("No settings found for %1; type them on the SMTP page.").arg(args.front()));
        return 1;
    }
    say(QStringLiteral("Found in %1").arg(r.from));
    say(QStringLiteral("Login: %1").arg(QString::fromLatin1(loginName(r.server->login))));
    for (const FoundServer &s : r.offered)
        if (s.host != r.server->host || s.port != r.server->port || s.security != r.server->security)
            say(QStringLiteral("Also offered: %1:%2 %3")
                    .arg(QString::fromStdString(s.host))
                    .arg(s.port)
                    .arg(QString::fromLatin1(SmtpSecurityName::of(s.security))));
    // The lines as Config.dat holds them.
    std::string lines = "[System]\n";
    lines += "ACC_SMTPHost=" + r.server->host + "\n";
    lines += "ACC_SMTPPort=" + std::to_string(r.server->port) + "\n";
    lines += "ACC_SMTPSecurity=" + std::string(SmtpSecurityName::of(r.server->security)) + "\n";
    lines += std::string("ACC_SMTPNeedLogin=") + (r.server->login == FoundServer::Login::None ? "False" : "True") + "\n";
    if (r.server->login != FoundServer::Login::None)
        lines += "ACC_SMTPUser=" + r.server->user + "\n";
    // A login by the browser's sign-in, with the provider whose endpoints it uses when
    // the table runs the server.
    if (r.server->login == FoundServer::Login::OAuth2) {
        lines += "ACC_SMTPAuth=OAuth2\n";
        if (const MailProvider *provider = MailProviders::oauthBySmtpHost(r.server->host))
            lines += "ACC_OAuthProvider=" + std::string(provider->name) + "\n";
    }
    Cli::writeStdout(lines);
    return 0;
}

int test(QStringList args)
{
    const std::optional<CliSmtpOptions::Server> options = CliSmtpOptions::takeServer(args, QStringLiteral("account test"));
    if (!options)
        return 1;
    if (!args.isEmpty())
        return Cli::fail(QStringLiteral("account test takes no %1").arg(args.front()));
    const SmtpAccount &account = options->account;

    TSMTP session;
    SmtpConnectionTest check;
    const SmtpConnectionTest::Outcome outcome = check.run(session, account);
    for (const SmtpConnectionTest::Step &step : outcome.steps) {
        const QString words = QString(step.words).replace(QLatin1String("\r\n"), QLatin1String("\n      "));
        std::printf("%-7s %s  %s\n", qPrintable(step.name + QLatin1Char(':')), step.ok ? "ok    " : "FAILED",
                    words.toUtf8().constData());
    }
    std::fflush(stdout);
    if (const std::optional<CertificateFacts> &facts = session.UntrustedCertificate())
        say(facts->text() + QStringLiteral("\nTo trust it for one run: --trust ") + facts->fingerprint);
    if (!outcome.advice.isEmpty())
        say((outcome.passed ? QStringLiteral("Warning: ") : QStringLiteral("To change: ")) + outcome.advice);
    return outcome.passed ? 0 : 1;
}

int accountCommand(const QStringList &arguments)
{
    QStringList args = arguments;
    const QString what = args.isEmpty() ? QString() : args.takeFirst();
    if (what == QLatin1String("discover"))
        return discover(args);
    if (what == QLatin1String("test"))
        return test(args);
    return Cli::fail(QStringLiteral("usage: account discover ADDRESS ... | account test [--config Config.dat] ..."));
}

CliCommand accountCmd(CliPrograms::Account.name, CliPrograms::Account.usage, &accountCommand);

} // namespace
