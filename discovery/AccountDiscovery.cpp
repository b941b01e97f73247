#include "discovery/AccountDiscovery.h"

#include "config/MailProviders.h"
#include "discovery/AutoconfigReader.h"
#include "discovery/DocumentFetcher.h"
#include "discovery/MailDnsResolver.h"

#include <QUrl>
#include <algorithm>

namespace {

std::string withoutFinalDot(std::string host)
{
    while (!host.empty() && host.back() == '.')
        host.pop_back();
    return host;
}

FoundServer serverOf(const MailProvider &p, const std::string &address)
{
    FoundServer s;
    s.host = std::string(p.smtpHost);
    s.port = p.smtpPort;
    s.security = p.security;
    s.login = p.login == MailProvider::Login::OAuth2 ? FoundServer::Login::OAuth2 : FoundServer::Login::Password;
    s.user = address;
    return s;
}

QString serverText(const FoundServer &s)
{
    return QStringLiteral("%1:%2").arg(QString::fromStdString(s.host)).arg(s.port);
}

} // namespace

AccountDiscovery::AccountDiscovery(DocumentFetcher &fetcher, MailDnsResolver *resolver)
    : m_fetcher(fetcher), m_resolver(resolver)
{
}

QString AccountDiscovery::sourceName(Source source)
{
    switch (source) {
    case Source::None: return QStringLiteral("nothing");
    case Source::BuiltInTable: return QStringLiteral("built-in table");
    case Source::ProviderDocument: return QStringLiteral("provider's document");
    case Source::Database: return QStringLiteral("configuration database");
    case Source::Dns: return QStringLiteral("DNS");
    case Source::MxHost: return QStringLiteral("MX host");
    }
    return QString();
}

std::optional<AccountDiscovery::Parts> AccountDiscovery::split(const QString &address)
{
    const QString trimmed = address.trimmed();
    const qsizetype at = trimmed.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || at == trimmed.size() - 1)
        return std::nullopt;
    const QString local = trimmed.left(at);
    for (const QChar c : local)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7f || c == QLatin1Char('<') || c == QLatin1Char('>'))
            return std::nullopt;
    // A domain in another script is asked for in its ASCII form (xn--...).
    std::string domain = withoutFinalDot(QUrl::toAce(trimmed.mid(at + 1).toLower()).toStdString());
    if (!AutoconfigReader::usableHost(domain) || domain.find('.') == std::string::npos
        || domain.find("..") != std::string::npos)
        return std::nullopt;
    return Parts{local.toStdString(), domain};
}

void AccountDiscovery::tell(const QString &source) const
{
    if (trying)
        trying(source);
}

bool AccountDiscovery::take(std::vector<FoundServer> servers, Source source, const QString &from, Result &result)
{
    // Servers that log in and name no user take the address, as most providers ask.
    for (FoundServer &s : servers)
        if (s.user.empty() && s.login != FoundServer::Login::None)
            s.user = m_address;
    const auto secure = std::find_if(servers.begin(), servers.end(), [](const FoundServer &s) { return !s.cleartextOnly(); });
    if (secure == servers.end()) {
        // Cleartext only: shown when nothing better is found, never chosen over another.
        result.notes << QStringLiteral("%1 names only servers without encryption (%2); the search goes on")
                            .arg(from, serverText(servers.front()));
        if (!m_cleartext) {
            m_cleartext = Result{servers.front(), servers, source, from, {}};
        }
        return false;
    }
    for (const FoundServer &s : servers)
        if (s.cleartextOnly())
            result.notes << QStringLiteral("not chosen: %1 without encryption").arg(serverText(s));
    result.server = *secure;
    result.offered = std::move(servers);
    result.source = source;
    result.from = from;
    return true;
}

bool AccountDiscovery::fromTable(const Parts &parts, const std::string &address, Result &result)
{
    tell(QStringLiteral("the built-in table"));
    const MailProvider *p = MailProviders::byDomain(parts.domain);
    if (!p)
        return false;
    return take({serverOf(*p, address)}, Source::BuiltInTable,
                QStringLiteral("the built-in table (%1)").arg(QString::fromUtf8(p->name.data(), qsizetype(p->name.size()))),
                result);
}

bool AccountDiscovery::fromDocument(const QUrl &url, Source source, const std::string &address, Result &result)
{
    const QString shown = url.toString();
    tell(shown);
    const DocumentFetcher::Reply reply = m_fetcher.get(url);
    if (!reply.ok()) {
        result.notes << QStringLiteral("%1: %2").arg(shown, reply.error);
        return false;
    }
    const AutoconfigReader::Result read = AutoconfigReader::read(reply.body, address);
    if (read.servers.empty()) {
        result.notes << QStringLiteral("%1: skipped, %2").arg(shown, read.problem);
        return false;
    }
    return take(read.servers, source, shown, result);
}

