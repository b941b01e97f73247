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

ConfigSettings ConfigSettings::firstRun()
{
    ConfigSettings s;
    s.PIC_W = 600;
    s.PIC_H = 800;
    s.PIC_ML = 10;
    s.PIC_MR = 10;
    s.PIC_MT = 25;
    s.PIC_MB = 25;
    s.PIC_Quality = 75;
    s.PIC_PageNumber = true;
    s.ACC_SMTPPort = 25;
    s.ACC_SMTPNeedLogin = true;
    s.BOX_CurrentBox = "UnsentBox";
    s.BOX_ShowContent = true;
    return s;
}
