#pragma once

#include <QString>
#include <string>
#include <vector>

// The DNS questions the search for an account's server asks: SRV records (RFC 6186) and
// MX hosts. QtDnsResolver asks the system's name server; tests answer from a table, since
// QDnsLookup of Qt 6.4 cannot be pointed at a name server on another port than 53.
class MailDnsResolver
{
public:
    struct Service
    {
        std::string target;
        int port = 0;
        int priority = 0;
        int weight = 0;
    };

    virtual ~MailDnsResolver() = default;
    // The SRV records of `name` ("_submissions._tcp.example.org"), in any order.
    virtual std::vector<Service> services(const QString &name) = 0;
    // The MX hosts of `domain`, most preferred first.
    virtual std::vector<std::string> mailExchangers(const QString &domain) = 0;
};
