#pragma once

#include "oauth/FileTokenStore.h"
#include "oauth/RefreshTokenStore.h"

class PasswordKeyring;

// A refresh token in the desktop's keyring under one key; where no keyring answers (or
// it refuses), in a file readable by its owner only, as the password goes to Config.dat
// then. Reading looks in the keyring first, then in the file.
class KeyringTokenStore : public RefreshTokenStore
{
public:
    // Without a keyring (null) the file is used.
    KeyringTokenStore(PasswordKeyring *keyring, QString key, QString fallbackFile);

    std::optional<std::string> read() override;
    bool write(const std::string &token) override;
    bool remove() override;
    QString problem() const override { return m_problem; }

    // Where a token written now is kept, in words for the configuration page.
    QString where() const;

private:
    PasswordKeyring *m_keyring;
    QString m_key;
    FileTokenStore m_file;
    QString m_problem;
    QString m_keyringProblem; // why the keyring could not keep the last token
};
