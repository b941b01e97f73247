#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// Fetches one configuration document. HttpsFetcher is the real one; tests answer from a table.
class DocumentFetcher
{
public:
    struct Reply
    {
        QByteArray body;
        // Empty on success; else what went wrong ("HTTP 404", "larger than 1 MB", ...).
        QString error;
        bool ok() const { return error.isEmpty(); }
    };

    virtual ~DocumentFetcher() = default;
    virtual Reply get(const QUrl &url) = 0;
};
