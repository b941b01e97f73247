#pragma once

#include "config/ConfigField.h"
#include "config/ConfigKeys.h"
#include "smtp/SmtpSecurity.h"

#include <array>
#include <string>

// The process-wide settings record: one field per [System] key that sending, rendering
// and the windows read. Text fields are bytes as they stand in Config.dat. Each field is
// bound to its key in ConfigFields::settings below, which reading and saving walk.
struct ConfigSettings
{
    // A flag's value when its key is missing from the file, from the table of keys.
    static constexpr bool missingFlag(ConfigKey key) { return ConfigKeys::of(key).missing.number != 0; }

    int PIC_W = 0;
    int PIC_H = 0;
    int PIC_ML = 0;
    int PIC_MR = 0;
    int PIC_MT = 0;
    int PIC_MB = 0;
    int PIC_Quality = 0;
    bool PIC_PageNumber = false;
    // Keys beyond the first-run file, read as on when absent: progressive pictures, a last
    // page that ends below its last line, and the credit link at the end of the mail.
    bool PIC_Progressive = missingFlag(ConfigKey::PIC_Progressive);
    bool PIC_ShortLastPage = missingFlag(ConfigKey::PIC_ShortLastPage);
    bool PIC_FooterLink = missingFlag(ConfigKey::PIC_FooterLink);

    std::string ACC_FromName;
    std::string ACC_FromAdd;
    std::string ACC_ReplyName;
    std::string ACC_ReplyAdd;
    std::string ACC_SMTPHost;
    int ACC_SMTPPort = 0;
    bool ACC_SMTPNeedLogin = false;
    std::string ACC_SMTPUser;
    std::string ACC_SMTPPass;
    // Keys beyond the first-run file: the connection security ("auto" when absent), and
    // whether the password lives in the desktop's keyring (ACC_SMTPPass then stays empty
    // in the file; the record holds the password once it was read from there).
    SmtpSecurity ACC_SMTPSecurity = SmtpSecurity::Automatic;
    bool ACC_SMTPPassInKeyring = missingFlag(ConfigKey::ACC_SMTPPassInKeyring);

    int BOX_UIndex = 0;
    int BOX_SIndex = 0;
    int BOX_TIndex = 0;
    std::string BOX_CurrentBox;
    // The window layout's field, copied here when the layout is read or saved (the
    // mailbox window reads it from the record).
    bool BOX_ShowContent = false;

    // The composer's spell checking: on or off, and the dictionary's language ("en_US";
    // empty: the system's). Keys beyond the first-run file, written when changed.
    bool SPL_Check = missingFlag(ConfigKey::SPL_Check);
    std::string SPL_Language;

    // The mail size in MB above which attaching a file warns (a key beyond the first-run
    // file; 0 or less: never).
    int ACC_MailSizeLimit = ConfigKeys::of(ConfigKey::ACC_MailSizeLimit).missing.number;

    // The SMTP login by the browser's sign-in (keys beyond the first-run file): "Password"
    // or "OAuth2"; the provider preset, its endpoints, scope and client (an empty client
    // ID: the build's for the preset), and who signed in, as the provider named them.
    std::string ACC_SMTPAuth = std::string(ConfigKeys::of(ConfigKey::ACC_SMTPAuth).missing.text);
    std::string ACC_OAuthProvider;
    std::string ACC_OAuthAuthUrl;
    std::string ACC_OAuthTokenUrl;
    std::string ACC_OAuthScope;
    std::string ACC_OAuthClientId;
    std::string ACC_OAuthClientSecret;
    std::string ACC_OAuthAccount;
    bool smtpOAuth2() const { return ACC_SMTPAuth == "OAuth2"; }
    // The configuration database asked for an address's server (a key beyond the
    // first-run file, which the person sets in the file; empty: none is asked).
    std::string ACC_ConfigDatabase{ConfigKeys::of(ConfigKey::ACC_ConfigDatabase).missing.text};
    // The letter as a phone shows it (keys beyond the first-run file): pages drawn at twice
    // the pixels, every page as JPEG (otherwise the smaller of PNG and JPEG), the letter's
    // text visible below the pages, and the font new letters start in (empty: the desktop's
    // sans-serif face).
    bool PIC_Sharp = missingFlag(ConfigKey::PIC_Sharp);
    bool PIC_JpegOnly = missingFlag(ConfigKey::PIC_JpegOnly);
    bool PIC_TextBelow = missingFlag(ConfigKey::PIC_TextBelow);
    std::string LET_FontName;
    int LET_FontSize = ConfigKeys::of(ConfigKey::LET_FontSize).missing.number;

