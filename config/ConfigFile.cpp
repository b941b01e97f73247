#include "config/ConfigFile.h"

#include "config/ConfigKeys.h"
#include "config/IniFile.h"
#include "os/AppError.h"

#include <QByteArray>
#include <optional>
#include <string_view>

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
    explicit KeyReader(const QString &path) : m_ini(IniFile(path)) {}
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

private:
    KeyReader() = default;

    std::optional<IniFile> m_ini;
};

// The account, picture and spelling keys: what LoadConfig fills.
void readSettings(ConfigSettings &s, const KeyReader &r)
{
    using K = ConfigKey;
    s.ACC_FromName = r.text(K::ACC_FromName);
    s.ACC_FromAdd = r.text(K::ACC_FromAdd);
    s.ACC_ReplyName = r.text(K::ACC_ReplyName);
    s.ACC_ReplyAdd = r.text(K::ACC_ReplyAdd);
    s.ACC_SMTPHost = r.text(K::ACC_SMTPHost);

    s.ACC_SMTPPort = r.integer(K::ACC_SMTPPort);
    s.PIC_W = r.integer(K::PIC_W);
    s.PIC_H = r.integer(K::PIC_H);
    s.PIC_ML = r.integer(K::PIC_ML);
    s.PIC_MR = r.integer(K::PIC_MR);
    s.PIC_MT = r.integer(K::PIC_MT);
    s.PIC_MB = r.integer(K::PIC_MB);

    s.PIC_PageNumber = r.flag(K::PIC_PageNumber);
    s.PIC_Quality = r.integer(K::PIC_Quality);
    s.PIC_Progressive = r.flag(K::PIC_Progressive);
    s.PIC_ShortLastPage = r.flag(K::PIC_ShortLastPage);
    s.PIC_FooterLink = r.flag(K::PIC_FooterLink);

    s.ACC_SMTPNeedLogin = r.flag(K::ACC_SMTPNeedLogin);

    s.ACC_SMTPUser = r.text(K::ACC_SMTPUser);
    s.ACC_SMTPPass = r.text(K::ACC_SMTPPass);

    s.SPL_Check = r.flag(K::SPL_Check);
    s.SPL_Language = r.text(K::SPL_Language);
    // An unknown word reads as the default, which never sends in cleartext where the
    // server offers encryption.
    s.ACC_SMTPSecurity = SmtpSecurityName::parse(r.text(K::ACC_SMTPSecurity)).value_or(SmtpSecurity::Automatic);
    s.ACC_SMTPPassInKeyring = r.flag(K::ACC_SMTPPassInKeyring);
    s.ACC_MailSizeLimit = r.integer(K::ACC_MailSizeLimit);
}

// The main window's fields of the record: what LoadWindowLayout fills there.
void readBoxes(ConfigSettings &s, const KeyReader &r)
{
    using K = ConfigKey;
    s.BOX_UIndex = r.integer(K::BOX_UIndex);
    s.BOX_SIndex = r.integer(K::BOX_SIndex);
    s.BOX_TIndex = r.integer(K::BOX_TIndex);
    s.BOX_CurrentBox = r.text(K::BOX_CurrentBox);
    s.BOX_ShowContent = r.flag(K::BOX_ShowContent);
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
    using K = ConfigKey;
    const KeyReader r(configPath);
    readBoxes(s, r);

    MainWindowLayout l;
    l.BOX_Height = r.integer(K::BOX_Height);
    l.BOX_SortIndex = r.integer(K::BOX_SortIndex);
    l.BOX_ShowContent = s.BOX_ShowContent;
    l.WND_ShowTips = r.flag(K::WND_ShowTips);
    // Anything but "Max" places the window by its bounds.
    l.state = r.text(K::WND_State) == "Max" ? MainWindowLayout::State::Maximized : MainWindowLayout::State::Normal;
    l.WND_X = r.integer(K::WND_X);
    l.WND_Y = r.integer(K::WND_Y);
    l.WND_W = r.integer(K::WND_W);
    l.WND_H = r.integer(K::WND_H);
    return l;
}

