#pragma once

#include "config/ConfigKeys.h"
#include "smtp/SmtpSecurity.h"

#include <string>
#include <variant>

// Which load fills a field of a record and which save writes it.
enum class ConfigGroup {
    Settings, // LoadConfig reads it; SaveConfig writes it from the dialog's values
    Spelling, // LoadConfig reads it; SaveSpelling alone writes it (the composer changes it)
    Window,   // LoadWindowLayout reads it; SaveConfig writes it from the main window's state
    // LoadConfig reads it; SaveConfig writes it from the dialog's values only when the save
    // changes it, so that a file without it (a first-run one) keeps its bytes and it goes
    // on reading as its default.
    WhenChanged,
};

// One key of ConfigKeys::table bound to its field in a record (the settings record, the
// window layout, the dialog's values). Reading and saving walk tables of these, so a new
// setting is its key's row, its field and the row that binds the two.
template <class Record>
struct ConfigField
{
    using Member = std::variant<int Record::*, bool Record::*, std::string Record::*, SmtpSecurity Record::*>;

    ConfigKey key;
    Member member;
    ConfigGroup group = ConfigGroup::Settings;

    constexpr const ConfigKeyEntry &entry() const { return ConfigKeys::of(key); }
};

namespace ConfigFields {

// True when a field's type can hold what its key's row says stands in the file: a number
// in an int, a flag in a bool, a text in a string or (a security word) in SmtpSecurity.
template <class Record>
constexpr bool formFits(const ConfigField<Record> &field)
{
    switch (field.entry().form) {
    case ConfigValueForm::Integer: return std::holds_alternative<int Record::*>(field.member);
    case ConfigValueForm::Flag:
    case ConfigValueForm::TrueFalse: return std::holds_alternative<bool Record::*>(field.member);
    case ConfigValueForm::Text:
        return std::holds_alternative<std::string Record::*>(field.member) ||
               std::holds_alternative<SmtpSecurity Record::*>(field.member);
    }
    return false;
}

// Every field fits its key, and no key is bound twice in one table.
template <class Table>
constexpr bool wellFormed(const Table &table)
{
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!formFits(table[i]))
            return false;
        for (std::size_t j = 0; j < i; ++j)
            if (table[j].key == table[i].key)
                return false;
    }
    return true;
}

// The row of `key` in a table; the table's end when the key is not bound there.
template <class Table>
constexpr auto find(const Table &table, ConfigKey key)
{
    auto it = table.begin();
    while (it != table.end() && it->key != key)
        ++it;
    return it;
}

} // namespace ConfigFields
