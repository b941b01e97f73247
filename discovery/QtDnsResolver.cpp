#include "discovery/QtDnsResolver.h"

#include <QDnsLookup>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace {

// Runs the lookup to its end or the time limit; true when it answered without error.
bool run(QDnsLookup &lookup, int timeOutMs)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] { lookup.abort(); });
    QObject::connect(&lookup, &QDnsLookup::finished, &loop, &QEventLoop::quit);
    timer.start(timeOutMs);
    lookup.lookup();
    if (!lookup.isFinished())
        loop.exec();
    return lookup.error() == QDnsLookup::NoError;
}

} // namespace

std::vector<MailDnsResolver::Service> QtDnsResolver::services(const QString &name)
{
    QDnsLookup lookup(QDnsLookup::SRV, name);
    std::vector<Service> found;
    if (!run(lookup, timeOutMs))
        return found;
    for (const QDnsServiceRecord &r : lookup.serviceRecords())
        found.push_back({r.target().toStdString(), r.port(), r.priority(), r.weight()});
    return found;
}

std::vector<std::string> QtDnsResolver::mailExchangers(const QString &domain)
{
    QDnsLookup lookup(QDnsLookup::MX, domain);
    std::vector<std::string> found;
    if (!run(lookup, timeOutMs))
        return found;
    QList<QDnsMailExchangeRecord> records = lookup.mailExchangeRecords();
    std::stable_sort(records.begin(), records.end(),
                     [](const auto &a, const auto &b) { return a.preference() < b.preference(); });
    for (const QDnsMailExchangeRecord &r : records)
        found.push_back(r.exchange().toStdString());
    return found;
}
