#pragma once

#include "config/ConfigSettings.h"
#include "config/NumberRange.h"

#include <QString>
#include <string>

// The values of the configuration dialog's controls. LoadConfig fills them at start and
// the dialog takes them over only when Save has written them; while it is closed they are
// the record's values as the dialog shows them. SaveConfig writes the account and picture
// keys from them, at exit too. A number being typed may stand outside its range until
// its box loses the focus; SaveConfig writes it within the range. Texts are bytes in the
// file's code page, as the edit boxes hold them.
struct ConfigForm
{
    static constexpr NumberRange PictureSize{160, 1024}; // Edt_PW, Edt_PH
    static constexpr NumberRange SideMargin{0, 800};     // Edt_ML, Edt_MR
    static constexpr NumberRange EdgeMargin{25, 800};    // Edt_MT, Edt_MB
    static constexpr NumberRange Port{1, 65535};         // Edt_Port
    static constexpr NumberRange Quality{0, 100};        // TB_Quality
    static constexpr int DefaultQuality = 75;
    static constexpr int PageCount = 3;

    int Edt_PW = 600;
    int Edt_PH = 800;
    int Edt_ML = 10;
    int Edt_MR = 10;
    int Edt_MT = 25;
    int Edt_MB = 25;
    int TB_Quality = DefaultQuality;
    bool CB_PN = true;
    bool CB_Progressive = true;
    bool CB_ShortLastPage = true;
    bool CB_FooterLink = true;

    std::string Edt_Host;
    int Edt_Port = 25;
    std::string Edt_User;
    std::string Edt_Pass;
    bool CKBox_NeedLogin = true;
    SmtpSecurity CBX_Security = SmtpSecurity::Automatic;

    std::string Edt_FromName;
    std::string Edt_FromAdd;
    std::string Edt_ReplyName;
    std::string Edt_ReplyAdd;

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
};