    // True when the SMTP host, user or password is empty after trimming blanks and
    // control characters: a send through SMTP needs all three, login or not.
    bool smtpAccountBlank() const;
    static constexpr const char *AccountBlankMessage =
        "One value of SMTP account is blank.\r\nClick Setting button to check it!";

    // The record every part of the program shares; created empty at start.
    static ConfigSettings &instance();
    // The values of a first-run Config.dat.
    static ConfigSettings firstRun();
};

namespace ConfigFields {

using K = ConfigKey;
using S = ConfigSettings;

// The record's fields and their keys, in the order SaveConfig writes them: the order a
// file without them gets them appended in, and the order of a new file's lines.
inline constexpr auto settings = std::to_array<ConfigField<ConfigSettings>>({
    {K::PIC_W, &S::PIC_W},
    {K::PIC_H, &S::PIC_H},
    {K::PIC_ML, &S::PIC_ML},
    {K::PIC_MR, &S::PIC_MR},
    {K::PIC_MT, &S::PIC_MT},
    {K::PIC_MB, &S::PIC_MB},
    {K::PIC_Quality, &S::PIC_Quality},
    {K::PIC_PageNumber, &S::PIC_PageNumber},
    {K::PIC_Progressive, &S::PIC_Progressive},
    {K::PIC_ShortLastPage, &S::PIC_ShortLastPage},
    {K::PIC_FooterLink, &S::PIC_FooterLink},
    {K::ACC_FromName, &S::ACC_FromName},
    {K::ACC_FromAdd, &S::ACC_FromAdd},
    {K::ACC_ReplyName, &S::ACC_ReplyName},
    {K::ACC_ReplyAdd, &S::ACC_ReplyAdd},
    {K::ACC_SMTPHost, &S::ACC_SMTPHost},
    {K::ACC_SMTPPort, &S::ACC_SMTPPort},
    {K::ACC_SMTPNeedLogin, &S::ACC_SMTPNeedLogin},
    {K::ACC_SMTPUser, &S::ACC_SMTPUser},
    // Written empty while the password lives in the keyring (SaveConfig sees to it).
    {K::ACC_SMTPPass, &S::ACC_SMTPPass},
    {K::ACC_SMTPSecurity, &S::ACC_SMTPSecurity},
    {K::ACC_SMTPPassInKeyring, &S::ACC_SMTPPassInKeyring},
    {K::ACC_MailSizeLimit, &S::ACC_MailSizeLimit},
    // Finding an account's server from its address.
    {K::ACC_ConfigDatabase, &S::ACC_ConfigDatabase, ConfigGroup::WhenChanged},
    {K::BOX_UIndex, &S::BOX_UIndex, ConfigGroup::Window},
    {K::BOX_SIndex, &S::BOX_SIndex, ConfigGroup::Window},
    {K::BOX_TIndex, &S::BOX_TIndex, ConfigGroup::Window},
    {K::BOX_CurrentBox, &S::BOX_CurrentBox, ConfigGroup::Window},
    {K::SPL_Check, &S::SPL_Check, ConfigGroup::Spelling},
    {K::SPL_Language, &S::SPL_Language, ConfigGroup::Spelling},
    // The SMTP login by the browser's sign-in.
    {K::ACC_SMTPAuth, &S::ACC_SMTPAuth},
    {K::ACC_OAuthProvider, &S::ACC_OAuthProvider},
    {K::ACC_OAuthAuthUrl, &S::ACC_OAuthAuthUrl},
    {K::ACC_OAuthTokenUrl, &S::ACC_OAuthTokenUrl},
    {K::ACC_OAuthScope, &S::ACC_OAuthScope},
    {K::ACC_OAuthClientId, &S::ACC_OAuthClientId},
    {K::ACC_OAuthClientSecret, &S::ACC_OAuthClientSecret},
    {K::ACC_OAuthAccount, &S::ACC_OAuthAccount},
    // The letter as a phone shows it.
    {K::PIC_Sharp, &S::PIC_Sharp},
    {K::PIC_JpegOnly, &S::PIC_JpegOnly},
    {K::PIC_TextBelow, &S::PIC_TextBelow},
    {K::LET_FontName, &S::LET_FontName},
    {K::LET_FontSize, &S::LET_FontSize},
});
static_assert(wellFormed(settings), "a field of ConfigFields::settings does not fit its key, or a key is bound twice");

} // namespace ConfigFields
