#include "config/ConfigFile.h"
#include "config/ConfigState.h"
#include "config/IniFile.h"
#include "config/windows/FirstStartDialog.h"
#include "config/windows/NumberBox.h"
#include "tests/support/TestFiles.h"
#include "tests/support/windows/WindowFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The first start's account questions with the search and the test replaced: what is
// found lands in the boxes, Save writes the account as the configuration dialog does, and
// Cancel or "type it myself" leave Config.dat as the first-run file.
class TestFirstStart : public QObject
{
    Q_OBJECT

    struct Dialog
    {
        WindowFixture f;
        ConfigState config{nullptr};
        std::unique_ptr<FirstStartDialog> dialog;
        QStringList asked;
        std::vector<SmtpAccount> tested;

        explicit Dialog(const std::string &host = "smtp.example.org", int port = 465,
                        SmtpSecurity security = SmtpSecurity::Tls)
        {
            config.load(f.settings, f.paths.config);
            dialog = std::make_unique<FirstStartDialog>(f.services, config.form, config.password);
            dialog->discover = [=, this](const QString &address) {
                asked << address;
                AccountDiscovery::Result r;
                FoundServer s;
                s.host = host;
                s.port = port;
                s.security = security;
                r.server = s;
                r.offered = {s};
                r.source = AccountDiscovery::Source::Database;
                r.from = QStringLiteral("https://db.test/example.org");
                return r;
            };
            dialog->test = [this](const SmtpAccount &a) {
                tested.push_back(a);
                SmtpConnectionTest::Outcome o;
                o.passed = true;
                return o;
            };
        }
        template <class W>
        W *child(const char *name) const
        {
            return dialog->findChild<W *>(QString::fromLatin1(name));
        }
        void type(const QString &name, const QString &address, const QString &password)
        {
            child<QLineEdit>("Edt_FromName")->setText(name);
            child<QLineEdit>("Edt_FromAdd")->setText(address);
            child<QLineEdit>("Edt_Pass")->setText(password);
        }
        QByteArray file() const { return TestFiles::read(f.paths.config); }
        QString key(const char *name) const
        {
            return QString::fromStdString(IniFile(f.paths.config).readString("System", name, "(absent)"));
        }
    };

private slots:
    void foundSettingsAreSaved()
    {
        Dialog d;
        d.type(QStringLiteral("Ann Lee"), QStringLiteral("ann@example.org"), QStringLiteral("s3cret"));
        d.child<QPushButton>("Btn_FindSettings")->click();
        QCOMPARE(d.asked, QStringList{QStringLiteral("ann@example.org")});
        QVERIFY(d.child<QLabel>("LB_Found")->text().contains(QLatin1String("https://db.test/example.org")));
        QCOMPARE(d.child<QLineEdit>("Edt_Host")->text(), QStringLiteral("smtp.example.org"));
        QCOMPARE(d.child<NumberBox>("Edt_Port")->value(), 465);
        QCOMPARE(d.child<QComboBox>("CBX_Security")->currentIndex(), int(SmtpSecurity::Tls));
        QVERIFY(d.child<QLineEdit>("Edt_Pass")->isVisibleTo(d.dialog.get()));
        QVERIFY(d.child<QPushButton>("Btn_TestSettings")->isEnabled());
        QCOMPARE(d.file(), FirstRunConfigText()); // nothing before Save

        // Test settings logs in with the typed password and the address as the login name.
        d.child<QPushButton>("Btn_TestSettings")->click();
        QCOMPARE(d.tested.size(), size_t(1));
        QCOMPARE(d.tested[0].host, std::string("smtp.example.org"));
        QCOMPARE(d.tested[0].user, std::string("ann@example.org"));
        QCOMPARE(d.tested[0].password, std::string("s3cret"));

        d.child<QPushButton>("Btn_Save")->click();
        QCOMPARE(d.dialog->result(), int(QDialog::Accepted));
        QVERIFY(!d.dialog->wantsSmtpPage());
        QCOMPARE(d.key("ACC_FromName"), QStringLiteral("Ann Lee"));
        QCOMPARE(d.key("ACC_FromAdd"), QStringLiteral("ann@example.org"));
        QCOMPARE(d.key("ACC_SMTPHost"), QStringLiteral("smtp.example.org"));
        QCOMPARE(d.key("ACC_SMTPPort"), QStringLiteral("465"));
        QCOMPARE(d.key("ACC_SMTPUser"), QStringLiteral("ann@example.org"));
        QVERIFY(!d.f.settings.smtpAccountBlank());
        QCOMPARE(d.f.settings.ACC_SMTPPass, std::string("s3cret"));
        // The configuration dialog opens with the saved account.
        QCOMPARE(d.config.form.Edt_Host, std::string("smtp.example.org"));
        QCOMPARE(d.config.form.Edt_FromName, std::string("Ann Lee"));
    }

