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
    LoadConfig(settings, form, configPath);
    OAuthTokens::shared().setFolder(QFileInfo(configPath).absolutePath());
    layout = LoadWindowLayout(settings, configPath);
    // A password the keyring cannot give is told on the SMTP page, never taken as empty.
    if (settings.ACC_SMTPPassInKeyring) {
        password.load(settings);
        form = ConfigForm::showing(settings);
    }
}
