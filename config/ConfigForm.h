#pragma once

#include "NumberRange.h"

#include <QString>
#include <string>

struct ConfigSettings;

// The values of the configuration dialog's controls. LoadConfig fills them once at start;
// the dialog keeps them up to date as the user edits, also when the edits end with Cancel;
// SaveConfig writes the account and picture keys from them. They may therefore differ
// from the settings record, which changes only when they are saved. A number being typed
// may stand outside its range until its box loses the focus; SaveConfig writes it within
// the range. Texts are bytes in the file's code page, as the edit boxes hold them.
struct ConfigForm
{
    static constexpr NumberRange PictureSize{160, 1024}; // Edt_PW, Edt_PH
    static constexpr NumberRange SideMargin{0, 800};     // Edt_ML, Edt_MR
    static constexpr NumberRange EdgeMargin{25, 800};    // Edt_MT, Edt_MB
    static constexpr NumberRange Port{0, 999};           // Edt_Port
    static constexpr NumberRange Quality{0, 100};        // TB_Quality
    static constexpr int DefaultQuality = 75;

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

    std::string Edt_FromName;
    std::string Edt_FromAdd;
    std::string Edt_ReplyName;
    std::string Edt_ReplyAdd;

    // The controls showing the record's values: each number brought into its box's range.
    static ConfigForm showing(const ConfigSettings &settings);
    // A copy with every number within its range.
    ConfigForm clamped() const;

    // The help page of each page of the dialog, after the executable's folder.
    static QString helpPage(int page);
};
