#pragma once

#include "discovery/DocumentFetcher.h"

#include <QList>
#include <QSslCertificate>

// Fetches a document over HTTPS only, with the normal certificate checks (the system's
// store, plus the CA certificates given), within a time limit and a size cap: a body
// that grows beyond the cap is aborted while it arrives, never read whole. Redirects are
// followed to https addresses only. No credentials or cookies are ever sent.
class HttpsFetcher : public DocumentFetcher
{
public:
    static constexpr int DefaultTimeOutMs = 10000;
    static constexpr qint64 DefaultCap = 1024 * 1024;

    int timeOutMs = DefaultTimeOutMs;
    qint64 cap = DefaultCap;
    QList<QSslCertificate> extraCaCertificates;

    Reply get(const QUrl &url) override;
};
