#include "config/ConfigFile.h"
#include "config/ConfigKeys.h"
#include "config/IniFile.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

// The table every Config.dat key is declared in, and the files made and read from it.
class TestConfigKeys : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static QByteArray bytes(std::string_view text) { return QByteArray(text.data(), qsizetype(text.size())); }

    // The text a save writes for a value of this row.
    static QByteArray written(const ConfigKeyEntry &k, ConfigValue v)
    {
        switch (k.form) {
        case ConfigValueForm::Integer: return QByteArray::number(v.number);
        case ConfigValueForm::Flag: return IniFile::flagText(v.number != 0);
        case ConfigValueForm::TrueFalse: return IniFile::trueFalseText(v.number != 0);
        case ConfigValueForm::Text: break;
        }
        return bytes(v.text).trimmed(); // the dialog trims what it saves
    }

private slots:
    // Keys are matched without regard to case: two rows of one name would share a line.
    void namesDistinct()
    {
        QSet<QByteArray> seen;
        for (const ConfigKeyEntry &k : ConfigKeys::table) {
            const QByteArray name = (bytes(k.section) + '/' + bytes(k.name)).toLower();
            QVERIFY2(!seen.contains(name), name.constData());
            seen.insert(name);
        }
    }

    // A number the dialog shows starts within its box, and a file without the key shows
    // what a first-run file shows.
    void rangedDefaults()
    {
        for (const ConfigKeyEntry &k : ConfigKeys::table) {
            if (!k.range)
                continue;
            const QByteArray name = bytes(k.name);
            QVERIFY2(k.form == ConfigValueForm::Integer, name.constData());
            QVERIFY2(k.range->min <= k.range->max, name.constData());
            QCOMPARE(k.range->clamp(k.initial().number), k.initial().number);
            QCOMPARE(k.range->clamp(k.missing.number), k.initial().number);
        }
    }

    // The first-run file keeps the 31 lines it has always had.
    void firstRunBytes()
    {
        QCOMPARE(FirstRunConfigText(),
                 QByteArray("[System]\r\nPIC_W=600\r\nPIC_H=800\r\nPIC_ML=10\r\nPIC_MR=10\r\nPIC_MT=25\r\nPIC_MB=25\r\n"
                            "PIC_Quality=75\r\nPIC_PageNumber=1\r\nACC_FromName=\r\nACC_FromAdd=\r\nACC_ReplyName=\r\n"
                            "ACC_ReplyAdd=\r\nACC_SMTPHost=\r\nACC_SMTPPort=25\r\nACC_SMTPNeedLogin=True\r\n"
                            "ACC_SMTPUser=\r\nACC_SMTPPass=\r\nBOX_UIndex=0\r\nBOX_SIndex=0\r\nBOX_TIndex=0\r\n"
                            "BOX_Height=140\r\nBOX_SortIndex=4\r\nBOX_CurrentBox=UnsentBox\r\nBOX_ShowContent=1\r\n"
                            "WND_ShowTips=1\r\nWND_State=Normal\r\nWND_X=20\r\nWND_Y=30\r\nWND_W=700\r\nWND_H=480\r\n"));
    }

    // Keys a save writes only when it changes them (the first-run file stays as it was).
    static bool savedWhenChanged(ConfigKey key)
    {
        const auto field = ConfigFields::find(ConfigFields::settings, key);
        return field != ConfigFields::settings.end() && field->group == ConfigGroup::WhenChanged;
    }

    // A value unlike both the first-run and the missing one, within the key's box, that the
    // file keeps as written.
    static QByteArray otherValue(const ConfigKeyEntry &k)
    {
        switch (k.form) {
        case ConfigValueForm::Integer:
            return QByteArray::number(k.range ? k.range->min + 1 : k.initial().number + 7);
        case ConfigValueForm::Flag:
        case ConfigValueForm::TrueFalse: return written(k, k.initial().number == 0 ? 1 : 0);
        case ConfigValueForm::Text: break;
        }
        if (k.key == ConfigKey::ACC_SMTPSecurity)
            return "tls";
        if (k.key == ConfigKey::WND_State)
            return "Max"; // the one word read from it
        return "v-" + bytes(k.name);
    }

    // Every key, holding a value that is neither its first-run nor its missing one, is
    // read, carried through the dialog's values and saved: a key the reading forgets comes
    // back as its fallback, one the saving forgets does not come back at all.
    void everyKeyRoundTrip_data()
    {
        QTest::addColumn<int>("row");
        for (const ConfigKeyEntry &k : ConfigKeys::table)
            QTest::newRow(k.name.data()) << int(k.key);
    }
    void everyKeyRoundTrip()
    {
        QFETCH(int, row);
        const ConfigKeyEntry &k = ConfigKeys::table[size_t(row)];
        const QByteArray value = otherValue(k);
        QVERIFY(value != written(k, k.initial()) && value != written(k, k.missing));
        const QString from = m_dir.filePath(QStringLiteral("other.dat"));
        const QString to = m_dir.filePath(QStringLiteral("resaved.dat"));
        QByteArray text = FirstRunConfigText();
        const QByteArray line = bytes(k.name) + '=';
        if (const qsizetype at = text.indexOf("\n" + line) + 1; at > 0)
            text.remove(at, text.indexOf('\n', at) + 1 - at);
        TestFiles::write(from, text + line + value + "\r\n");
        QFile::remove(to);

        ConfigSettings s;
        ConfigForm form;
        LoadConfig(s, form, from);
        const MainWindowLayout layout = LoadWindowLayout(s, from);
        SaveConfig(s, form, layout, to);
        QVERIFY(SaveSpelling(s, to));
        if (savedWhenChanged(k.key)) {
            // Read, it is what the record holds; unchanged, the save leaves it out.
            QCOMPARE(QByteArray::fromStdString(IniFile(to).readString(k.section, k.name, "?")), QByteArray("?"));
            QCOMPARE(QByteArray::fromStdString(s.ACC_ConfigDatabase), value);
            return;
        }
        QCOMPARE(QByteArray::fromStdString(IniFile(to).readString(k.section, k.name, "?")), value);
    }

    // A file that lacks one key (an older file), read and written back: every key reads
    // its fallback, and the save writes it, not a neighbour's value or another key's name.
    void missingKeyRoundTrip_data()
    {
        QTest::addColumn<int>("row");
        for (const ConfigKeyEntry &k : ConfigKeys::table)
            QTest::newRow(k.name.data()) << int(k.key);
    }
    void missingKeyRoundTrip()
    {
        QFETCH(int, row);
        const ConfigKeyEntry &k = ConfigKeys::table[size_t(row)];
        if (k.key == ConfigKey::WND_State)
            QSKIP("written from the window's state, not read back");
        const QString from = m_dir.filePath(QStringLiteral("older.dat"));
        const QString to = m_dir.filePath(QStringLiteral("saved.dat"));
        QByteArray text = FirstRunConfigText() + "PIC_Progressive=0\r\nACC_SMTPSecurity=tls\r\nSPL_Check=0\r\n"
                                                 "SPL_Language=de_DE\r\n";
        if (const qsizetype at = text.indexOf("\n" + bytes(k.name) + '=') + 1; at > 0)
            text.remove(at, text.indexOf('\n', at) + 1 - at);
        TestFiles::write(from, text);
        QFile::remove(to);

        ConfigSettings s;
        ConfigForm form;
        LoadConfig(s, form, from);
        const MainWindowLayout layout = LoadWindowLayout(s, from);
        SaveConfig(s, form, layout, to);
        QVERIFY(SaveSpelling(s, to));
        if (savedWhenChanged(k.key)) {
            QCOMPARE(QByteArray::fromStdString(s.ACC_ConfigDatabase), written(k, k.missing));
            return;
        }
        QCOMPARE(QByteArray::fromStdString(IniFile(to).readString(k.section, k.name, "?")), written(k, k.missing));
    }
};

QTEST_GUILESS_MAIN(TestConfigKeys)
#include "tst_configkeys.moc"
