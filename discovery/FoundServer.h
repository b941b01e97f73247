#pragma once

#include "smtp/SmtpSecurity.h"

#include <string>

// One outgoing server a source named for an address: where it is, how the connection is
// protected, and how the mail program logs in there.
struct FoundServer
{
    enum class Login { Password, OAuth2, None };

    std::string host;
    int port = 587;
    // Tls (from the first byte), StartTls, or None for a server reached in cleartext only.
    SmtpSecurity security = SmtpSecurity::StartTls;
    Login login = Login::Password;
    // The login name, placeholders already filled in; empty: the address.
    std::string user;

    bool cleartextOnly() const { return security == SmtpSecurity::None; }
};
