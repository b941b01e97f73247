#include "config/ConfigState.h"

#include "config/ConfigFile.h"

ConfigState::ConfigState(PasswordKeyring *keyring)
    : password(keyring)
{
}

void ConfigState::load(ConfigSettings &settings, const QString &configPath)
{
    LoadConfig(settings, form, configPath);
    layout = LoadWindowLayout(settings, configPath);
    // A password the keyring cannot give is told on the SMTP page, never taken as empty.
    if (settings.ACC_SMTPPassInKeyring) {
        password.load(settings);
        form = ConfigForm::showing(settings);
    }
}
