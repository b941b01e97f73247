#pragma once

#include "discovery/MailDnsResolver.h"

// MailDnsResolver over QDnsLookup and the system's name server, each question within a time limit.
class QtDnsResolver : public MailDnsResolver
{
public:
    int timeOutMs = 10000;

    std::vector<Service> services(const QString &name) override;
    std::vector<std::string> mailExchangers(const QString &domain) override;
};
