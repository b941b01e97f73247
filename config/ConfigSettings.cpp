#include "config/ConfigSettings.h"

#include <algorithm>

namespace {

bool blank(const std::string &text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

} // namespace

bool ConfigSettings::smtpAccountBlank() const
{
    return blank(ACC_SMTPHost) || blank(ACC_SMTPUser) || blank(ACC_SMTPPass);
}

ConfigSettings &ConfigSettings::instance()
{
    static ConfigSettings settings;
    return settings;
}
