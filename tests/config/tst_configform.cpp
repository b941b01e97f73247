#include "config/ConfigFile.h"
#include "config/IniFile.h"
#include "os/AppError.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

// The dialog's values between the file and the settings record.
class TestConfigForm : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("Config.dat")); }

private slots:
    void numberText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("in range") << "600" << 600;
        QTest::newRow("above: not clamped while typed") << "2000" << 2000;
        QTest::newRow("signed") << "+300" << 300;
        QTest::newRow("negative") << "-5" << -5;
        QTest::newRow("empty: lower bound") << "" << 160;
        QTest::newRow("decimal: lower bound") << "1.5" << 160;
        QTest::newRow("sign alone") << "-" << 160;
        QTest::newRow("too large for an integer") << "99999999999" << 160;
    }

    void numberText()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(ConfigForm::PictureSize.valueOf(text), value);
        QCOMPARE(ConfigForm::PictureSize.clamp(value), qBound(160, value, 1024));
    }

    // Out-of-range values written by hand: the dialog shows them within its ranges, but a
    // save that leaves them as shown (at exit, or Save after other edits) writes them back
    // as they were read; a number that was edited is brought into its range.
    void outOfRangeValues()
    {
        TestFiles::write(path(), "[System]\r\nPIC_W=2000\r\nACC_SMTPPort=70000\r\nPIC_Quality=140\r\n"
                                 "ACC_SMTPNeedLogin=False\r\nACC_SMTPHost= mail.example.org \r\n");
        ConfigSettings s;
        ConfigForm form;
        LoadConfig(s, form, path());
        QCOMPARE(s.PIC_MT, 20); // missing
        QCOMPARE(form.Edt_MT, 25);
        QCOMPARE(s.ACC_SMTPPort, 70000);
        QCOMPARE(form.Edt_Port, 65535);
        QCOMPARE(s.PIC_W, 2000);
        QCOMPARE(form.Edt_PW, 1024);
        QCOMPARE(form.TB_Quality, 100);
        QCOMPARE(form.Edt_Host, s.ACC_SMTPHost);
        QVERIFY(!form.CKBox_NeedLogin);

        SaveConfig(s, form, MainWindowLayout(), path());
        const IniFile ini(path());
        QCOMPARE(ini.readInteger("System", "PIC_MT", 0), 20);
        QCOMPARE(ini.readInteger("System", "ACC_SMTPPort", 0), 70000);
        QCOMPARE(ini.readInteger("System", "PIC_W", 0), 2000);
        QCOMPARE(ini.readInteger("System", "PIC_Quality", 0), 140);
        QCOMPARE(ini.readString("System", "ACC_SMTPNeedLogin"), std::string("False"));
        QCOMPARE(s.PIC_MT, 20);
        QCOMPARE(s.ACC_SMTPHost, std::string("mail.example.org"));

        form.Edt_MB = 5000;
        form.Edt_PW = 1500;
        form.Edt_Port = 0;
        SaveConfig(s, form, MainWindowLayout(), path());
        QCOMPARE(ini.readInteger("System", "PIC_MB", 0), 800);
        QCOMPARE(ini.readInteger("System", "PIC_W", 0), 1024);
        QCOMPARE(ini.readInteger("System", "ACC_SMTPPort", 0), 1);
        QCOMPARE(ini.readInteger("System", "PIC_MT", 0), 20);
        QCOMPARE(s.PIC_W, 1024);
    }

    // The mail size limit: absent from the file it shows 25, and a save leaves it so until
    // it is edited; a hand-written size beyond the box is kept, an edited one is saved
    // within the box's range.
    void mailSizeLimit()
    {
        TestFiles::write(path(), "[System]\r\nACC_SMTPPort=25\r\n");
        ConfigSettings s;
        ConfigForm form;
        LoadConfig(s, form, path());
        QCOMPARE(s.ACC_MailSizeLimit, 25);
        QCOMPARE(form.Edt_SizeLimit, 25);
        QCOMPARE(form.appliedTo(s).ACC_MailSizeLimit, 25);
        form.Edt_SizeLimit = 10;
        SaveConfig(s, form, MainWindowLayout(), path());
        QCOMPARE(IniFile(path()).readInteger("System", "ACC_MailSizeLimit", 0), 10);
        QCOMPARE(s.ACC_MailSizeLimit, 10);

        TestFiles::write(path(), "[System]\r\nACC_MailSizeLimit=5000\r\n");
        LoadConfig(s, form, path());
        QCOMPARE(form.Edt_SizeLimit, 2047);
        QCOMPARE(form.appliedTo(s).ACC_MailSizeLimit, 5000);
        form.Edt_SizeLimit = -3;
        QCOMPARE(form.appliedTo(s).ACC_MailSizeLimit, 0);
    }

    // A save that cannot write leaves the record as it was.
    void failedSaveKeepsRecord()
    {
        ConfigSettings s = ConfigSettings::firstRun();
        ConfigForm form = ConfigForm::showing(s);
        form.Edt_Host = "new.example.org";
        QVERIFY_THROWS_EXCEPTION(AppError, SaveConfig(s, form, MainWindowLayout(), m_dir.filePath("gone/Config.dat")));
        QCOMPARE(s.ACC_SMTPHost, std::string());
    }
};

QTEST_GUILESS_MAIN(TestConfigForm)
#include "tst_configform.moc"
