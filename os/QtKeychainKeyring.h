#pragma once

#include "os/PasswordKeyring.h"

// The desktop's keyring through QtKeychain (the Secret Service on Linux, as GNOME's and
// KDE's keyrings provide it). Each call starts a QtKeychain job and waits for it in a
// local event loop, so the windows keep painting and answering; a job that does not end
// within TimeOutMs is given up (a locked keyring may be asking the person to unlock it).
class QtKeychainKeyring : public PasswordKeyring
{
public:
    // The service the entries belong to.
    static constexpr const char *Service = "Vellorn Composer";
    int TimeOutMs = 20000;

    Result read(const QString &key) override;
    Result write(const QString &key, const std::string &password) override;
    Result remove(const QString &key) override;
};
