#include "config/ConfigFile.h"

#include "config/ConfigKeys.h"
#include "config/IniFile.h"
#include "os/AppError.h"

#include <QByteArray>
#include <optional>
#include <string_view>
#include <type_traits>
#include <variant>

namespace {

// Writes one key in the form the table gives it, or stops the save with the file's path.
class KeyWriter
{
public:
    explicit KeyWriter(const QString &path) : m_ini(path) {}

    void text(ConfigKey key, std::string_view value)
    {
        const ConfigKeyEntry &k = ConfigKeys::of(key);
        check(m_ini.writeString(k.section, k.name, value));
    }
    void integer(ConfigKey key, int value)
    {
        const ConfigKeyEntry &k = ConfigKeys::of(key);
        check(m_ini.writeInteger(k.section, k.name, value));
    }
    void flag(ConfigKey key, bool on)
    {
        const ConfigKeyEntry &k = ConfigKeys::of(key);
        check(k.form == ConfigValueForm::TrueFalse ? m_ini.writeTrueFalse(k.section, k.name, on)
                                                   : m_ini.writeFlag(k.section, k.name, on));
    }

    // The field of `record` that `field` points at, in its key's form.
    template <class Record>
    void field(const Record &record, const ConfigField<Record> &field)
    {
        std::visit(
            [&](auto member) {
                const auto &value = record.*member;
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, int>)
                    integer(field.key, value);
                else if constexpr (std::is_same_v<T, bool>)
                    flag(field.key, value);
                else if constexpr (std::is_same_v<T, SmtpSecurity>)
                    text(field.key, SmtpSecurityName::of(value));
                else
                    text(field.key, value);
            },
            field.member);
    }
    // Every field of a table in `group`, in the table's order.
    template <class Record, class Table>
    void fields(const Record &record, const Table &table, ConfigGroup group)
    {
        for (const ConfigField<Record> &f : table)
            if (f.group == group)
                field(record, f);
    }
    // Every field of a table in `group` that differs between `before` and `after`.
    template <class Record, class Table>
    void changedFields(const Record &before, const Record &after, const Table &table, ConfigGroup group)
    {
        for (const ConfigField<Record> &f : table)
            if (f.group == group && std::visit([&](auto member) { return before.*member != after.*member; }, f.member))
                field(after, f);
    }

private:
    void check(bool ok)
    {
        if (!ok)
            throw AppError("Unable to write to " + m_ini.path().toStdString());
    }

    IniFile m_ini;
};

// Reads one key as the table says: from the file, the key's fallback when the file lacks
// it or its number does not read; without a file, the first-run values.
class KeyReader
{
public:
    // One reading of the file for all the keys of a load.
    explicit KeyReader(const QString &path) : m_ini(IniFile::readOnce(path)) {}
    static KeyReader firstRun() { return KeyReader(); }

    std::string text(ConfigKey key) const
    {
        const ConfigKeyEntry &k = ConfigKeys::of(key);
        return m_ini ? m_ini->readString(k.section, k.name, k.missing.text) : std::string(k.initial().text);
    }
    int integer(ConfigKey key) const
    {
        const ConfigKeyEntry &k = ConfigKeys::of(key);
        return m_ini ? m_ini->readInteger(k.section, k.name, k.missing.number) : k.initial().number;
    }
    bool flag(ConfigKey key) const
    {
        const ConfigKeyEntry &k = ConfigKeys::of(key);
        if (!m_ini)
            return k.initial().number != 0;
        const bool fallback = k.missing.number != 0;
        return k.form == ConfigValueForm::TrueFalse ? m_ini->readTrueFalse(k.section, k.name, fallback)
                                                    : m_ini->readFlag(k.section, k.name, fallback);
    }

    // Fills the field of `record` that `field` points at.
    template <class Record>
    void field(Record &record, const ConfigField<Record> &field) const
    {
        std::visit(
            [&](auto member) {
                auto &value = record.*member;
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, int>)
                    value = integer(field.key);
                else if constexpr (std::is_same_v<T, bool>)
                    value = flag(field.key);
                else if constexpr (std::is_same_v<T, SmtpSecurity>)
                    // An unknown word reads as the default, which never sends in cleartext
                    // where the server offers encryption.
                    value = SmtpSecurityName::parse(text(field.key)).value_or(SmtpSecurity::Automatic);
                else
                    value = text(field.key);
            },
            field.member);
    }
    // Every field of a table in `group`.
    template <class Record, class Table>
    void fields(Record &record, const Table &table, ConfigGroup group) const
    {
        for (const ConfigField<Record> &f : table)
            if (f.group == group)
                field(record, f);
    }

