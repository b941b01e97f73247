#include "config/MailProviders.h"

#include <array>

namespace {

bool endsWithDot(std::string_view host, std::string_view suffix)
{
    return host.size() >= suffix.size() && host.substr(host.size() - suffix.size()) == suffix
           && (host.size() == suffix.size() || suffix.front() == '.' || host[host.size() - suffix.size() - 1] == '.');
}

// Whether a word of the blank-separated `list` matches.
template <typename Match>
bool anyWord(std::string_view list, Match match)
{
    while (!list.empty()) {
        const std::size_t blank = list.find(' ');
        const std::string_view word = list.substr(0, blank);
        if (!word.empty() && match(word))
            return true;
        if (blank == std::string_view::npos)
            break;
        list.remove_prefix(blank + 1);
    }
    return false;
}

std::string_view withoutFinalDot(std::string_view host)
{
    while (!host.empty() && host.back() == '.')
        host.remove_suffix(1);
    return host;
}

const std::array kProviders{
    MailProvider{"Google", "gmail.com googlemail.com", "google.com googlemail.com", "smtp.gmail.com", 465,
                 SmtpSecurity::Tls, MailProvider::Login::OAuth2, "https://accounts.google.com/o/oauth2/v2/auth",
                 "https://oauth2.googleapis.com/token", "https://mail.google.com/",
                 // Google gives a refresh token only when asked for offline access, and again
                 // only with consent (developers.google.com/identity/protocols/oauth2/native-app).
                 "access_type=offline&prompt=consent"},
    MailProvider{"Microsoft", "outlook.com hotmail.com live.com msn.com", "outlook.com", "smtp.office365.com", 587,
                 SmtpSecurity::StartTls, MailProvider::Login::OAuth2,
                 "https://login.microsoftonline.com/common/oauth2/v2.0/authorize",
                 "https://login.microsoftonline.com/common/oauth2/v2.0/token",
                 "https://outlook.office.com/SMTP.Send offline_access"},
    // Providers that publish their settings for mail programs, found from the address.
    // Source: "iCloud Mail server settings for other email client apps",
    // https://support.apple.com/en-us/102525 (smtp.mail.me.com, port 587, STARTTLS).
    MailProvider{"iCloud", "icloud.com me.com mac.com", "mail.icloud.com", "smtp.mail.me.com", 587,
                 SmtpSecurity::StartTls, MailProvider::Login::Password, "", "", ""},
    // Source: "Server names and ports",
    // https://www.fastmail.help/hc/en-us/articles/1500000278342 (smtp.fastmail.com, port 465, SSL/TLS).
    MailProvider{"Fastmail", "fastmail.com fastmail.fm", "messagingengine.com", "smtp.fastmail.com", 465,
                 SmtpSecurity::Tls, MailProvider::Login::Password, "", "", ""},
};

} // namespace

namespace MailProviders {

std::span<const MailProvider> all()
{
    return kProviders;
}

const MailProvider *byDomain(std::string_view domain)
{
    domain = withoutFinalDot(domain);
    for (const MailProvider &p : kProviders)
        if (anyWord(p.domains, [&](std::string_view d) { return d == domain; }))
            return &p;
    return nullptr;
}

const MailProvider *byMxHost(std::string_view mxHost)
{
    mxHost = withoutFinalDot(mxHost);
    for (const MailProvider &p : kProviders)
        if (anyWord(p.mxSuffixes, [&](std::string_view s) { return endsWithDot(mxHost, s); }))
            return &p;
    return nullptr;
}

const MailProvider *oauthBySmtpHost(std::string_view smtpHost)
{
    smtpHost = withoutFinalDot(smtpHost);
    for (const MailProvider &p : kProviders)
        if (p.login == MailProvider::Login::OAuth2 && !smtpHost.empty() && p.smtpHost == smtpHost)
            return &p;
    return nullptr;
}

const MailProvider *byName(std::string_view name)
{
    for (const MailProvider &p : kProviders)
        if (p.name == name)
            return &p;
    return nullptr;
}

} // namespace MailProviders
