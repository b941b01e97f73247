#pragma once

#include "config/ConfigForm.h"
#include "config/ConfigSettings.h"
#include "config/MainWindowLayout.h"

#include <QString>

class PasswordKeyring;

// Where the SMTP password is kept: in the desktop's keyring when a keyring service
// answers (Config.dat then holds ACC_SMTPPass= empty and ACC_SMTPPassInKeyring=1), else
// in Config.dat as always, readable by its owner only. A password in the file moves into
// the keyring at the next save from the configuration dialog. A password that could not
// be read from the keyring is never taken as an empty one: the problem is told, and a
// save without a new password leaves the keyring's entry in charge.
class SmtpPassword
{
public:
    // Without a keyring (null) the password stays in the file.
    explicit SmtpPassword(PasswordKeyring *keyring);

    // The keyring entry of the record's account: "smtp:USER@HOST".
    static QString keyOf(const ConfigSettings &settings);

    // Reads the password into the record when the record says it lives in the keyring.
    // False when it could not be read; problem() then says why, and the record's
    // password is empty.
    bool load(ConfigSettings &settings);

    // Before a save writes the file: puts the record's password where it is to be kept
    // and sets the record's ACC_SMTPPassInKeyring. `before` is the record as last saved.
    void place(ConfigSettings &settings, const ConfigSettings &before);

    // Saves a form typed in a window, as the configuration dialog's Save does: the password
    // where it is to be kept first (the file holds it only when the keyring could not),
    // then Config.dat, readable by its owner only when it holds the password. Throws
    // AppError when the file cannot be written, the record's keyring flag left as it was.
    void saveForm(ConfigSettings &settings, const ConfigForm &form, const MainWindowLayout &layout,
                  const QString &configPath);

    // Where the record's password is kept, in words for the configuration dialog.
    QString where(const ConfigSettings &settings) const;

    // Why the last load or place could not use the keyring; empty when it could.
    const QString &problem() const { return m_problem; }

    // Makes the file readable and writable by its owner only (it holds a password).
    static bool protectFile(const QString &path);

private:
    PasswordKeyring *m_keyring;
    QString m_problem;
    bool m_unread = false; // the last load failed: the keyring still holds the password
};
