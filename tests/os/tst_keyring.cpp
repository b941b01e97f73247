#include "config/ConfigFile.h"
#include "config/SmtpPassword.h"
#include "os/QtKeychainKeyring.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

// The desktop's keyring through QtKeychain. Run twice: inside a private D-Bus session
// with an unlocked gnome-keyring (VELLORN_KEYRING_EXPECTED=1, see with_keyring.sh), and
// without any D-Bus session, where every call fails at once with its reason and the
// password stays in Config.dat.
class TestKeyring : public QObject
{
    Q_OBJECT

    bool expected() const { return qEnvironmentVariableIntValue("VELLORN_KEYRING_EXPECTED") == 1; }

private slots:
    void roundTrip()
    {
        QtKeychainKeyring keyring;
        const QString key = QStringLiteral("smtp:test-%1@localhost").arg(QCoreApplication::applicationPid());
        const std::string secret("p\xC3\xA4ss word\x01=;", 13);
        const PasswordKeyring::Result written = keyring.write(key, secret);
        if (!expected()) {
            QVERIFY(!written.ok());
            QVERIFY(written.status != PasswordKeyring::Status::TimedOut);
            QVERIFY(!written.message.isEmpty());
            QVERIFY(!keyring.read(key).ok());
            return;
        }
        QVERIFY2(written.ok(), qPrintable(written.message));
        const PasswordKeyring::Result read = keyring.read(key);
        QVERIFY2(read.ok(), qPrintable(read.message));
        QCOMPARE(read.password, secret);
        QVERIFY(keyring.remove(key).ok());
        QCOMPARE(keyring.read(key).status, PasswordKeyring::Status::NotFound);
        QVERIFY(keyring.remove(key).ok());
    }

    // A password in Config.dat moves into the keyring at the next save, and comes back
    // from there; without a keyring it stays in the file, readable by its owner only.
    void passwordMovesIntoTheKeyring()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("Config.dat"));
        QByteArray text = FirstRunConfigText();
        text.replace("ACC_SMTPHost=\r\n", "ACC_SMTPHost=keyring.test\r\n");
        text.replace("ACC_SMTPUser=\r\n", "ACC_SMTPUser=ann\r\n");
        text.replace("ACC_SMTPPass=\r\n", "ACC_SMTPPass=from-the-file\r\n");
        TestFiles::write(config, text);
        QFile::setPermissions(config, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);

        QtKeychainKeyring keyring;
        SmtpPassword place(&keyring);
        ConfigSettings s;
        LoadConfig(s, config);
        QVERIFY(place.load(s));
        const ConfigSettings before = s;
        place.place(s, before);
        SaveConfig(s, ConfigForm::showing(s), MainWindowLayout(), config);
        if (!s.ACC_SMTPPassInKeyring)
            SmtpPassword::protectFile(config);
        QCOMPARE(s.ACC_SMTPPassInKeyring, expected());
        QCOMPARE(TestFiles::read(config).contains("from-the-file"), !expected());
        QVERIFY(place.where(s).contains(expected() ? QStringLiteral("keyring") : QStringLiteral("Config.dat")));
        if (!expected()) {
            QCOMPARE(TestFiles::unixMode(config), 0600);
            return;
        }
        ConfigSettings reread;
        LoadConfig(reread, config);
        QCOMPARE(reread.ACC_SMTPPass, std::string());
        SmtpPassword again(&keyring);
        QVERIFY2(again.load(reread), qPrintable(again.problem()));
        QCOMPARE(reread.ACC_SMTPPass, std::string("from-the-file"));
        keyring.remove(SmtpPassword::keyOf(reread));
    }
};

QTEST_GUILESS_MAIN(TestKeyring)
#include "tst_keyring.moc"
