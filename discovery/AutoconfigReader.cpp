#include "discovery/AutoconfigReader.h"

#include <QXmlStreamReader>

namespace {

// More outgoing servers than any provider lists; the rest of a document is not read.
constexpr std::size_t MaxServers = 16;

std::string replaced(std::string text, const std::string &placeholder, const std::string &value)
{
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
    return text;
}

// A user name from the document, or nullopt when it holds a control character (it would
// break the Config.dat line or the AUTH command).
std::optional<std::string> userName(const QString &pattern, const std::string &address)
{
    const std::size_t at = address.rfind('@');
    std::string user = pattern.trimmed().toStdString();
    user = replaced(user, "%EMAILADDRESS%", address);
    user = replaced(user, "%EMAILLOCALPART%", address.substr(0, at));
    user = replaced(user, "%EMAILDOMAIN%", at == std::string::npos ? std::string() : address.substr(at + 1));
    for (const unsigned char c : user)
        if (c < 0x20 || c == 0x7f)
            return std::nullopt;
    return user;
}

struct ServerEntry
{
    QString hostname, port, socketType, username;
    QStringList authentication;
};

// The server an entry describes, or nullopt when it cannot be used.
std::optional<FoundServer> serverOf(const ServerEntry &e, const std::string &address)
{
    FoundServer s;
    s.host = e.hostname.trimmed().toLower().toStdString();
    if (!AutoconfigReader::usableHost(s.host))
        return std::nullopt;
    bool ok = false;
    s.port = e.port.trimmed().toInt(&ok);
    if (!ok || s.port < 1 || s.port > 65535)
        return std::nullopt;
    const QString socket = e.socketType.trimmed().toUpper();
    if (socket == QLatin1String("SSL") || socket == QLatin1String("TLS"))
        s.security = SmtpSecurity::Tls;
    else if (socket == QLatin1String("STARTTLS"))
        s.security = SmtpSecurity::StartTls;
    else if (socket == QLatin1String("PLAIN"))
        s.security = SmtpSecurity::None;
    else
        return std::nullopt;
    // The first way of logging in the program can do, in the document's order.
    s.login = FoundServer::Login::Password;
    for (const QString &a : e.authentication) {
        const QString way = a.trimmed().toLower();
        if (way == QLatin1String("password-cleartext") || way == QLatin1String("password-encrypted")) {
            s.login = FoundServer::Login::Password;
            break;
        }
        if (way == QLatin1String("oauth2")) {
            s.login = FoundServer::Login::OAuth2;
            break;
        }
        if (way == QLatin1String("none")) {
            s.login = FoundServer::Login::None;
            break;
        }
    }
    const std::optional<std::string> user = userName(e.username, address);
    if (!user)
        return std::nullopt;
    s.user = *user;
    return s;
}

} // namespace

bool AutoconfigReader::usableHost(const std::string &host)
{
    if (host.empty() || host.size() > 253 || host.front() == '.' || host.front() == '-')
        return false;
    for (const char c : host)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'))
            return false;
    return true;
}

AutoconfigReader::Result AutoconfigReader::read(const QByteArray &document, const std::string &address)
{
    Result result;
    QXmlStreamReader xml(document);
    // Where the reader stands: clientConfig > emailProvider > outgoingServer > field.
    QStringList path;
    std::optional<ServerEntry> entry;
    bool smtpSeen = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::DTD) {
            // Entities (the "billion laughs") are never expanded: a document with a DTD is refused.
            result.servers.clear();
            result.problem = QStringLiteral("the document declares a DTD or entities, which are not read");
            return result;
        }
        if (token == QXmlStreamReader::StartElement) {
            path << xml.name().toString();
            if (path.size() == 1 && path.front() != QLatin1String("clientConfig")) {
                result.problem = QStringLiteral("the document is no mail client configuration (its root is <%1>)")
                                     .arg(path.front().left(40));
                return result;
            }
            if (path.size() == 3 && path[1] == QLatin1String("emailProvider")
                && path[2] == QLatin1String("outgoingServer")
                && xml.attributes().value(QLatin1String("type")).compare(QLatin1String("smtp"), Qt::CaseInsensitive) == 0) {
                smtpSeen = true;
                entry.emplace();
            } else if (entry && path.size() == 4) {
                const QString field = path[3];
                const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements);
                path.removeLast();
                if (field == QLatin1String("hostname"))
                    entry->hostname = text;
                else if (field == QLatin1String("port"))
                    entry->port = text;
                else if (field == QLatin1String("socketType"))
                    entry->socketType = text;
                else if (field == QLatin1String("username"))
                    entry->username = text;
                else if (field == QLatin1String("authentication"))
                    entry->authentication << text;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (entry && path.size() == 3) {
                if (result.servers.size() < MaxServers)
                    if (std::optional<FoundServer> server = serverOf(*entry, address))
                        result.servers.push_back(std::move(*server));
                entry.reset();
            }
            if (!path.isEmpty())
                path.removeLast();
        }
    }
    if (xml.hasError()) {
        result.servers.clear();
        result.problem = QStringLiteral("the document is not well-formed XML (line %1: %2)")
                             .arg(xml.lineNumber())
                             .arg(xml.errorString());
        return result;
    }
    if (result.servers.empty())
        result.problem = smtpSeen ? QStringLiteral("the document names no usable SMTP server")
                                  : QStringLiteral("the document names no SMTP server");
    return result;
}
