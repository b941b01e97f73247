#include "config/ConfigFile.h"
#include "config/ConfigState.h"
#include "config/SmtpPassword.h"
#include "os/MemoryKeyring.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

// Where the SMTP password is kept, decided against a keyring that answers as told.
class TestSmtpPassword : public QObject
{
    Q_OBJECT

    static ConfigSettings account(const std::string &password, bool inKeyring)
    {
        ConfigSettings s = ConfigSettings::firstRun();
        s.ACC_SMTPHost = "mail.test";
        s.ACC_SMTPUser = "ann";
        s.ACC_SMTPPass = password;
        s.ACC_SMTPPassInKeyring = inKeyring;
        return s;
    }

private slots:
    // Reading: only when the record says the keyring holds it; a failure is told and
    // leaves the password empty, never a stale one.
    void load_data()
    {
        QTest::addColumn<bool>("inKeyring");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("password");
        QTest::newRow("in the file") << false << int(PasswordKeyring::Status::Refused) << true << QByteArray("file");
        QTest::newRow("in the keyring") << true << int(PasswordKeyring::Status::Ok) << true << QByteArray("kept");
        QTest::newRow("locked") << true << int(PasswordKeyring::Status::Refused) << false << QByteArray();
        QTest::newRow("timed out") << true << int(PasswordKeyring::Status::TimedOut) << false << QByteArray();
    }
    void load()
    {
        QFETCH(bool, inKeyring);
        QFETCH(int, status);
        QFETCH(bool, ok);
        QFETCH(QByteArray, password);
        MemoryKeyring keyring;
        keyring.entries.insert(QStringLiteral("smtp:ann@mail.test"), "kept");
        keyring.status = static_cast<PasswordKeyring::Status>(status);
        SmtpPassword place(&keyring);
        ConfigSettings s = account("file", inKeyring);
        QCOMPARE(place.load(s), ok);
        QCOMPARE(QByteArray::fromStdString(s.ACC_SMTPPass), password);
        QCOMPARE(place.problem().isEmpty(), ok);
        QCOMPARE(keyring.calls, inKeyring ? 1 : 0);
    }

    // Saving: the keyring when it answers (a password from the file moves there), the
    // file when it does not; an empty password over an unread keyring entry keeps it.
    void place()
    {
        MemoryKeyring keyring;
        SmtpPassword place(&keyring);
        ConfigSettings s = account("moved", false);
        const ConfigSettings before = s;
        place.place(s, before);
        QVERIFY(s.ACC_SMTPPassInKeyring);
        QCOMPARE(keyring.entries.value(QStringLiteral("smtp:ann@mail.test")), std::string("moved"));

        // Renamed account: the new entry written, the old one removed.
        ConfigSettings renamed = s;
        renamed.ACC_SMTPUser = "bob";
        place.place(renamed, s);
        QVERIFY(renamed.ACC_SMTPPassInKeyring);
        QCOMPARE(keyring.entries.keys(), QStringList{QStringLiteral("smtp:bob@mail.test")});

        // No service: the file keeps it, and the dialog says why.
        keyring.status = PasswordKeyring::Status::NoService;
        ConfigSettings none = account("plain", false);
        place.place(none, none);
        QVERIFY(!none.ACC_SMTPPassInKeyring);
        QVERIFY(place.where(none).contains(QStringLiteral("Config.dat")));
        QVERIFY(place.where(none).contains(QStringLiteral("refused")));

        // Locked at start, nothing typed: the keyring stays in charge.
        keyring.status = PasswordKeyring::Status::Refused;
        SmtpPassword locked(&keyring);
        ConfigSettings unread = account("", true);
        QVERIFY(!locked.load(unread));
        const ConfigSettings saved = unread;
        locked.place(unread, saved);
        QVERIFY(unread.ACC_SMTPPassInKeyring);
        // Without a keyring at all, a password stays in the file.
        SmtpPassword without(nullptr);
        ConfigSettings file = account("x", false);
        without.place(file, file);
        QVERIFY(!file.ACC_SMTPPassInKeyring);
    }

    // Start-up's load: a password the keyring gives reaches the record and the dialog's
    // values alike; one it cannot give leaves both empty (a save then keeps the entry).
    // Read later, the keyring is not asked until then, and then once, to the same end.
    void startupLoad_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<bool>("later");
        for (const bool later : {false, true}) {
            const char *when = later ? ", read later" : "";
            QTest::addRow("answers%s", when) << int(PasswordKeyring::Status::Ok) << QByteArray("kept") << later;
            QTest::addRow("locked%s", when) << int(PasswordKeyring::Status::Refused) << QByteArray() << later;
        }
    }
    void startupLoad()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, password);
        QFETCH(bool, later);
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("Config.dat"));
        TestFiles::write(config, FirstRunConfigText().replace("ACC_SMTPHost=\r\n", "ACC_SMTPHost=mail.test\r\n")
                                     .replace("ACC_SMTPUser=\r\n", "ACC_SMTPUser=ann\r\n")
                                 + "ACC_SMTPPassInKeyring=1\r\n");
        MemoryKeyring keyring;
        keyring.entries.insert(QStringLiteral("smtp:ann@mail.test"), "kept");
        keyring.status = static_cast<PasswordKeyring::Status>(status);
        ConfigSettings s;
        ConfigState state(&keyring);
        if (later) {
            state.loadKeyringLater(s, config);
            QVERIFY(state.passwordPending());
            QCOMPARE(keyring.calls, 0);
            QVERIFY(s.ACC_SMTPPass.empty());
            QCOMPARE(s.ACC_SMTPHost, std::string("mail.test"));
            state.readPendingPassword(s);
        } else {
            state.load(s, config);
        }
        QVERIFY(!state.passwordPending());
        QCOMPARE(keyring.calls, 1);
        state.readPendingPassword(s);
        QCOMPARE(keyring.calls, 1);
        QCOMPARE(QByteArray::fromStdString(s.ACC_SMTPPass), password);
        QCOMPARE(QByteArray::fromStdString(state.form.Edt_Pass), password);
        QCOMPARE(state.password.problem().isEmpty(), !password.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSmtpPassword)
#include "tst_smtppassword.moc"
