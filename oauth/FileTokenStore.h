#pragma once

#include "oauth/RefreshTokenStore.h"

// A refresh token in a file readable and writable by its owner only (mode 0600), written
// whole through a temporary file so that a token is never half replaced.
class FileTokenStore : public RefreshTokenStore
{
public:
    explicit FileTokenStore(QString path);

    std::optional<std::string> read() override;
    bool write(const std::string &token) override;
    bool remove() override;
    QString problem() const override { return m_problem; }
    const QString &path() const { return m_path; }

private:
    QString m_path;
    QString m_problem;
};
