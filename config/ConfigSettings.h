#pragma once

#include "config/ConfigKeys.h"
#include "smtp/SmtpSecurity.h"

#include <string>

// The process-wide settings record: one field per [System] key that sending, rendering
// and the windows read. Text fields are bytes as they stand in Config.dat.
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
    bool BOX_ShowContent = false;

    // The composer's spell checking: on or off, and the dictionary's language ("en_US";
    // empty: the system's). Keys beyond the first-run file, written when changed.
    bool SPL_Check = missingFlag(ConfigKey::SPL_Check);
    std::string SPL_Language;

    // The mail size in MB above which attaching a file warns (a key beyond the first-run
    // file; 0 or less: never).
    int ACC_MailSizeLimit = ConfigKeys::of(ConfigKey::ACC_MailSizeLimit).missing.number;

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