ConfigSettings ConfigSettings::firstRun()
{
    // The same reading as a start's, from the table's first-run values.
    ConfigSettings s;
    const KeyReader r = KeyReader::firstRun();
    readSettings(s, r);
    readBoxes(s, r);
    return s;
}

void SaveConfig(ConfigSettings &settings, const ConfigForm &dialog, const MainWindowLayout &l,
                const QString &configPath)
{
    // The record as it will stand after the save; it takes the new values only when every
    // key was written, so a failed save leaves sending with the last saved values.
    ConfigSettings s = dialog.appliedTo(settings);
    s.BOX_ShowContent = l.BOX_ShowContent;

    using K = ConfigKey;
    KeyWriter w(configPath);
    w.integer(K::PIC_W, s.PIC_W);
    w.integer(K::PIC_H, s.PIC_H);
    w.integer(K::PIC_ML, s.PIC_ML);
    w.integer(K::PIC_MR, s.PIC_MR);
    w.integer(K::PIC_MT, s.PIC_MT);
    w.integer(K::PIC_MB, s.PIC_MB);
    w.integer(K::PIC_Quality, s.PIC_Quality);
    w.flag(K::PIC_PageNumber, s.PIC_PageNumber);
    w.flag(K::PIC_Progressive, s.PIC_Progressive);
    w.flag(K::PIC_ShortLastPage, s.PIC_ShortLastPage);
    w.flag(K::PIC_FooterLink, s.PIC_FooterLink);

    w.text(K::ACC_FromName, s.ACC_FromName);
    w.text(K::ACC_FromAdd, s.ACC_FromAdd);
    w.text(K::ACC_ReplyName, s.ACC_ReplyName);
    w.text(K::ACC_ReplyAdd, s.ACC_ReplyAdd);
    w.text(K::ACC_SMTPHost, s.ACC_SMTPHost);

    w.integer(K::ACC_SMTPPort, s.ACC_SMTPPort);
    w.flag(K::ACC_SMTPNeedLogin, s.ACC_SMTPNeedLogin);
    w.text(K::ACC_SMTPUser, s.ACC_SMTPUser);
    // A password kept in the keyring never reaches the file.
    w.text(K::ACC_SMTPPass, s.ACC_SMTPPassInKeyring ? std::string_view() : s.ACC_SMTPPass);
    w.text(K::ACC_SMTPSecurity, SmtpSecurityName::of(s.ACC_SMTPSecurity));
    w.flag(K::ACC_SMTPPassInKeyring, s.ACC_SMTPPassInKeyring);
    w.integer(K::ACC_MailSizeLimit, s.ACC_MailSizeLimit);

    w.integer(K::BOX_UIndex, s.BOX_UIndex);
    w.integer(K::BOX_SIndex, s.BOX_SIndex);
    w.integer(K::BOX_TIndex, s.BOX_TIndex);
    w.text(K::BOX_CurrentBox, s.BOX_CurrentBox);
    w.integer(K::BOX_Height, l.BOX_Height);
    w.integer(K::BOX_SortIndex, l.BOX_SortIndex);
    w.flag(K::BOX_ShowContent, s.BOX_ShowContent);

    w.flag(K::WND_ShowTips, l.WND_ShowTips);

    switch (l.state) {
    case MainWindowLayout::State::Normal:
        w.text(K::WND_State, "Normal");
        w.integer(K::WND_X, l.WND_X);
        w.integer(K::WND_Y, l.WND_Y);
        w.integer(K::WND_W, l.WND_W);
        w.integer(K::WND_H, l.WND_H);
        break;
    case MainWindowLayout::State::Maximized:
        w.text(K::WND_State, "Max");
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
        KeyWriter w(configPath);
        w.flag(ConfigKey::SPL_Check, settings.SPL_Check);
        w.text(ConfigKey::SPL_Language, settings.SPL_Language);
    } catch (const AppError &) {
        return false;
    }
    return true;
}
