#include "config/SmtpPassword.h"

#include "config/ConfigFile.h"
#include "os/AppError.h"
#include "os/PasswordKeyring.h"
#include "text/StoredText.h"

#include <QFile>

SmtpPassword::SmtpPassword(PasswordKeyring *keyring)
    : m_keyring(keyring)
{
}

QString SmtpPassword::keyOf(const ConfigSettings &s)
{
    return QStringLiteral("smtp:") + StoredText::toQString(s.ACC_SMTPUser) + QLatin1Char('@')
           + StoredText::toQString(s.ACC_SMTPHost);
}

bool SmtpPassword::load(ConfigSettings &s)
{
    m_problem.clear();
    m_unread = false;
    if (!s.ACC_SMTPPassInKeyring)
        return true;
    s.ACC_SMTPPass.clear();
    if (!m_keyring) {
        m_problem = QStringLiteral("The SMTP password is kept in the desktop's keyring, which this program cannot reach.");
        m_unread = true;
        return false;
    }
    const PasswordKeyring::Result result = m_keyring->read(keyOf(s));
    if (!result.ok()) {
        m_problem = QStringLiteral("The SMTP password could not be read from the desktop's keyring: ") + result.message;
        m_unread = true;
        return false;
    }
    s.ACC_SMTPPass = result.password;
    return true;
}

void SmtpPassword::place(ConfigSettings &s, const ConfigSettings &before)
{
    if (s.ACC_SMTPPass.empty()) {
        // Nothing typed over a password the keyring still holds: it stays there.
        s.ACC_SMTPPassInKeyring = before.ACC_SMTPPassInKeyring && m_unread && keyOf(s) == keyOf(before);
        return;
    }
    s.ACC_SMTPPassInKeyring = false;
    if (!m_keyring)
        return;
    const PasswordKeyring::Result result = m_keyring->write(keyOf(s), s.ACC_SMTPPass);
    if (!result.ok()) {
        m_problem = result.message;
        return;
    }
    m_problem.clear();
    m_unread = false;
    s.ACC_SMTPPassInKeyring = true;
    // The entry of an account renamed since is of no more use.
    if (before.ACC_SMTPPassInKeyring && keyOf(before) != keyOf(s))
        m_keyring->remove(keyOf(before));
}

QString SmtpPassword::where(const ConfigSettings &s) const
{
    if (s.ACC_SMTPPassInKeyring)
        return m_problem.isEmpty() ? QStringLiteral("The password is kept in the desktop's keyring.") : m_problem;
    if (m_problem.isEmpty())
        return QStringLiteral("The password is kept in Config.dat, readable by you only.");
    return QStringLiteral("The password is kept in Config.dat, readable by you only: the desktop's keyring could not "
                          "keep it (") + m_problem + QLatin1Char(')');
}

void SmtpPassword::saveForm(ConfigSettings &settings, const ConfigForm &form, const MainWindowLayout &layout,
                            const QString &configPath)
{
    const ConfigSettings before = settings;
    ConfigSettings next = form.appliedTo(settings);
    place(next, before);
    settings.ACC_SMTPPassInKeyring = next.ACC_SMTPPassInKeyring;
    try {
        SaveConfig(settings, form, layout, configPath);
    } catch (const AppError &) {
        settings.ACC_SMTPPassInKeyring = before.ACC_SMTPPassInKeyring;
        throw;
    }
    if (!settings.ACC_SMTPPassInKeyring && !settings.ACC_SMTPPass.empty())
        protectFile(configPath);
}

bool SmtpPassword::protectFile(const QString &path)
{
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
