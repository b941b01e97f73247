#include "oauth/FileTokenStore.h"

#include <QFile>
#include <QSaveFile>

namespace {
// A refresh token is a few hundred bytes up to a few kilobytes; anything far larger is no token.
constexpr qint64 kLargestToken = 64 * 1024;
} // namespace

FileTokenStore::FileTokenStore(QString path)
    : m_path(std::move(path))
{
}

std::optional<std::string> FileTokenStore::read()
{
    m_problem.clear();
    QFile file(m_path);
    if (!file.exists()) {
        m_problem = QStringLiteral("No refresh token is kept in %1: sign in first.").arg(m_path);
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestToken) {
        m_problem = QStringLiteral("The refresh token file %1 cannot be read.").arg(m_path);
        return std::nullopt;
    }
    const QByteArray token = file.readAll().trimmed();
    if (token.isEmpty()) {
        m_problem = QStringLiteral("The refresh token file %1 is empty: sign in first.").arg(m_path);
        return std::nullopt;
    }
    return token.toStdString();
}

bool FileTokenStore::write(const std::string &token)
{
    m_problem.clear();
    QSaveFile file(m_path);
    // Owner only before a byte of the token is written.
    if (!file.open(QIODevice::WriteOnly)
        || !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        || file.write(token.data(), static_cast<qint64>(token.size())) != static_cast<qint64>(token.size())
        || file.write("\n") != 1 || !file.commit()) {
        m_problem = QStringLiteral("The refresh token could not be written to %1: %2").arg(m_path, file.errorString());
        return false;
    }
    return true;
}

bool FileTokenStore::remove()
{
    m_problem.clear();
    if (QFile::exists(m_path) && !QFile::remove(m_path)) {
        m_problem = QStringLiteral("%1 could not be removed.").arg(m_path);
        return false;
    }
    return true;
}
