#include "ConfigFile.h"

#include "AppError.h"
#include "IniFile.h"

#include <QByteArray>

namespace {

constexpr const char *System = "System";

// Writes one key or stops the save with the file's path.
class KeyWriter
{
public:
    explicit KeyWriter(const QString &path) : m_ini(path) {}

    void text(const char *key, const std::string &value) { check(m_ini.writeString(System, key, value)); }
    void integer(const char *key, int value) { check(m_ini.writeInteger(System, key, value)); }
    void flag(const char *key, bool on) { check(m_ini.writeFlag(System, key, on)); }
    void trueFalse(const char *key, bool on) { check(m_ini.writeTrueFalse(System, key, on)); }

private:
    void check(bool ok)
    {
        if (!ok)
            throw AppError("Unable to write to " + m_ini.path().toStdString());
    }

    IniFile m_ini;
};

} // namespace

void LoadConfig(ConfigSettings &s, const QString &configPath)
{
    const IniFile ini(configPath);
    s.ACC_FromName = ini.readString(System, "ACC_FromName", " ");
    s.ACC_FromAdd = ini.readString(System, "ACC_FromAdd", " ");
    s.ACC_ReplyName = ini.readString(System, "ACC_ReplyName", " ");
    s.ACC_ReplyAdd = ini.readString(System, "ACC_ReplyAdd", " ");
    s.ACC_SMTPHost = ini.readString(System, "ACC_SMTPHost", " ");

    s.ACC_SMTPPort = ini.readInteger(System, "ACC_SMTPPort", 25);
    s.PIC_W = ini.readInteger(System, "PIC_W", 600);
    s.PIC_H = ini.readInteger(System, "PIC_H", 800);
    s.PIC_ML = ini.readInteger(System, "PIC_ML", 10);
    s.PIC_MR = ini.readInteger(System, "PIC_MR", 10);
    s.PIC_MT = ini.readInteger(System, "PIC_MT", 20);
    s.PIC_MB = ini.readInteger(System, "PIC_MB", 20);

    s.PIC_PageNumber = ini.readFlag(System, "PIC_PageNumber", true);
    s.PIC_Quality = ini.readInteger(System, "PIC_Quality", 75);
    s.PIC_Progressive = ini.readFlag(System, "PIC_Progressive", true);
    s.PIC_ShortLastPage = ini.readFlag(System, "PIC_ShortLastPage", true);
    s.PIC_FooterLink = ini.readFlag(System, "PIC_FooterLink", true);

    s.ACC_SMTPNeedLogin = ini.readTrueFalse(System, "ACC_SMTPNeedLogin", true);

    s.ACC_SMTPUser = ini.readString(System, "ACC_SMTPUser", " ");
    s.ACC_SMTPPass = ini.readString(System, "ACC_SMTPPass", " ");

    s.SPL_Check = ini.readFlag(System, "SPL_Check", true);
    s.SPL_Language = ini.readString(System, "SPL_Language", "");
    // An unknown word reads as the default, which never sends in cleartext where the
    // server offers encryption.
    s.ACC_SMTPSecurity = SmtpSecurityName::parse(ini.readString(System, "ACC_SMTPSecurity", "auto"))
                             .value_or(SmtpSecurity::Automatic);
    s.ACC_SMTPPassInKeyring = ini.readFlag(System, "ACC_SMTPPassInKeyring", false);
}

void LoadConfig(ConfigSettings &settings, ConfigForm &form, const QString &configPath)
{
    LoadConfig(settings, configPath);
    form = ConfigForm::showing(settings);
}

MainWindowLayout LoadWindowLayout(ConfigSettings &s, const QString &configPath)
{
    const IniFile ini(configPath);
    s.BOX_UIndex = ini.readInteger(System, "BOX_UIndex", 0);
    s.BOX_SIndex = ini.readInteger(System, "BOX_SIndex", 0);
    s.BOX_TIndex = ini.readInteger(System, "BOX_TIndex", 0);
    s.BOX_CurrentBox = ini.readString(System, "BOX_CurrentBox", "UnsentBox");
    s.BOX_ShowContent = ini.readFlag(System, "BOX_ShowContent", true);

    MainWindowLayout l;
    l.BOX_Height = ini.readInteger(System, "BOX_Height", 140);
    l.BOX_SortIndex = ini.readInteger(System, "BOX_SortIndex", 4);
    l.BOX_ShowContent = s.BOX_ShowContent;
    l.WND_ShowTips = ini.readFlag(System, "WND_ShowTips", true);
    // Anything but "Max" places the window by its bounds.
    l.state = ini.readString(System, "WND_State", " ") == "Max" ? MainWindowLayout::State::Maximized
                                                                  : MainWindowLayout::State::Normal;
    l.WND_X = ini.readInteger(System, "WND_X", 10);
    l.WND_Y = ini.readInteger(System, "WND_Y", 10);
    l.WND_W = ini.readInteger(System, "WND_W", 700);
    l.WND_H = ini.readInteger(System, "WND_H", 480);
    return l;
}

