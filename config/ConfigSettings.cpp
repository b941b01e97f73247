#include "config/ConfigSettings.h"
#include "text/TextRules.h"

#include <algorithm>

namespace {

bool blank(const std::string &text)
{
    return TextRules::isBlankOrControlOnly(text);
}

} // namespace

bool ConfigSettings::smtpAccountBlank() const
{
    // A login by the browser's sign-in has no password.
    return blank(ACC_SMTPHost) || blank(ACC_SMTPUser) || (!smtpOAuth2() && blank(ACC_SMTPPass));
}

ConfigSettings &ConfigSettings::instance()
{
    static ConfigSettings settings;
    return settings;
}