bool AccountDiscovery::fromServices(const std::string &domain, Result &result)
{
    // Implicit TLS first (RFC 8314), then STARTTLS.
    const std::pair<const char *, SmtpSecurity> kinds[] = {{"_submissions._tcp.", SmtpSecurity::Tls},
                                                          {"_submission._tcp.", SmtpSecurity::StartTls}};
    for (const auto &[prefix, security] : kinds) {
        const QString name = QString::fromLatin1(prefix) + QString::fromStdString(domain);
        tell(QStringLiteral("DNS: ") + name);
        std::vector<MailDnsResolver::Service> records = m_resolver->services(name);
        // The lowest priority first, the heaviest among equals.
        std::stable_sort(records.begin(), records.end(), [](const auto &a, const auto &b) {
            return a.priority != b.priority ? a.priority < b.priority : a.weight > b.weight;
        });
        std::vector<FoundServer> servers;
        for (const MailDnsResolver::Service &r : records) {
            FoundServer s;
            s.host = withoutFinalDot(r.target);
            // A target of "." says that the service is not offered at this domain.
            if (!AutoconfigReader::usableHost(s.host) || r.port < 1 || r.port > 65535)
                continue;
            s.port = r.port;
            s.security = security;
            servers.push_back(s);
        }
        if (servers.empty()) {
            result.notes << QStringLiteral("DNS: no %1 record").arg(name);
            continue;
        }
        return take(servers, Source::Dns, QStringLiteral("DNS: ") + name, result);
    }
    return false;
}

bool AccountDiscovery::fromMx(const std::string &domain, const std::string &address, Result &result)
{
    const QString name = QString::fromStdString(domain);
    tell(QStringLiteral("DNS: MX of ") + name);
    const std::vector<std::string> hosts = m_resolver->mailExchangers(name);
    for (const std::string &host : hosts) {
        const std::string lower = QString::fromStdString(host).toLower().toStdString();
        if (const MailProvider *p = MailProviders::byMxHost(lower))
            return take({serverOf(*p, address)}, Source::MxHost,
                        QStringLiteral("the MX host %1 (%2)")
                            .arg(QString::fromStdString(withoutFinalDot(lower)),
                                 QString::fromUtf8(p->name.data(), qsizetype(p->name.size()))),
                        result);
    }
    result.notes << (hosts.empty() ? QStringLiteral("DNS: no MX host for %1").arg(name)
                                   : QStringLiteral("DNS: the MX host %1 belongs to no known provider")
                                         .arg(QString::fromStdString(withoutFinalDot(hosts.front()))));
    return false;
}

AccountDiscovery::Result AccountDiscovery::discover(const QString &address)
{
    Result result;
    m_cleartext.reset();
    const std::optional<Parts> parts = split(address);
    if (!parts) {
        result.notes << QStringLiteral("\"%1\" is no mail address").arg(address.trimmed().left(200));
        return result;
    }
    const std::string whole = parts->local + "@" + parts->domain;
    m_address = whole;
    const QString domain = QString::fromStdString(parts->domain);

    if (fromTable(*parts, whole, result))
        return result;

    const QUrl own(QStringLiteral("https://autoconfig.%1/mail/config-v1.1.xml?emailaddress=%2")
                       .arg(domain, QString::fromLatin1(QUrl::toPercentEncoding(QString::fromStdString(whole)))));
    if (fromDocument(own, Source::ProviderDocument, whole, result))
        return result;
    if (fromDocument(QUrl(QStringLiteral("https://%1/.well-known/autoconfig/mail/config-v1.1.xml").arg(domain)),
                     Source::ProviderDocument, whole, result))
        return result;

    if (!databaseUrl.trimmed().isEmpty()) {
        QString base = databaseUrl.trimmed();
        if (!base.endsWith(QLatin1Char('/')))
            base += QLatin1Char('/');
        const QUrl url(base + domain);
        if (url.scheme() != QLatin1String("https") || !url.isValid())
            result.notes << QStringLiteral("%1: skipped, the configuration database must be an https address").arg(base);
        else if (fromDocument(url, Source::Database, whole, result))
            return result;
    }

    if (m_resolver) {
        if (fromServices(parts->domain, result))
            return result;
        if (fromMx(parts->domain, whole, result))
            return result;
    }

    if (m_cleartext) {
        QStringList notes = result.notes;
        result = *m_cleartext;
        result.notes = notes;
        result.notes << QStringLiteral("Warning: %1 is reached without encryption; the password and the mails "
                                       "would travel readable")
                            .arg(serverText(*result.server));
    }
    return result;
}

QString AccountDiscovery::summary(const Result &result)
{
    QStringList lines;
    if (result.server) {
        const FoundServer &s = *result.server;
        lines << QStringLiteral("Found in %1.").arg(result.from) << QString()
              << QStringLiteral("Host: %1").arg(QString::fromStdString(s.host))
              << QStringLiteral("Port: %1").arg(s.port)
              << QStringLiteral("Security: %1")
                     .arg(s.security == SmtpSecurity::Tls        ? QStringLiteral("SSL/TLS")
                          : s.security == SmtpSecurity::StartTls ? QStringLiteral("STARTTLS")
                                                                 : QStringLiteral("None (not encrypted)"));
        switch (s.login) {
        case FoundServer::Login::Password:
            lines << QStringLiteral("Account: %1 (with your password)").arg(QString::fromStdString(s.user));
            break;
        case FoundServer::Login::OAuth2:
            lines << QStringLiteral("Account: %1 (signing in through the browser)").arg(QString::fromStdString(s.user));
            break;
        case FoundServer::Login::None:
            lines << QStringLiteral("No login");
            break;
        }
    } else {
        lines << QStringLiteral("No settings were found.");
    }
    QStringList warnings, others;
    for (const QString &note : result.notes)
        (note.startsWith(QLatin1String("Warning:")) ? warnings : others) << note;
    if (!warnings.isEmpty())
        lines << QString() << warnings;
    if (!others.isEmpty())
        lines << QString() << QStringLiteral("Passed over:") << others;
    return lines.join(QLatin1Char('\n'));
}