void SaveConfig(ConfigSettings &settings, const ConfigForm &dialog, const MainWindowLayout &l,
                const QString &configPath)
{
    // The record as it will stand after the save; it takes the new values only when every
    // key was written, so a failed save leaves sending with the last saved values.
    ConfigSettings s = dialog.appliedTo(settings);
    s.BOX_ShowContent = l.BOX_ShowContent;

    KeyWriter w(configPath);
    w.integer("PIC_W", s.PIC_W);
    w.integer("PIC_H", s.PIC_H);
    w.integer("PIC_ML", s.PIC_ML);
    w.integer("PIC_MR", s.PIC_MR);
    w.integer("PIC_MT", s.PIC_MT);
    w.integer("PIC_MB", s.PIC_MB);
    w.integer("PIC_Quality", s.PIC_Quality);
    w.flag("PIC_PageNumber", s.PIC_PageNumber);
    w.flag("PIC_Progressive", s.PIC_Progressive);
    w.flag("PIC_ShortLastPage", s.PIC_ShortLastPage);
    w.flag("PIC_FooterLink", s.PIC_FooterLink);

    w.text("ACC_FromName", s.ACC_FromName);
    w.text("ACC_FromAdd", s.ACC_FromAdd);
    w.text("ACC_ReplyName", s.ACC_ReplyName);
    w.text("ACC_ReplyAdd", s.ACC_ReplyAdd);
    w.text("ACC_SMTPHost", s.ACC_SMTPHost);

    w.integer("ACC_SMTPPort", s.ACC_SMTPPort);
    w.trueFalse("ACC_SMTPNeedLogin", s.ACC_SMTPNeedLogin);
    w.text("ACC_SMTPUser", s.ACC_SMTPUser);
    // A password kept in the keyring never reaches the file.
    w.text("ACC_SMTPPass", s.ACC_SMTPPassInKeyring ? std::string() : s.ACC_SMTPPass);
    w.text("ACC_SMTPSecurity", std::string(SmtpSecurityName::of(s.ACC_SMTPSecurity)));
    w.flag("ACC_SMTPPassInKeyring", s.ACC_SMTPPassInKeyring);

    w.integer("BOX_UIndex", s.BOX_UIndex);
    w.integer("BOX_SIndex", s.BOX_SIndex);
    w.integer("BOX_TIndex", s.BOX_TIndex);
    w.text("BOX_CurrentBox", s.BOX_CurrentBox);
    w.integer("BOX_Height", l.BOX_Height);
    w.integer("BOX_SortIndex", l.BOX_SortIndex);
    w.flag("BOX_ShowContent", s.BOX_ShowContent);

    w.flag("WND_ShowTips", l.WND_ShowTips);

    switch (l.state) {
    case MainWindowLayout::State::Normal:
        w.text("WND_State", "Normal");
        w.integer("WND_X", l.WND_X);
        w.integer("WND_Y", l.WND_Y);
        w.integer("WND_W", l.WND_W);
        w.integer("WND_H", l.WND_H);
        break;
    case MainWindowLayout::State::Maximized:
        w.text("WND_State", "Max");
        break;
    case MainWindowLayout::State::Minimized:
        break;
    }
    settings = s;
}

QByteArray FirstRunConfigText()
{
    static const char *const lines[] = {
        "[System]",
        "PIC_W=600", "PIC_H=800", "PIC_ML=10", "PIC_MR=10", "PIC_MT=25", "PIC_MB=25",
        "PIC_Quality=75", "PIC_PageNumber=1",
        "ACC_FromName=", "ACC_FromAdd=", "ACC_ReplyName=", "ACC_ReplyAdd=", "ACC_SMTPHost=",
        "ACC_SMTPPort=25", "ACC_SMTPNeedLogin=True", "ACC_SMTPUser=", "ACC_SMTPPass=",
        "BOX_UIndex=0", "BOX_SIndex=0", "BOX_TIndex=0", "BOX_Height=140", "BOX_SortIndex=4",
        "BOX_CurrentBox=UnsentBox", "BOX_ShowContent=1", "WND_ShowTips=1", "WND_State=Normal",
        "WND_X=20", "WND_Y=30", "WND_W=700", "WND_H=480",
    };
    QByteArray text;
    for (const char *line : lines)
        text.append(line).append("\r\n");
    return text;
}

bool SaveSpelling(const ConfigSettings &settings, const QString &configPath)
{
    IniFile ini(configPath);
    return ini.writeFlag(System, "SPL_Check", settings.SPL_Check)
           && ini.writeString(System, "SPL_Language", settings.SPL_Language);
}
