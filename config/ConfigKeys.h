#pragma once

#include "config/NumberRange.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

// Every key the program keeps in Config.dat, one row each: its section, its name, how its
// value is written, the value of a first-run file, the value read when the key is missing
// (or holds no number), and the range of the configuration dialog's box for it. The
// first-run file, LoadConfig, LoadWindowLayout, SaveConfig and the dialog's boxes take
// these from here. A new setting is a new row, its field in the record it fills, and the
// row that binds the two in that record's ConfigFields table (ConfigSettings.h,
// MainWindowLayout.h; ConfigForm.h for a box in the dialog), which reading and saving walk.
// The [Address List] and [Links] sections hold keys of the user's choosing and are not here.

// The keys, in the order of the table below.
enum class ConfigKey {
    PIC_W, PIC_H, PIC_ML, PIC_MR, PIC_MT, PIC_MB, PIC_Quality, PIC_PageNumber,
    PIC_Progressive, PIC_ShortLastPage, PIC_FooterLink,
    ACC_FromName, ACC_FromAdd, ACC_ReplyName, ACC_ReplyAdd, ACC_SMTPHost, ACC_SMTPPort,
    ACC_SMTPNeedLogin, ACC_SMTPUser, ACC_SMTPPass, ACC_SMTPSecurity, ACC_SMTPPassInKeyring,
    BOX_UIndex, BOX_SIndex, BOX_TIndex, BOX_Height, BOX_SortIndex, BOX_CurrentBox, BOX_ShowContent,
    WND_ShowTips, WND_State, WND_X, WND_Y, WND_W, WND_H,
    SPL_Check, SPL_Language,
    ACC_MailSizeLimit,
    ACC_SMTPAuth, ACC_OAuthProvider, ACC_OAuthAuthUrl, ACC_OAuthTokenUrl, ACC_OAuthScope, ACC_OAuthClientId,
    ACC_OAuthClientSecret, ACC_OAuthAccount,
    ACC_ConfigDatabase,
    // The letter as a phone shows it: sharp pages, their format, the words, the letter font.
    PIC_Sharp, PIC_JpegOnly, PIC_TextBelow, LET_FontName, LET_FontSize,
};

// How a value stands in the file.
enum class ConfigValueForm {
    Text,
    Integer,   // decimal, optionally signed (0x.. read as hexadecimal)
    Flag,      // "1" / "0"
    TrueFalse, // "True" / "False"
};

// A value of the table: a number (an integer, or a flag as 1 or 0) or a text.
struct ConfigValue
{
    constexpr ConfigValue(int value) : number(value) {}
    constexpr ConfigValue(const char *value) : text(value) {}

    int number = 0;
    std::string_view text;
};

struct ConfigKeyEntry
{
    ConfigKey key;
    std::string_view section;
    std::string_view name;
    ConfigValueForm form;
    // The value in a first-run Config.dat; none for the keys added since, which a
    // first-run file does not hold (it stays as it always was).
    std::optional<ConfigValue> firstRun;
    ConfigValue missing;
    // The configuration dialog's range for the number; none where no box shows it.
    std::optional<NumberRange> range;

    // What the program starts with when the file was just made.
    constexpr ConfigValue initial() const { return firstRun.value_or(missing); }
};

