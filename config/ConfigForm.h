#pragma once

#include "config/ConfigKeys.h"
#include "config/ConfigSettings.h"
#include "config/NumberRange.h"

#include <QString>
#include <array>
#include <string>

// The values of the configuration dialog's controls. LoadConfig fills them at start and
// the dialog takes them over only when Save has written them; while it is closed they are
// the record's values as the dialog shows them. SaveConfig writes the account and picture
// keys from them, at exit too. A number being typed may stand outside its range until
// its box loses the focus; SaveConfig writes it within the range. Texts are bytes in the
// file's code page, as the edit boxes hold them. Each value is bound to its key in
// ConfigFields::form below: showing, clamping and applying walk that table.
struct ConfigForm
{
    static constexpr NumberRange PictureSize = *ConfigKeys::of(ConfigKey::PIC_W).range; // Edt_PW, Edt_PH
    static constexpr NumberRange SideMargin = *ConfigKeys::of(ConfigKey::PIC_ML).range;  // Edt_ML, Edt_MR
    static constexpr NumberRange EdgeMargin = *ConfigKeys::of(ConfigKey::PIC_MT).range;  // Edt_MT, Edt_MB
    static constexpr NumberRange Port = *ConfigKeys::of(ConfigKey::ACC_SMTPPort).range;  // Edt_Port
    static constexpr NumberRange Quality = *ConfigKeys::of(ConfigKey::PIC_Quality).range; // TB_Quality
    static constexpr NumberRange MailSize = *ConfigKeys::of(ConfigKey::ACC_MailSizeLimit).range; // Edt_SizeLimit
    static constexpr int DefaultQuality = ConfigKeys::of(ConfigKey::PIC_Quality).initial().number;
    static constexpr int PageCount = 3;

    // Until LoadConfig fills them: what a first-run file shows.
    int Edt_PW = number(ConfigKey::PIC_W);
    int Edt_PH = number(ConfigKey::PIC_H);
    int Edt_ML = number(ConfigKey::PIC_ML);
    int Edt_MR = number(ConfigKey::PIC_MR);
    int Edt_MT = number(ConfigKey::PIC_MT);
    int Edt_MB = number(ConfigKey::PIC_MB);
    int TB_Quality = DefaultQuality;
    bool CB_PN = number(ConfigKey::PIC_PageNumber) != 0;
    bool CB_Progressive = number(ConfigKey::PIC_Progressive) != 0;
    bool CB_ShortLastPage = number(ConfigKey::PIC_ShortLastPage) != 0;
    bool CB_FooterLink = number(ConfigKey::PIC_FooterLink) != 0;

    std::string Edt_Host;
    int Edt_Port = number(ConfigKey::ACC_SMTPPort);
    std::string Edt_User;
    std::string Edt_Pass;
    bool CKBox_NeedLogin = number(ConfigKey::ACC_SMTPNeedLogin) != 0;
    SmtpSecurity CBX_Security = SmtpSecurity::Automatic;
    int Edt_SizeLimit = ConfigKeys::of(ConfigKey::ACC_MailSizeLimit).missing.number;
    // The login by the browser's sign-in (config/windows/OAuthLoginBox).
    std::string CBX_Auth = std::string(ConfigKeys::of(ConfigKey::ACC_SMTPAuth).missing.text);
    std::string CBX_Provider;
    std::string Edt_AuthUrl;
    std::string Edt_TokenUrl;
    std::string Edt_Scope;
    std::string Edt_ClientId;
    std::string Edt_ClientSecret;
    // The configuration database Find settings asks; empty: none.
    std::string Edt_ConfigDatabase = std::string(ConfigKeys::of(ConfigKey::ACC_ConfigDatabase).missing.text);

    std::string Edt_FromName;
    std::string Edt_FromAdd;
    std::string Edt_ReplyName;
    std::string Edt_ReplyAdd;

    // The letter as a phone shows it.
    bool CB_Sharp = number(ConfigKey::PIC_Sharp) != 0;
    bool CB_JpegOnly = number(ConfigKey::PIC_JpegOnly) != 0;
    bool CB_TextBelow = number(ConfigKey::PIC_TextBelow) != 0;
    std::string CBX_LetterFont;
    int Edt_LetterFontSize = number(ConfigKey::LET_FontSize);

    // The controls showing the record's values: each number brought into its box's range.
    static ConfigForm showing(const ConfigSettings &settings);
    // A copy with every number within its range.
    ConfigForm clamped() const;
    // The record as a save of these values leaves it. A number still as the dialog showed
    // the record's value keeps the record's value, even one outside the box's range written
    // by hand (a port of 2525 before the range took it, a top margin of 20): opening and
    // saving never changes a value that was not edited. A number that was edited is brought
    // into its range; texts are trimmed of blanks.
    ConfigSettings appliedTo(const ConfigSettings &record) const;

