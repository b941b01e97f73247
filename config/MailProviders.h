#pragma once

#include "smtp/SmtpSecurity.h"

#include <span>
#include <string_view>

// The mail providers the program knows by name: how their outgoing server is reached and,
// for those that sign in through the browser, where. The configuration page's presets and
// the settings found from an address both read this one table.
struct MailProvider
{
    // How the provider lets a mail program log in.
    enum class Login { Password, OAuth2 };

    std::string_view name;       // "Google", "Microsoft", ...
    std::string_view domains;    // the mail domains it serves, blank-separated
    std::string_view mxSuffixes; // MX host name endings that show a domain is hosted there
    std::string_view smtpHost;
    int smtpPort = 587;
    SmtpSecurity security = SmtpSecurity::StartTls;
    Login login = Login::Password;
    // Only for OAuth2.
    std::string_view authorizationUrl;
    std::string_view tokenUrl;
    std::string_view scope;
    // Added to the authorization request.
    std::string_view extraAuthorizationQuery = {};
};

namespace MailProviders {
// Every known provider; the first two are the OAuth2 presets.
std::span<const MailProvider> all();
// The provider serving `domain` (lower case; by its domains), or nullptr.
const MailProvider *byDomain(std::string_view domain);
// The provider whose MX suffix ends `mxHost` (lower case) at a dot, or nullptr.
const MailProvider *byMxHost(std::string_view mxHost);
// The provider signing in through the browser whose outgoing server is `smtpHost` (lower
// case), or nullptr.
const MailProvider *oauthBySmtpHost(std::string_view smtpHost);
// By name ("Google"), or nullptr.
const MailProvider *byName(std::string_view name);
} // namespace MailProviders
