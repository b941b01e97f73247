#include "mailbox/BoxTable.h"

#include "config/ConfigSettings.h"

namespace {

struct Entry
{
    BoxCode code;
    const char *iniName;
    int selectorItem;
    const char *selectorCaption;
    int ConfigSettings::*rememberedRow;
};

// The one table; the selector items are the rows' indexes.
constexpr Entry Table[] = {
    {BoxCode::Sent, "SentBox", 0, "Sent Box", &ConfigSettings::BOX_SIndex},
    {BoxCode::Unsent, "UnsentBox", 1, "UnSent Box", &ConfigSettings::BOX_UIndex},
    {BoxCode::Trash, "TrashBox", 2, "Trash Box", &ConfigSettings::BOX_TIndex},
    {BoxCode::Deleted, "", -1, "", nullptr},
};

const Entry *find(BoxCode code)
{
    for (const Entry &e : Table)
        if (e.code == code)
            return &e;
    return nullptr;
}

} // namespace

std::optional<BoxCode> BoxTable::fromByte(char byte)
{
    for (const Entry &e : Table)
        if (BoxTable::byte(e.code) == byte)
            return e.code;
    return std::nullopt;
}

std::optional<BoxCode> BoxTable::fromIniName(std::string_view name)
{
    for (const Entry &e : Table)
        if (e.selectorItem >= 0 && name == e.iniName)
            return e.code;
    return std::nullopt;
}

std::optional<BoxCode> BoxTable::fromSelectorItem(int item)
{
    for (const Entry &e : Table)
        if (e.selectorItem >= 0 && e.selectorItem == item)
            return e.code;
    return std::nullopt;
}

const char *BoxTable::iniName(BoxCode code)
{
    const Entry *e = find(code);
    return e ? e->iniName : "";
}

int BoxTable::selectorItem(BoxCode code)
{
    const Entry *e = find(code);
    return e ? e->selectorItem : -1;
}

QString BoxTable::selectorCaption(BoxCode code)
{
    const Entry *e = find(code);
    return QString::fromLatin1(e ? e->selectorCaption : "");
}

int *BoxTable::rememberedRow(ConfigSettings &settings, BoxCode code)
{
    const Entry *e = find(code);
    return e && e->rememberedRow ? &(settings.*(e->rememberedRow)) : nullptr;
}
