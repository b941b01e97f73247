#pragma once

#include "config/ConfigForm.h"
#include "config/ConfigSettings.h"
#include "config/MainWindowLayout.h"
#include "config/SmtpPassword.h"

#include <QString>

class PasswordKeyring;

// What start-up reads from Config.dat beside the settings record, kept for the windows
// that show it and write it back: the configuration dialog's values (which the save at
// exit writes too), where the SMTP password is kept, and the main window's layout.
// Loading is one explicit step of start-up; no window reads the file when it is made.
class ConfigState
{
public:
    // Without a keyring (null) a password said to live there is reported unreadable.
    // The keyring keeps the accounts' OAuth2 sign-ins too (OAuthTokens::shared()); it
    // must outlive every use of those.
    explicit ConfigState(PasswordKeyring *keyring);

    // Fills the record (account, picture, spelling and box keys), the dialog's values and
    // the layout from the file, and the password from the keyring when the file says it
    // lives there.
    void load(ConfigSettings &settings, const QString &configPath);
    // The same, except that a password kept in the keyring is left unread (and the
    // record's password empty) until readPendingPassword: start-up paints its window first.
    void loadKeyringLater(ConfigSettings &settings, const QString &configPath);
    bool passwordPending() const { return m_passwordPending; }
    // Reads what loadKeyringLater left unread, as load would have; nothing when nothing is.
    void readPendingPassword(ConfigSettings &settings);

    ConfigForm form;
    SmtpPassword password;
    MainWindowLayout layout;

private:
    bool m_passwordPending = false;
};
