#include "config/ConfigFile.h"
#include "config/DataFiles.h"
#include "config/IniFile.h"
#include "os/AppError.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <set>
#include <unistd.h>

class TestConfigFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void firstRunFiles()
    {
        const QString config = path("Config.dat");
        const QString store = path("MailBox.dat");
        QFile::remove(config);
        QFile::remove(store);
        DataFiles::ensureConfigFile(config);
        DataFiles::ensureMailBoxFile(store);

        const QByteArray text = TestFiles::read(config);
        QCOMPARE(text, FirstRunConfigText());
        QCOMPARE(text.count("\r\n"), 31);
        QVERIFY(text.startsWith("[System]\r\nPIC_W=600\r\nPIC_H=800\r\n"));
        QVERIFY(text.endsWith("WND_X=20\r\nWND_Y=30\r\nWND_W=700\r\nWND_H=480\r\n"));
        QCOMPARE(TestFiles::unixMode(config), 0600);
        QCOMPARE(TestFiles::read(store).size(), 100);

        // The first-run file reads back as the first-run settings.
        ConfigSettings loaded;
        LoadConfig(loaded, config);
        const ConfigSettings first = ConfigSettings::firstRun();
        QCOMPARE(loaded.PIC_MT, first.PIC_MT);
        QCOMPARE(loaded.PIC_Quality, 75);
        QCOMPARE(loaded.ACC_SMTPHost, std::string());
        QVERIFY(loaded.ACC_SMTPNeedLogin);
    }

    void existingFilesUntouched()
    {
        const QString config = path("Config2.dat");
        const QString store = path("MailBox2.dat");
        TestFiles::write(config, "[System]\r\n");
        TestFiles::write(store, QByteArray());
        DataFiles::ensureConfigFile(config);
        DataFiles::ensureMailBoxFile(store);
        QCOMPARE(TestFiles::read(config), QByteArray("[System]\r\n"));
        QCOMPARE(QFileInfo(store).size(), qint64(0));
    }

    void cannotCreate()
    {
        const QString config = path("missing/folder/Config.dat");
        try {
            DataFiles::ensureConfigFile(config);
            QFAIL("no error raised");
        } catch (const AppError &e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Cannot create file ") + config);
        }
    }

    void fallbacks()
    {
        const QString config = path("partial.dat");
        TestFiles::write(config, "[System]\r\nPIC_W=abc\r\nACC_SMTPPort=2525\r\nACC_SMTPNeedLogin=False\r\n"
                                 "ACC_FromName=  Ann  \r\n");
        ConfigSettings s;
        LoadConfig(s, config);
        QCOMPARE(s.PIC_W, 600);      // not a number
        QCOMPARE(s.PIC_MT, 20);      // missing: differs from the first-run 25
        QCOMPARE(s.PIC_MB, 20);
        QCOMPARE(s.ACC_SMTPPort, 2525);
        QVERIFY(!s.ACC_SMTPNeedLogin);
        QCOMPARE(s.ACC_SMTPHost, std::string(" "));
        QCOMPARE(s.ACC_SMTPPass, std::string(" "));
        QVERIFY(s.PIC_PageNumber);

        const MainWindowLayout l = LoadWindowLayout(s, config);
        QCOMPARE(l.WND_X, 10);
        QCOMPARE(l.WND_Y, 10);
        QVERIFY(l.state == MainWindowLayout::State::Normal);
        QCOMPARE(s.BOX_CurrentBox, std::string("UnsentBox"));
    }

    void saveWritesEveryKey()
    {
        const QString config = path("save.dat");
        TestFiles::write(config, FirstRunConfigText());
        ConfigSettings s = ConfigSettings::firstRun();
        s.ACC_SMTPHost = "  smtp.example.org ";
        s.ACC_FromName = " ";
        MainWindowLayout l;
        l.WND_X = 20;
        l.WND_Y = 30;
        SaveConfig(s, ConfigForm::showing(s), l, config);
        // Rewritten in place: the first-run file with just the host changed, and the keys it
        // does not hold added at its end.
        QByteArray expected = FirstRunConfigText();
        expected.replace("ACC_SMTPHost=\r\n", "ACC_SMTPHost=smtp.example.org\r\n");
        expected += "PIC_Progressive=1\r\nPIC_ShortLastPage=1\r\nPIC_FooterLink=1\r\n"
                    "ACC_SMTPSecurity=auto\r\nACC_SMTPPassInKeyring=0\r\nACC_MailSizeLimit=25\r\n"
                    // The login by the browser's sign-in.
                    "ACC_SMTPAuth=Password\r\nACC_OAuthProvider=\r\nACC_OAuthAuthUrl=\r\nACC_OAuthTokenUrl=\r\n"
                    "ACC_OAuthScope=\r\nACC_OAuthClientId=\r\nACC_OAuthClientSecret=\r\nACC_OAuthAccount=\r\n"
                    // The letter as a phone shows it.
                    "PIC_Sharp=1\r\nPIC_JpegOnly=0\r\nPIC_TextBelow=0\r\nLET_FontName=\r\nLET_FontSize=12\r\n";
        QCOMPARE(TestFiles::read(config), expected);
        QCOMPARE(s.ACC_SMTPHost, std::string("smtp.example.org"));
        QCOMPARE(s.ACC_FromName, std::string());

        // From no file at all every key is written, each once: all of the table's but the
        // spelling keys, which SaveSpelling writes, and those a person sets in the file.
        const QString fresh = path("fresh.dat");
        SaveConfig(s, ConfigForm::showing(s), l, fresh);
        const std::vector<std::string> keys = IniFile(fresh).keyNames("System");
        std::set<std::string> expectedKeys;
        for (const ConfigKeyEntry &k : ConfigKeys::table) {
            const auto field = ConfigFields::find(ConfigFields::settings, k.key);
            if (field == ConfigFields::settings.end()
                || (field->group != ConfigGroup::Spelling && field->group != ConfigGroup::WhenChanged))
                expectedKeys.emplace(k.name);
        }
        QCOMPARE(std::set<std::string>(keys.begin(), keys.end()), expectedKeys);
        QCOMPARE(keys.size(), expectedKeys.size());
    }

    // The picture keys beyond the first-run file read as on when absent (so a first-run or
    // older file sends as the defaults say), and what the dialog holds is saved.
    void pictureKeysBeyondTheFirstRunFile()
    {
        const QString config = path("picture.dat");
        TestFiles::write(config, FirstRunConfigText());
        ConfigSettings s;
        s.PIC_Progressive = s.PIC_ShortLastPage = s.PIC_FooterLink = false;
        LoadConfig(s, config);
        QVERIFY(s.PIC_Progressive && s.PIC_ShortLastPage && s.PIC_FooterLink);

        ConfigForm f = ConfigForm::showing(s);
        QVERIFY(f.CB_Progressive && f.CB_ShortLastPage && f.CB_FooterLink);
        f.CB_Progressive = false;
        f.CB_FooterLink = false;
        SaveConfig(s, f, MainWindowLayout(), config);
        QVERIFY(!s.PIC_Progressive && s.PIC_ShortLastPage && !s.PIC_FooterLink);
        ConfigSettings reread;
        LoadConfig(reread, config);
        QVERIFY(!reread.PIC_Progressive && reread.PIC_ShortLastPage && !reread.PIC_FooterLink);

        TestFiles::write(config, "[System]\r\nPIC_Progressive=0\r\nPIC_ShortLastPage=x\r\n");
        LoadConfig(reread, config);
        QVERIFY(!reread.PIC_Progressive && reread.PIC_ShortLastPage && reread.PIC_FooterLink);
    }

    // The keys of the letter on a phone stand in no first-run file, which stays as it was;
    // absent, they read as sharp pages in the smaller format, the words hidden, and new
    // letters in 12 points of the desktop's sans-serif face.
    void phoneKeysBeyondTheFirstRunFile()
    {
        const QByteArray first = FirstRunConfigText();
        for (const char *key : {"PIC_Sharp", "PIC_JpegOnly", "PIC_TextBelow", "LET_FontName", "LET_FontSize"})
            QVERIFY2(!first.contains(key), key);
        const QString config = path("phone.dat");
        TestFiles::write(config, first);
        ConfigSettings s;
        s.PIC_Sharp = false;
        s.PIC_JpegOnly = s.PIC_TextBelow = true;
        s.LET_FontName = "x";
        s.LET_FontSize = 3;
        LoadConfig(s, config);
        QVERIFY(s.PIC_Sharp && !s.PIC_JpegOnly && !s.PIC_TextBelow);
        QCOMPARE(s.LET_FontName, std::string());
        QCOMPARE(s.LET_FontSize, 12);
        QCOMPARE(TestFiles::read(config), first);

        ConfigForm f = ConfigForm::showing(s);
        f.CB_Sharp = false;
        f.CB_TextBelow = true;
        f.CBX_LetterFont = "DejaVu Serif";
        f.Edt_LetterFontSize = 99; // edited beyond the box's range: brought into it
        SaveConfig(s, f, MainWindowLayout(), config);
        ConfigSettings reread;
        LoadConfig(reread, config);
        QVERIFY(!reread.PIC_Sharp && !reread.PIC_JpegOnly && reread.PIC_TextBelow);
        QCOMPARE(reread.LET_FontName, std::string("DejaVu Serif"));
        QCOMPARE(reread.LET_FontSize, 72);
    }

    // The configuration database is written only by a save that changes it: a value set by
    // hand stays where it stands, byte for byte, through saves that leave it alone; one
    // that changes it rewrites its line in place.
    void configDatabaseWrittenWhenChanged_data()
    {
        QTest::addColumn<QByteArray>("inFile"); // the line in the file; empty: none
        QTest::addColumn<QByteArray>("edited"); // what the dialog holds; "-": as shown
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("absent, left alone") << QByteArray() << QByteArray("-") << QByteArray();
        QTest::newRow("absent, turned off") << QByteArray() << QByteArray("") << QByteArray("ACC_ConfigDatabase=\r\n");
        QTest::newRow("set by hand, left alone") << QByteArray("ACC_ConfigDatabase= https://db.test/x \r\n")
                                                 << QByteArray("-")
                                                 << QByteArray("ACC_ConfigDatabase= https://db.test/x \r\n");
        QTest::newRow("off, turned on") << QByteArray("ACC_ConfigDatabase=\r\n")
                                        << QByteArray("https://autoconfig.thunderbird.net/v1.1/")
                                        << QByteArray("ACC_ConfigDatabase=https://autoconfig.thunderbird.net/v1.1/\r\n");
    }
    void configDatabaseWrittenWhenChanged()
    {
        QFETCH(QByteArray, inFile);
        QFETCH(QByteArray, edited);
        QFETCH(QByteArray, after);
        const QString config = path("database.dat");
        // The key stands before the last line, so that a rewrite in place shows.
        TestFiles::write(config, FirstRunConfigText() + inFile + "LET_FontSize=12\r\n");
        ConfigSettings s;
        ConfigForm f;
        LoadConfig(s, f, config);
        const MainWindowLayout l = LoadWindowLayout(s, config);
        SaveConfig(s, f, l, config); // the first save writes the keys the first-run file lacks
        const QByteArray saved = TestFiles::read(config);
        QVERIFY(saved.contains(inFile));
        QCOMPARE(saved.contains("ACC_ConfigDatabase"), !inFile.isEmpty());
        if (edited != "-")
            f.Edt_ConfigDatabase = edited.toStdString();
        SaveConfig(s, f, l, config);
        QByteArray expected = saved;
        if (!inFile.isEmpty())
            expected.replace(inFile, after);
        else
            expected.append(after);
        QCOMPARE(TestFiles::read(config), expected);
    }

    // The connection security: its word read without regard to case, anything else (or
    // nothing) as "auto"; what the dialog holds is saved.
    void connectionSecurity_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("expected");
        QTest::newRow("absent") << QByteArray() << int(SmtpSecurity::Automatic);
        QTest::newRow("tls") << QByteArray("ACC_SMTPSecurity=tls\r\n") << int(SmtpSecurity::Tls);
        QTest::newRow("STARTTLS") << QByteArray("ACC_SMTPSecurity=STARTTLS\r\n") << int(SmtpSecurity::StartTls);
        QTest::newRow("none") << QByteArray("ACC_SMTPSecurity=none\r\n") << int(SmtpSecurity::None);
        QTest::newRow("unknown") << QByteArray("ACC_SMTPSecurity=nonesuch\r\n") << int(SmtpSecurity::Automatic);
    }
    void connectionSecurity()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, expected);
        const QString config = path("security.dat");
        TestFiles::write(config, FirstRunConfigText() + line);
        ConfigSettings s;
        LoadConfig(s, config);
        QCOMPARE(int(s.ACC_SMTPSecurity), expected);
        QVERIFY(!s.ACC_SMTPPassInKeyring);
        ConfigForm f = ConfigForm::showing(s);
        f.CBX_Security = SmtpSecurity::None;
        SaveConfig(s, f, MainWindowLayout(), config);
        ConfigSettings reread;
        LoadConfig(reread, config);
        QCOMPARE(reread.ACC_SMTPSecurity, SmtpSecurity::None);
    }

    // A password that lives in the keyring is never written to the file.
    void keyringPasswordStaysOutOfTheFile()
    {
        const QString config = path("keyring.dat");
        TestFiles::write(config, FirstRunConfigText());
        ConfigSettings s = ConfigSettings::firstRun();
        s.ACC_SMTPPass = "secret";
        s.ACC_SMTPPassInKeyring = true;
        SaveConfig(s, ConfigForm::showing(s), MainWindowLayout(), config);
        QVERIFY(!TestFiles::read(config).contains("secret"));
        QCOMPARE(s.ACC_SMTPPass, std::string("secret"));
        ConfigSettings reread;
        LoadConfig(reread, config);
        QVERIFY(reread.ACC_SMTPPassInKeyring);
        QCOMPARE(reread.ACC_SMTPPass, std::string());
    }

    void windowStates()
    {
        const QString config = path("states.dat");
        TestFiles::write(config, FirstRunConfigText());
        ConfigSettings s = ConfigSettings::firstRun();
        MainWindowLayout l;
        l.state = MainWindowLayout::State::Minimized;
        l.WND_X = 99;
        SaveConfig(s, ConfigForm::showing(s), l, config);
        const IniFile ini(config);
        QCOMPARE(ini.readString("System", "WND_State"), std::string("Normal"));
        QCOMPARE(ini.readInteger("System", "WND_X", 0), 20);

        l.state = MainWindowLayout::State::Maximized;
        SaveConfig(s, ConfigForm::showing(s), l, config);
        QCOMPARE(ini.readString("System", "WND_State"), std::string("Max"));
        QCOMPARE(ini.readInteger("System", "WND_X", 0), 20);
        QVERIFY(LoadWindowLayout(s, config).state == MainWindowLayout::State::Maximized);
    }

    void saveToUnwritableFile()
    {
        // Root may write any file, so a file in a folder that does not exist stands in
        // for the read-only one there.
        QString config = path("ro.dat");
        TestFiles::write(config, FirstRunConfigText());
        QFile::setPermissions(config, QFileDevice::ReadOwner);
        if (::geteuid() == 0)
            config = path("gone/ro.dat");
        ConfigSettings s = ConfigSettings::firstRun();
        try {
            SaveConfig(s, ConfigForm::showing(s), MainWindowLayout(), config);
            QFAIL("no error raised");
        } catch (const AppError &e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Unable to write to ") + config);
        }
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "tst_configfile.moc"
