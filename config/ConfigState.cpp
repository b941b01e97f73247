#include "config/ConfigState.h"

#include "config/ConfigFile.h"
#include "config/OAuthTokens.h"

#include <QFileInfo>

ConfigState::ConfigState(PasswordKeyring *keyring)
    : password(keyring)
{
    // The sign-ins of the accounts are kept through the same keyring as the password.
    OAuthTokens::shared().setKeyring(keyring);
}

void ConfigState::load(ConfigSettings &settings, const QString &configPath)
{
    loadKeyringLater(settings, configPath);
    readPendingPassword(settings);
}

void ConfigState::loadKeyringLater(ConfigSettings &settings, const QString &configPath)
{
    LoadConfig(settings, form, configPath);
    OAuthTokens::shared().setFolder(QFileInfo(configPath).absolutePath());
    layout = LoadWindowLayout(settings, configPath);
    m_passwordPending = settings.ACC_SMTPPassInKeyring;
    if (m_passwordPending)
        settings.ACC_SMTPPass.clear();
}

void ConfigState::readPendingPassword(ConfigSettings &settings)
{
    if (!m_passwordPending)
        return;
    m_passwordPending = false;
    // A password the keyring cannot give is told on the SMTP page, never taken as empty.
    password.load(settings);
    form = ConfigForm::showing(settings);
}
