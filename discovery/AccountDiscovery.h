#pragma once

#include "discovery/FoundServer.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class DocumentFetcher;
class MailDnsResolver;
class QUrl;

// Finds the outgoing server of an address as desktop mail programs do, trying in order
// and stopping at the first source that answers:
//   1. the built-in table of providers (config/MailProviders), by the address's domain;
//   2. the provider's own document: https://autoconfig.<domain>/mail/config-v1.1.xml
//      ?emailaddress=<address>, then https://<domain>/.well-known/autoconfig/mail/config-v1.1.xml;
//   3. the configuration database, <base>/<domain> (the domain is all it is told);
//   4. DNS: SRV _submissions._tcp.<domain> (TLS), then _submission._tcp.<domain> (STARTTLS);
//   5. the domain's MX host, when a provider of the table runs it.
// A source that names only cleartext servers does not stop the search: its server is
// chosen, with a warning, only when no later source names another. No password is
// involved: the search never has one.
class AccountDiscovery
{
public:
    enum class Source { None, BuiltInTable, ProviderDocument, Database, Dns, MxHost };

    struct Result
    {
        // The server to use; nullopt when no source named one.
        std::optional<FoundServer> server;
        // Every server the answering source named, the chosen one among them.
        std::vector<FoundServer> offered;
        Source source = Source::None;
        // Where the settings came from, for people: "the built-in table (Google)", the
        // document's address, "DNS: _submissions._tcp.example.org", ...
        QString from;
        // Each source tried without an answer, and why; warnings about the servers found.
        QStringList notes;
    };

    // `resolver` may be null: then no DNS question is asked.
    AccountDiscovery(DocumentFetcher &fetcher, MailDnsResolver *resolver);

    // The configuration database's base address; empty: not asked.
    QString databaseUrl;
    // Told before each source is tried ("the built-in table", a URL, a DNS name).
    std::function<void(const QString &source)> trying;

    Result discover(const QString &address);

    // The address split into its local part and its domain (lower case, in ASCII form),
    // or nullopt when it is no address a server could be found for.
    struct Parts
    {
        std::string local;
        std::string domain;
    };
    static std::optional<Parts> split(const QString &address);
    // The source's name in words ("built-in table", "provider's document", ...).
    static QString sourceName(Source source);
    // The result for people, in lines: where it came from, the server, the login, the
    // notes (the warnings among them first).
    static QString summary(const Result &result);

private:
    bool fromTable(const Parts &parts, const std::string &address, Result &result);
    bool fromDocument(const QUrl &url, Source source, const std::string &address, Result &result);
    bool fromServices(const std::string &domain, Result &result);
    bool fromMx(const std::string &domain, const std::string &address, Result &result);
    // Takes the servers a source named; true when the search may stop.
    bool take(std::vector<FoundServer> servers, Source source, const QString &from, Result &result);
    void tell(const QString &source) const;

    DocumentFetcher &m_fetcher;
    MailDnsResolver *m_resolver;
    std::string m_address;
    // A source that named cleartext servers only, kept in case nothing better is found.
    std::optional<Result> m_cleartext;
};