namespace ConfigKeys {

inline constexpr NumberRange PictureSide{160, 1024};
inline constexpr NumberRange SideMargin{0, 800};
// A page picture keeps room above and below its lines for the page number.
inline constexpr NumberRange EdgeMargin{25, 800};
inline constexpr NumberRange Port{1, 65535};
inline constexpr NumberRange Quality{0, 100};
// Megabytes; 0 asks nothing, and the store holds no mail near 2048 MB.
inline constexpr NumberRange MailSize{0, 2047};
// Points of a new letter's font.
inline constexpr NumberRange LetterFontSize{6, 72};

using F = ConfigValueForm;
constexpr std::string_view System = "System";

// The first-run file holds the rows that have a first-run value, in this order, which is
// the order its 30 lines have always had.
inline constexpr std::array table = {
    ConfigKeyEntry{ConfigKey::PIC_W, System, "PIC_W", F::Integer, 600, 600, PictureSide},
    ConfigKeyEntry{ConfigKey::PIC_H, System, "PIC_H", F::Integer, 800, 800, PictureSide},
    ConfigKeyEntry{ConfigKey::PIC_ML, System, "PIC_ML", F::Integer, 10, 10, SideMargin},
    ConfigKeyEntry{ConfigKey::PIC_MR, System, "PIC_MR", F::Integer, 10, 10, SideMargin},
    // A file without the top or bottom margin reads 20, which the dialog shows as 25.
    ConfigKeyEntry{ConfigKey::PIC_MT, System, "PIC_MT", F::Integer, 25, 20, EdgeMargin},
    ConfigKeyEntry{ConfigKey::PIC_MB, System, "PIC_MB", F::Integer, 25, 20, EdgeMargin},
    ConfigKeyEntry{ConfigKey::PIC_Quality, System, "PIC_Quality", F::Integer, 75, 75, Quality},
    ConfigKeyEntry{ConfigKey::PIC_PageNumber, System, "PIC_PageNumber", F::Flag, 1, 1, std::nullopt},
    // Progressive pictures, a last page that ends below its last line, the credit link.
    ConfigKeyEntry{ConfigKey::PIC_Progressive, System, "PIC_Progressive", F::Flag, std::nullopt, 1, std::nullopt},
    ConfigKeyEntry{ConfigKey::PIC_ShortLastPage, System, "PIC_ShortLastPage", F::Flag, std::nullopt, 1, std::nullopt},
    ConfigKeyEntry{ConfigKey::PIC_FooterLink, System, "PIC_FooterLink", F::Flag, std::nullopt, 1, std::nullopt},
    // Missing account texts read as one space, not as empty ones.
    ConfigKeyEntry{ConfigKey::ACC_FromName, System, "ACC_FromName", F::Text, "", " ", std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_FromAdd, System, "ACC_FromAdd", F::Text, "", " ", std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_ReplyName, System, "ACC_ReplyName", F::Text, "", " ", std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_ReplyAdd, System, "ACC_ReplyAdd", F::Text, "", " ", std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_SMTPHost, System, "ACC_SMTPHost", F::Text, "", " ", std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_SMTPPort, System, "ACC_SMTPPort", F::Integer, 25, 25, Port},
    ConfigKeyEntry{ConfigKey::ACC_SMTPNeedLogin, System, "ACC_SMTPNeedLogin", F::TrueFalse, 1, 1, std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_SMTPUser, System, "ACC_SMTPUser", F::Text, "", " ", std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_SMTPPass, System, "ACC_SMTPPass", F::Text, "", " ", std::nullopt},
    // An unknown word reads as "auto" too, which never sends in cleartext where the server
    // offers encryption.
    ConfigKeyEntry{ConfigKey::ACC_SMTPSecurity, System, "ACC_SMTPSecurity", F::Text, std::nullopt, "auto", std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_SMTPPassInKeyring, System, "ACC_SMTPPassInKeyring", F::Flag, std::nullopt, 0,
                   std::nullopt},
    ConfigKeyEntry{ConfigKey::BOX_UIndex, System, "BOX_UIndex", F::Integer, 0, 0, std::nullopt},
    ConfigKeyEntry{ConfigKey::BOX_SIndex, System, "BOX_SIndex", F::Integer, 0, 0, std::nullopt},
    ConfigKeyEntry{ConfigKey::BOX_TIndex, System, "BOX_TIndex", F::Integer, 0, 0, std::nullopt},
    ConfigKeyEntry{ConfigKey::BOX_Height, System, "BOX_Height", F::Integer, 140, 140, std::nullopt},
    ConfigKeyEntry{ConfigKey::BOX_SortIndex, System, "BOX_SortIndex", F::Integer, 4, 4, std::nullopt},
    ConfigKeyEntry{ConfigKey::BOX_CurrentBox, System, "BOX_CurrentBox", F::Text, "UnsentBox", "UnsentBox",
                   std::nullopt},
    ConfigKeyEntry{ConfigKey::BOX_ShowContent, System, "BOX_ShowContent", F::Flag, 1, 1, std::nullopt},
    ConfigKeyEntry{ConfigKey::WND_ShowTips, System, "WND_ShowTips", F::Flag, 1, 1, std::nullopt},
    // Anything but "Max" places the window by its bounds.
    ConfigKeyEntry{ConfigKey::WND_State, System, "WND_State", F::Text, "Normal", " ", std::nullopt},
    ConfigKeyEntry{ConfigKey::WND_X, System, "WND_X", F::Integer, 20, 10, std::nullopt},
    ConfigKeyEntry{ConfigKey::WND_Y, System, "WND_Y", F::Integer, 30, 10, std::nullopt},
    ConfigKeyEntry{ConfigKey::WND_W, System, "WND_W", F::Integer, 700, 700, std::nullopt},
    ConfigKeyEntry{ConfigKey::WND_H, System, "WND_H", F::Integer, 480, 480, std::nullopt},
    // The composer's spell checking; an empty language is the system's.
    ConfigKeyEntry{ConfigKey::SPL_Check, System, "SPL_Check", F::Flag, std::nullopt, 1, std::nullopt},
    ConfigKeyEntry{ConfigKey::SPL_Language, System, "SPL_Language", F::Text, std::nullopt, "", std::nullopt},
    // The size in MB above which attaching a file warns that servers may refuse the mail
    // (most refuse 25 MB); 0 or less: no warning.
    ConfigKeyEntry{ConfigKey::ACC_MailSizeLimit, System, "ACC_MailSizeLimit", F::Integer, std::nullopt, 25,
                   MailSize},
    // The SMTP login: "Password" (also when absent) or "OAuth2", signing in with the
    // browser; the provider preset ("Google", "Microsoft", "Custom"), its endpoints, scope
    // and client, and who signed in. The refresh token is never kept here.
    ConfigKeyEntry{ConfigKey::ACC_SMTPAuth, System, "ACC_SMTPAuth", F::Text, std::nullopt, "Password", std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_OAuthProvider, System, "ACC_OAuthProvider", F::Text, std::nullopt, "", std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_OAuthAuthUrl, System, "ACC_OAuthAuthUrl", F::Text, std::nullopt, "", std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_OAuthTokenUrl, System, "ACC_OAuthTokenUrl", F::Text, std::nullopt, "", std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_OAuthScope, System, "ACC_OAuthScope", F::Text, std::nullopt, "", std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_OAuthClientId, System, "ACC_OAuthClientId", F::Text, std::nullopt, "", std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_OAuthClientSecret, System, "ACC_OAuthClientSecret", F::Text, std::nullopt, "",
                   std::nullopt},
    ConfigKeyEntry{ConfigKey::ACC_OAuthAccount, System, "ACC_OAuthAccount", F::Text, std::nullopt, "", std::nullopt},
    // Finding an account's server from its address: the configuration database asked with
    // the address's domain (<base>/<domain>); empty: never asked. The default is the public
    // database desktop mail programs use.
    ConfigKeyEntry{ConfigKey::ACC_ConfigDatabase, System, "ACC_ConfigDatabase", F::Text, std::nullopt,
                   "https://autoconfig.thunderbird.net/v1.1/", std::nullopt},
    // The letter as a phone shows it, keys beyond the first-run file: pages at twice the
    // pixels, JPEG for every page rather than the smaller of PNG and JPEG, the letter's text
    // as visible HTML below the pages, and the font new letters start in (an empty name:
    // the desktop's sans-serif face).
    ConfigKeyEntry{ConfigKey::PIC_Sharp, System, "PIC_Sharp", F::Flag, std::nullopt, 1, std::nullopt},
    ConfigKeyEntry{ConfigKey::PIC_JpegOnly, System, "PIC_JpegOnly", F::Flag, std::nullopt, 0, std::nullopt},
    ConfigKeyEntry{ConfigKey::PIC_TextBelow, System, "PIC_TextBelow", F::Flag, std::nullopt, 0, std::nullopt},
    ConfigKeyEntry{ConfigKey::LET_FontName, System, "LET_FontName", F::Text, std::nullopt, "", std::nullopt},
    ConfigKeyEntry{ConfigKey::LET_FontSize, System, "LET_FontSize", F::Integer, std::nullopt, 12, LetterFontSize},
};

constexpr const ConfigKeyEntry &of(ConfigKey key)
{
    return table[static_cast<std::size_t>(key)];
}

// Each row stands at its key's place, so that of() finds it.
constexpr bool rowsInKeyOrder()
{
    for (std::size_t i = 0; i < table.size(); ++i)
        if (static_cast<std::size_t>(table[i].key) != i)
            return false;
    return true;
}
static_assert(rowsInKeyOrder(), "a row of ConfigKeys::table is out of the order of ConfigKey");

} // namespace ConfigKeys
