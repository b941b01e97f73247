#pragma once

#include "mailbox/BoxCode.h"

#include <QString>
#include <array>
#include <optional>
#include <string_view>

struct ConfigSettings;

// How a box is named wherever it appears: its byte in MailBox.dat, its name in Config.dat
// (BOX_CurrentBox), its item and caption in the main window's box selector, and the settings
// field that remembers its selected row (BOX_UIndex, BOX_SIndex, BOX_TIndex). The deleted
// mark is a code but no box: it has no name, no item and no remembered row.
class BoxTable
{
public:
    // The three boxes in the order of the box selector's items.
    static constexpr std::array<BoxCode, 3> Boxes = {BoxCode::Sent, BoxCode::Unsent, BoxCode::Trash};

    static constexpr char byte(BoxCode code) { return static_cast<char>(code); }
    // The code a record's byte stands for; nothing for a byte that is no code.
    static std::optional<BoxCode> fromByte(char byte);
    // The box of a Config.dat name ("SentBox", "UnsentBox", "TrashBox", matched exactly).
    static std::optional<BoxCode> fromIniName(std::string_view name);
    // The box of a selector item (0 to 2).
    static std::optional<BoxCode> fromSelectorItem(int item);

    // "SentBox", "UnsentBox", "TrashBox"; empty for the deleted mark.
    static const char *iniName(BoxCode code);
    // 0 sent, 1 unsent, 2 trash; -1 for the deleted mark.
    static int selectorItem(BoxCode code);
    // "Sent Box", "UnSent Box", "Trash Box"; empty for the deleted mark.
    static QString selectorCaption(BoxCode code);
    // The settings field that remembers the box's selected row; null for the deleted mark.
    static int *rememberedRow(ConfigSettings &settings, BoxCode code);
};
