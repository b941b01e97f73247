// vellorn-cli oauth-login: signs in with the browser and keeps the refresh token in a file.

#include "tools/CliOAuth.h"

#include "config/MailProviders.h"
#include "config/OAuthSettings.h"
#include "oauth/FileTokenStore.h"
#include "oauth/SignIn.h"
#include "oauth/SystemBrowser.h"
#include "tools/CliPrograms.h"
#include "tools/CliRegistry.h"
#include "tools/CliSupport.h"

#include <cstdio>

namespace CliOAuth {

std::optional<OAuthClient> clientFromOptions(QStringList &args, const QString &prefix, bool needsAuthorization,
                                             bool *error)
{
    const auto take = [&](const char *name) { return Cli::takeOption(args, QLatin1String("--") + prefix + QLatin1String(name), error); };
    const std::optional<QString> provider = take("provider");
    const std::optional<QString> authUrl = take("auth-url");
    const std::optional<QString> tokenUrl = take("token-url");
    const std::optional<QString> scope = take("scope");
    const std::optional<QString> clientId = take("client-id");
    const std::optional<QString> clientSecret = take("client-secret");
    if (*error)
        return std::nullopt;
    if (!provider && !authUrl && !tokenUrl && !scope && !clientId && !clientSecret)
        return std::nullopt;
    OAuthClient client;
    if (provider) {
        const QString name = provider->toLower() == QLatin1String("google")      ? QStringLiteral("Google")
                             : provider->toLower() == QLatin1String("microsoft") ? QStringLiteral("Microsoft")
                                                                                 : QString();
        const MailProvider *preset = name.isEmpty() ? nullptr : MailProviders::byName(name.toStdString());
        if (!preset) {
            Cli::fail(QStringLiteral("--%1provider must be google or microsoft").arg(prefix));
            *error = true;
            return std::nullopt;
        }
        const auto view = [](std::string_view v) { return QString::fromUtf8(v.data(), static_cast<qsizetype>(v.size())); };
        client.authorizationUrl = view(preset->authorizationUrl);
        client.tokenUrl = view(preset->tokenUrl);
        client.scope = view(preset->scope);
        client.extraAuthorizationQuery = view(preset->extraAuthorizationQuery);
        client.clientId = OAuthSettings::builtInClientId(name);
        client.clientSecret = OAuthSettings::builtInClientSecret(name);
    }
    if (authUrl)
        client.authorizationUrl = *authUrl;
    if (tokenUrl)
        client.tokenUrl = *tokenUrl;
    if (scope)
        client.scope = *scope;
    if (clientId) {
        client.clientId = *clientId;
        client.clientSecret.clear();
    }
    if (clientSecret)
        client.clientSecret = *clientSecret;
    if (const QString problem = client.problem(needsAuthorization); !problem.isEmpty()) {
        Cli::fail(problem);
        *error = true;
        return std::nullopt;
    }
    return client;
}

bool openBrowser(const QUrl &url)
{
    return SystemBrowser::open(url);
}

} // namespace CliOAuth

namespace {

int oauthLoginCommand(const QStringList &arguments)
{
    QStringList args = arguments;
    bool error = false;
    const std::optional<QString> file = Cli::takeOption(args, QStringLiteral("--refresh-token-file"), &error);
    const std::optional<QString> wait = Cli::takeOption(args, QStringLiteral("--timeout"), &error);
    const std::optional<OAuthClient> client = CliOAuth::clientFromOptions(args, QString(), true, &error);
    if (error)
        return 1;
    if (!client || !file || !args.isEmpty())
        return Cli::fail(QStringLiteral("usage: ") + QString::fromLatin1(CliPrograms::OAuthLogin.usage).section(QLatin1Char('\n'), 0, 2));
    int seconds = 300;
    if (wait) {
        bool ok = false;
        seconds = wait->toInt(&ok);
        if (!ok || seconds < 1 || seconds > 3600)
            return Cli::fail(QStringLiteral("--timeout must be a number from 1 to 3600"));
    }
    SignIn signIn(*client);
    signIn.timeOutSeconds = seconds;
    signIn.openBrowser = [](const QUrl &url) {
        // The address on standard error too: a browser on another screen, or none at all.
        std::fprintf(stderr, "Sign in with your browser at:\n%s\n", url.toString(QUrl::FullyEncoded).toUtf8().constData());
        std::fflush(stderr);
        return CliOAuth::openBrowser(url);
    };
    const SignIn::Result result = signIn.run();
    if (!result.ok())
        return Cli::fail(result.problem);
    FileTokenStore store(*file);
    if (!store.write(result.refreshToken))
        return Cli::fail(store.problem());
    std::fprintf(stderr, "Signed in%s; the refresh token is in %s\n",
                 result.account.isEmpty() ? "" : (" as " + result.account.toStdString()).c_str(),
                 file->toLocal8Bit().constData());
    return 0;
}

CliCommand oauthLoginCmd(CliPrograms::OAuthLogin.name, CliPrograms::OAuthLogin.usage, &oauthLoginCommand);

} // namespace
