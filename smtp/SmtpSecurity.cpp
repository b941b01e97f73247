#include "smtp/SmtpSecurity.h"

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

bool sameNoCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

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
        if (sameNoCase(text, name))
            return value;
    return std::nullopt;
}
