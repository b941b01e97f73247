#include "smtp/SmtpSecurity.h"
#include "text/TextRules.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<SmtpSecurity, std::string_view>, 4> Names{{
    {SmtpSecurity::Automatic, "auto"},
    {SmtpSecurity::Tls, "tls"},
    {SmtpSecurity::StartTls, "starttls"},
    {SmtpSecurity::None, "none"},
}};

} // namespace

std::string_view SmtpSecurityName::of(SmtpSecurity security)
{
    for (const auto &[value, name] : Names)
        if (value == security)
            return name;
    return "auto";
}

std::optional<SmtpSecurity> SmtpSecurityName::parse(std::string_view text)
{
    for (const auto &[value, name] : Names)
        if (TextRules::equalsIgnoringAsciiCase(text, name))
            return value;
    return std::nullopt;
}
