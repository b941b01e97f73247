#include "config/ConfigForm.h"
#include "text/TextRules.h"

#include <type_traits>
#include <variant>

namespace {

std::string trimBlanks(const std::string &text)
{
    return std::string(TextRules::trimBlanks(text));
}

// What a save writes for one number: the record's own value while the box still shows it.
int savedNumber(int edited, int shown, int stored, NumberRange range)
{
    return edited == shown ? stored : range.clamp(edited);
}

// The type of the value a member pointer points at.
template <class Member>
struct ValueOf;
template <class T, class Record>
struct ValueOf<T Record::*>
{
    using type = T;
};

// Calls `each(value, field, key)` for every value of the form (a member pointer into
// ConfigForm), the record's field of the same key (one into ConfigSettings, of the same
// type, as ConfigFields::formBindsRecord makes sure) and the key's row.
template <class Each>
void eachBound(Each each)
{
    for (const ConfigField<ConfigForm> &f : ConfigFields::form) {
        const auto &field = ConfigFields::find(ConfigFields::settings, f.key)->member;
        std::visit(
            [&](auto value) {
                using T = typename ValueOf<decltype(value)>::type;
                each(value, std::get<T ConfigSettings::*>(field), f.entry());
            },
            f.member);
    }
}

} // namespace

ConfigForm ConfigForm::showing(const ConfigSettings &s)
{
    ConfigForm f;
    eachBound([&](auto value, auto field, const ConfigKeyEntry &) { f.*value = s.*field; });
    return f.clamped();
}

ConfigForm ConfigForm::clamped() const
{
    ConfigForm f = *this;
    eachBound([&](auto value, auto, const ConfigKeyEntry &k) {
        if constexpr (std::is_same_v<decltype(value), int ConfigForm::*>)
            f.*value = k.range->clamp(f.*value);
    });
    return f;
}

ConfigSettings ConfigForm::appliedTo(const ConfigSettings &record) const
{
    const ConfigForm shown = showing(record);
    ConfigSettings s = record;
    eachBound([&](auto value, auto field, const ConfigKeyEntry &k) {
        using T = typename ValueOf<decltype(value)>::type;
        if constexpr (std::is_same_v<T, int>)
            s.*field = savedNumber(this->*value, shown.*value, record.*field, *k.range);
        else if constexpr (std::is_same_v<T, std::string>)
            s.*field = trimBlanks(this->*value);
        else
            s.*field = this->*value;
    });
    return s;
}

int ConfigForm::pageAfter(int page, int step)
{
    return ((page + step) % PageCount + PageCount) % PageCount;
}

QString ConfigForm::helpPage(int page)
{
    switch (page) {
    case 1: return QStringLiteral("\\help.chm::/html\\Manual_option_smtp.htm");
    case 2: return QStringLiteral("\\help.chm::/html\\Manual_option_myinfo.htm");
    default: return QStringLiteral("\\help.chm::/html\\Manual_option_picset.htm");
    }
}