    // The page Ctrl+Tab (step 1) or Ctrl+Shift+Tab (step -1) turns to, round the end.
    static int pageAfter(int page, int step);

    // The help page of each page of the dialog, after the executable's folder.
    static QString helpPage(int page);

private:
    static constexpr int number(ConfigKey key) { return ConfigKeys::of(key).initial().number; }
};

namespace ConfigFields {

// The dialog's values and the keys they show, each taken from and applied to the record's
// field of the same key. A number is shown within its key's range.
inline constexpr auto form = std::to_array<ConfigField<ConfigForm>>({
    {ConfigKey::PIC_W, &ConfigForm::Edt_PW},
    {ConfigKey::PIC_H, &ConfigForm::Edt_PH},
    {ConfigKey::PIC_ML, &ConfigForm::Edt_ML},
    {ConfigKey::PIC_MR, &ConfigForm::Edt_MR},
    {ConfigKey::PIC_MT, &ConfigForm::Edt_MT},
    {ConfigKey::PIC_MB, &ConfigForm::Edt_MB},
    {ConfigKey::PIC_Quality, &ConfigForm::TB_Quality},
    {ConfigKey::PIC_PageNumber, &ConfigForm::CB_PN},
    {ConfigKey::PIC_Progressive, &ConfigForm::CB_Progressive},
    {ConfigKey::PIC_ShortLastPage, &ConfigForm::CB_ShortLastPage},
    {ConfigKey::PIC_FooterLink, &ConfigForm::CB_FooterLink},
    {ConfigKey::ACC_SMTPHost, &ConfigForm::Edt_Host},
    {ConfigKey::ACC_SMTPPort, &ConfigForm::Edt_Port},
    {ConfigKey::ACC_SMTPUser, &ConfigForm::Edt_User},
    {ConfigKey::ACC_SMTPPass, &ConfigForm::Edt_Pass},
    {ConfigKey::ACC_SMTPNeedLogin, &ConfigForm::CKBox_NeedLogin},
    {ConfigKey::ACC_SMTPSecurity, &ConfigForm::CBX_Security},
    {ConfigKey::ACC_MailSizeLimit, &ConfigForm::Edt_SizeLimit},
    {ConfigKey::ACC_SMTPAuth, &ConfigForm::CBX_Auth},
    {ConfigKey::ACC_OAuthProvider, &ConfigForm::CBX_Provider},
    {ConfigKey::ACC_OAuthAuthUrl, &ConfigForm::Edt_AuthUrl},
    {ConfigKey::ACC_OAuthTokenUrl, &ConfigForm::Edt_TokenUrl},
    {ConfigKey::ACC_OAuthScope, &ConfigForm::Edt_Scope},
    {ConfigKey::ACC_OAuthClientId, &ConfigForm::Edt_ClientId},
    {ConfigKey::ACC_OAuthClientSecret, &ConfigForm::Edt_ClientSecret},
    {ConfigKey::ACC_ConfigDatabase, &ConfigForm::Edt_ConfigDatabase},
    {ConfigKey::ACC_FromName, &ConfigForm::Edt_FromName},
    {ConfigKey::ACC_FromAdd, &ConfigForm::Edt_FromAdd},
    {ConfigKey::ACC_ReplyName, &ConfigForm::Edt_ReplyName},
    {ConfigKey::ACC_ReplyAdd, &ConfigForm::Edt_ReplyAdd},
    // The letter as a phone shows it.
    {ConfigKey::PIC_Sharp, &ConfigForm::CB_Sharp},
    {ConfigKey::PIC_JpegOnly, &ConfigForm::CB_JpegOnly},
    {ConfigKey::PIC_TextBelow, &ConfigForm::CB_TextBelow},
    {ConfigKey::LET_FontName, &ConfigForm::CBX_LetterFont},
    {ConfigKey::LET_FontSize, &ConfigForm::Edt_LetterFontSize},
});

// Every value of the form has a field of its type in the record's keys the dialog saves, and
// every number a range to be shown within.
constexpr bool formBindsRecord()
{
    for (const ConfigField<ConfigForm> &f : form) {
        const auto field = find(settings, f.key);
        if (field == settings.end() ||
            (field->group != ConfigGroup::Settings && field->group != ConfigGroup::WhenChanged) ||
            field->member.index() != f.member.index())
            return false;
        if (std::holds_alternative<int ConfigForm::*>(f.member) && !f.entry().range)
            return false;
    }
    return wellFormed(form);
}
static_assert(formBindsRecord(), "a value of ConfigFields::form has no field of its type in the record, or no range");

} // namespace ConfigFields
