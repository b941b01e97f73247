#pragma once

#include "os/PasswordKeyring.h"

#include <QMap>

// A keyring in memory, for tests and demonstrations: it answers as told (`status`
// other than Ok makes every call fail that way) and counts the calls.
class MemoryKeyring : public PasswordKeyring
{
public:
    QMap<QString, std::string> entries;
    Status status = Status::Ok;
    int calls = 0;

    Result read(const QString &key) override
    {
        ++calls;
        if (status != Status::Ok)
            return failure();
        if (!entries.contains(key))
            return {Status::NotFound, {}, QStringLiteral("The keyring holds no password for %1.").arg(key)};
        return {Status::Ok, entries.value(key), {}};
    }
    Result write(const QString &key, const std::string &password) override
    {
        ++calls;
        if (status != Status::Ok)
            return failure();
        entries.insert(key, password);
        return {Status::Ok, {}, {}};
    }
    Result remove(const QString &key) override
    {
        ++calls;
        if (status != Status::Ok)
            return failure();
        entries.remove(key);
        return {Status::Ok, {}, {}};
    }

private:
    Result failure() const { return {status, {}, QStringLiteral("The keyring refused (as the test asked).")}; }
};
