#include "config/KeyringTokenStore.h"

#include "os/PasswordKeyring.h"

KeyringTokenStore::KeyringTokenStore(PasswordKeyring *keyring, QString key, QString fallbackFile)
    : m_keyring(keyring)
    , m_key(std::move(key))
    , m_file(std::move(fallbackFile))
{
}

std::optional<std::string> KeyringTokenStore::read()
{
    m_problem.clear();
    if (m_keyring) {
        const PasswordKeyring::Result result = m_keyring->read(m_key);
        if (result.ok() && !result.password.empty())
            return result.password;
        if (result.status != PasswordKeyring::Status::NotFound && result.status != PasswordKeyring::Status::NoService) {
            // A locked or refusing keyring is told, not mistaken for no sign-in.
            if (std::optional<std::string> token = m_file.read())
                return token;
            m_problem = QStringLiteral("The sign-in could not be read from the desktop's keyring: ") + result.message;
            return std::nullopt;
        }
    }
    if (std::optional<std::string> token = m_file.read())
        return token;
    m_problem = QStringLiteral("Not signed in: sign in on the SMTP page of the configuration.");
    return std::nullopt;
}

bool KeyringTokenStore::write(const std::string &token)
{
    m_problem.clear();
    m_keyringProblem.clear();
    if (m_keyring) {
        const PasswordKeyring::Result result = m_keyring->write(m_key, token);
        if (result.ok()) {
            // An older token in the file is of no more use.
            m_file.remove();
            return true;
        }
        m_keyringProblem = result.message;
    }
    if (!m_file.write(token)) {
        m_problem = m_file.problem();
        return false;
    }
    return true;
}

bool KeyringTokenStore::remove()
{
    m_problem.clear();
    bool ok = m_file.remove();
    if (!ok)
        m_problem = m_file.problem();
    if (m_keyring) {
        const PasswordKeyring::Result result = m_keyring->remove(m_key);
        if (!result.ok() && result.status != PasswordKeyring::Status::NotFound
            && result.status != PasswordKeyring::Status::NoService) {
            m_problem = QStringLiteral("The sign-in could not be removed from the desktop's keyring: ") + result.message;
            ok = false;
        }
    }
    return ok;
}

QString KeyringTokenStore::where() const
{
    if (m_keyring && m_keyringProblem.isEmpty())
        return QStringLiteral("The sign-in is kept in the desktop's keyring.");
    const QString file = QStringLiteral("The sign-in is kept in %1, readable by you only").arg(m_file.path());
    if (m_keyringProblem.isEmpty())
        return file + QLatin1Char('.');
    return file + QStringLiteral(": the desktop's keyring could not keep it (") + m_keyringProblem + QLatin1Char(')');
}
