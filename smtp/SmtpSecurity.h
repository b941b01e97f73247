#pragma once

#include <optional>
#include <string>
#include <string_view>

// How an SMTP session protects its connection.
//   Automatic: TLS from the first byte on port 465, otherwise STARTTLS whenever the
//              server offers it (then never on in cleartext).
//   Tls:       TLS from the first byte, on any port.
//   StartTls:  STARTTLS required: a server that does not offer it ends the attempt.
//   None:      never encrypted; the password and the mail travel readable.
enum class SmtpSecurity { Automatic, Tls, StartTls, None };

// The words Config.dat and vellorn-cli use: "auto", "tls", "starttls", "none".
namespace SmtpSecurityName {

std::string_view of(SmtpSecurity security);
// Without regard to case; nullopt for any other text.
std::optional<SmtpSecurity> parse(std::string_view text);

} // namespace SmtpSecurityName