private:
    KeyReader() = default;

    std::optional<IniFile> m_ini;
};

// The account, picture and spelling keys: what LoadConfig fills.
void readSettings(ConfigSettings &s, const KeyReader &r)
{
    r.fields(s, ConfigFields::settings, ConfigGroup::Settings);
    r.fields(s, ConfigFields::settings, ConfigGroup::Spelling);
    r.fields(s, ConfigFields::settings, ConfigGroup::WhenChanged);
}

// The main window's keys: its fields of the record, and the layout.
MainWindowLayout readWindow(ConfigSettings &s, const KeyReader &r)
{
    r.fields(s, ConfigFields::settings, ConfigGroup::Window);
    MainWindowLayout l;
    r.fields(l, ConfigFields::layout, ConfigGroup::Window);
    r.fields(l, ConfigFields::bounds, ConfigGroup::Window);
    s.BOX_ShowContent = l.BOX_ShowContent;
    // Anything but "Max" places the window by its bounds.
    l.state = r.text(ConfigKey::WND_State) == "Max" ? MainWindowLayout::State::Maximized
                                                      : MainWindowLayout::State::Normal;
    return l;
}

} // namespace

void LoadConfig(ConfigSettings &s, const QString &configPath)
{
    readSettings(s, KeyReader(configPath));
}

void LoadConfig(ConfigSettings &settings, ConfigForm &form, const QString &configPath)
{
    LoadConfig(settings, configPath);
    form = ConfigForm::showing(settings);
}

MainWindowLayout LoadWindowLayout(ConfigSettings &s, const QString &configPath)
{
    return readWindow(s, KeyReader(configPath));
}

ConfigSettings ConfigSettings::firstRun()
{
    // The same reading as a start's, from the table's first-run values.
    ConfigSettings s;
    const KeyReader r = KeyReader::firstRun();
    readSettings(s, r);
    readWindow(s, r);
    return s;
}

void SaveConfig(ConfigSettings &settings, const ConfigForm &dialog, const MainWindowLayout &l,
                const QString &configPath)
{
    // The record as it will stand after the save; it takes the new values only when every
    // key was written, so a failed save leaves sending with the last saved values.
    ConfigSettings s = dialog.appliedTo(settings);
    s.BOX_ShowContent = l.BOX_ShowContent;

    // A password kept in the keyring never reaches the file.
    ConfigSettings written = s;
    if (written.ACC_SMTPPassInKeyring)
        written.ACC_SMTPPass.clear();

    KeyWriter w(configPath);
    w.fields(written, ConfigFields::settings, ConfigGroup::Settings);
    w.changedFields(settings, written, ConfigFields::settings, ConfigGroup::WhenChanged);
    w.fields(written, ConfigFields::settings, ConfigGroup::Window);
    w.fields(l, ConfigFields::layout, ConfigGroup::Window);
    switch (l.state) {
    case MainWindowLayout::State::Normal:
        w.text(ConfigKey::WND_State, "Normal");
        w.fields(l, ConfigFields::bounds, ConfigGroup::Window);
        break;
    case MainWindowLayout::State::Maximized:
        w.text(ConfigKey::WND_State, "Max");
        break;
    case MainWindowLayout::State::Minimized:
        break;
    }
    settings = s;
}

QByteArray FirstRunConfigText()
{
    QByteArray text;
    std::string_view section;
    for (const ConfigKeyEntry &k : ConfigKeys::table) {
        if (!k.firstRun)
            continue;
        if (k.section != section) {
            section = k.section;
            text.append('[').append(section.data(), qsizetype(section.size())).append("]\r\n");
        }
        text.append(k.name.data(), qsizetype(k.name.size())).append('=');
        const ConfigValue v = *k.firstRun;
        switch (k.form) {
        case ConfigValueForm::Text: text.append(v.text.data(), qsizetype(v.text.size())); break;
        case ConfigValueForm::Integer: text.append(QByteArray::number(v.number)); break;
        case ConfigValueForm::Flag: text.append(IniFile::flagText(v.number != 0)); break;
        case ConfigValueForm::TrueFalse: text.append(IniFile::trueFalseText(v.number != 0)); break;
        }
        text.append("\r\n");
    }
    return text;
}

bool SaveSpelling(const ConfigSettings &settings, const QString &configPath)
{
    try {
        KeyWriter(configPath).fields(settings, ConfigFields::settings, ConfigGroup::Spelling);
    } catch (const AppError &) {
        return false;
    }
    return true;
}