    // Leaving without Save writes nothing; "type it myself" asks for the SMTP page.
    void leavingWritesNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("smtpPage");
        QTest::newRow("cancel") << QStringLiteral("Btn_Cancel") << false;
        QTest::newRow("type myself") << QStringLiteral("Btn_TypeMyself") << true;
    }
    void leavingWritesNothing()
    {
        QFETCH(QString, button);
        QFETCH(bool, smtpPage);
        Dialog d;
        const ConfigForm before = d.config.form;
        d.type(QStringLiteral("Ann"), QStringLiteral("ann@example.org"), QStringLiteral("pw"));
        d.child<QPushButton>("Btn_FindSettings")->click();
        d.dialog->findChild<QPushButton *>(button)->click();
        QCOMPARE(d.dialog->result(), int(QDialog::Rejected));
        QCOMPARE(d.dialog->wantsSmtpPage(), smtpPage);
        QCOMPARE(d.file(), FirstRunConfigText());
        QVERIFY(d.f.settings.smtpAccountBlank());
        QCOMPARE(d.config.form.Edt_Host, before.Edt_Host);
        QCOMPARE(d.config.form.Edt_FromAdd, before.Edt_FromAdd);
    }

    // Without an address or a host, Save says what is missing and writes nothing.
    void saveNeedsAnAddressAndAHost_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("host");
        QTest::newRow("no address") << QString() << QStringLiteral("smtp.example.org");
        QTest::newRow("not an address") << QStringLiteral("ann") << QStringLiteral("smtp.example.org");
        QTest::newRow("no host") << QStringLiteral("ann@example.org") << QString();
    }
    void saveNeedsAnAddressAndAHost()
    {
        QFETCH(QString, address);
        QFETCH(QString, host);
        Dialog d;
        d.type(QStringLiteral("Ann"), address, QStringLiteral("pw"));
        d.child<QLineEdit>("Edt_Host")->setText(host);
        d.child<QPushButton>("Btn_Save")->click();
        QCOMPARE(d.f.dialogs.shown.size(), 1);
        QCOMPARE(d.file(), FirstRunConfigText());
        QVERIFY(d.f.settings.smtpAccountBlank());
    }

    // A provider that signs in with the browser: no password box, and Save chooses OAuth2
    // and asks for the SMTP page, where the sign-in is.
    void browserSignInProvider()
    {
        Dialog d("smtp.gmail.com", 465, SmtpSecurity::Tls);
        d.type(QStringLiteral("Ann"), QStringLiteral("ann@gmail.com"), QString());
        d.child<QPushButton>("Btn_FindSettings")->click();
        QVERIFY(!d.child<QLineEdit>("Edt_Pass")->isVisibleTo(d.dialog.get()));
        QVERIFY(d.child<QLabel>("LB_SignIn")->isVisibleTo(d.dialog.get()));
        QVERIFY(!d.child<QPushButton>("Btn_TestSettings")->isEnabled());
        d.child<QPushButton>("Btn_Save")->click();
        QCOMPARE(d.dialog->result(), int(QDialog::Accepted));
        QVERIFY(d.dialog->wantsSmtpPage());
        QCOMPARE(d.key("ACC_SMTPAuth"), QStringLiteral("OAuth2"));
        QCOMPARE(d.key("ACC_OAuthProvider"), QStringLiteral("Google"));
        QCOMPARE(d.key("ACC_SMTPHost"), QStringLiteral("smtp.gmail.com"));
    }

    // A login name that was the address follows the address; one typed apart stays.
    void loginNameFollowsTheAddress()
    {
        Dialog d;
        auto *address = d.child<QLineEdit>("Edt_FromAdd");
        auto *user = d.child<QLineEdit>("Edt_User");
        address->setText(QStringLiteral("ann@example.org"));
        QCOMPARE(user->text(), QStringLiteral("ann@example.org"));
        address->setText(QStringLiteral("anne@example.org"));
        QCOMPARE(user->text(), QStringLiteral("anne@example.org"));
        user->setText(QStringLiteral("anne"));
        address->setText(QStringLiteral("ann@example.org"));
        QCOMPARE(user->text(), QStringLiteral("anne"));
    }
};

QTEST_MAIN(TestFirstStart)
#include "tst_firststart.moc"
