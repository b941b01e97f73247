#include "config/ConfigFile.h"
#include "config/ConfigState.h"
#include "config/IniFile.h"
#include "config/OAuthSettings.h"
#include "config/OAuthTokens.h"
#include "config/windows/FirstStartDialog.h"
#include "config/windows/NumberBox.h"
#include "config/windows/OAuthLoginBox.h"
#include "os/MemoryKeyring.h"
#include "tests/support/OAuthTestServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/windows/WindowFixture.h"

#include <QDir>
#include <QTcpSocket>
#include <QUrlQuery>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The first start's account questions with the search and the test replaced: what is
// found lands in the boxes, Save writes the account as the configuration dialog does, and
// Cancel or "type it myself" leave Config.dat as the first-run file. The browser's
// sign-in goes to a local authorization server through a stand-in browser in $BROWSER.
class TestFirstStart : public QObject
{
    Q_OBJECT

    OAuthTestServer m_auth;

    struct Dialog
    {
        WindowFixture f;
        MemoryKeyring keyring;
        ConfigState config;
        std::unique_ptr<FirstStartDialog> dialog;
        QStringList asked;
        std::vector<SmtpAccount> tested;

        explicit Dialog(const std::string &host = "smtp.example.org", int port = 465,
                        SmtpSecurity security = SmtpSecurity::Tls, bool withKeyring = false)
            : config(withKeyring ? &keyring : nullptr)
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
        // The token files beside Config.dat (where no keyring keeps the sign-in).
        QStringList tokenFiles() const
        {
            return QFileInfo(f.paths.config).dir().entryList({QStringLiteral("OAuthToken-*.dat")});
        }
    };

    // The sign-in's provider set to Custom with the local server's endpoints.
    void useTheLocalServer(Dialog &d)
    {
        auto *provider = d.child<QComboBox>("CBX_Provider");
        provider->setCurrentIndex(provider->findData(QStringLiteral("Custom")));
        QVERIFY(d.child<QLineEdit>("Edt_AuthUrl")->isVisible());
        d.child<QLineEdit>("Edt_AuthUrl")->setText(m_auth.authorizationUrl());
        d.child<QLineEdit>("Edt_TokenUrl")->setText(m_auth.tokenUrl());
        d.child<QLineEdit>("Edt_Scope")->setText(QStringLiteral("https://mail.test/ offline_access"));
        d.child<QLineEdit>("Edt_ClientId")->setText(m_auth.clientId());
        QVERIFY(OAuthSettings::clientOf(d.dialog->typedForm().appliedTo(d.f.settings)).authorizationUrl
                == m_auth.authorizationUrl());
    }

private slots:
    void initTestCase()
    {
        qputenv("BROWSER", VELLORN_PYTHON3 " " VELLORN_SUPPORT_DIR "/stand_in_browser.py");
        QVERIFY2(m_auth.start(), qPrintable(m_auth.errorString()));
    }

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

    // A provider that signs in with the browser: the sign-in takes the password's place,
    // the password stays a choice (an application password), and another host goes back
    // to the password.
    void browserSignInProvider()
    {
        Dialog d("smtp.gmail.com", 465, SmtpSecurity::Tls);
        auto *auth = d.child<QComboBox>("CBX_Auth");
        auto *group = d.child<QWidget>("GB_OAuth");
        auto *password = d.child<QLineEdit>("Edt_Pass");
        QVERIFY(!auth->isVisibleTo(d.dialog.get()));
        QVERIFY(!group->isVisibleTo(d.dialog.get()));
        d.type(QStringLiteral("Ann"), QStringLiteral("ann@gmail.com"), QString());
        d.child<QPushButton>("Btn_FindSettings")->click();
        QVERIFY(auth->isVisibleTo(d.dialog.get()));
        QCOMPARE(auth->currentData().toString(), QStringLiteral("OAuth2"));
        QVERIFY(group->isVisibleTo(d.dialog.get()));
        QCOMPARE(d.child<QComboBox>("CBX_Provider")->currentData().toString(), QStringLiteral("Google"));
        // The preset's fixed endpoints are left out; its client ID may be asked for.
        QVERIFY(!d.child<QLineEdit>("Edt_AuthUrl")->isVisibleTo(d.dialog.get()));
        QVERIFY(d.child<QLineEdit>("Edt_ClientId")->isVisibleTo(d.dialog.get()));
        QVERIFY(d.child<QPushButton>("BTN_SignIn")->isVisibleTo(d.dialog.get()));
        QVERIFY(!password->isVisibleTo(d.dialog.get()));
        QVERIFY(d.child<QPushButton>("Btn_TestSettings")->isEnabled());

        auth->setCurrentIndex(auth->findData(QStringLiteral("Password")));
        QVERIFY(password->isVisibleTo(d.dialog.get()));
        QVERIFY(!group->isVisibleTo(d.dialog.get()));
        // Typing in the host of the same provider leaves the choice alone.
        d.child<QLineEdit>("Edt_Host")->setText(QStringLiteral("SMTP.gmail.com"));
        QCOMPARE(auth->currentData().toString(), QStringLiteral("Password"));
        d.child<QLineEdit>("Edt_Host")->setText(QStringLiteral("smtp.office365.com"));
        QCOMPARE(auth->currentData().toString(), QStringLiteral("OAuth2"));
        QCOMPARE(d.child<QComboBox>("CBX_Provider")->currentData().toString(), QStringLiteral("Microsoft"));
        d.child<QLineEdit>("Edt_Host")->setText(QStringLiteral("smtp.example.org"));
        QVERIFY(!auth->isVisibleTo(d.dialog.get()));
        QCOMPARE(auth->currentData().toString(), QStringLiteral("Password"));
        QVERIFY(password->isVisibleTo(d.dialog.get()));
    }

    // Tab walks the rows as they read: the sign-in after the login name, then the buttons.
    void tabOrderFollowsTheRows()
    {
        Dialog d("smtp.gmail.com", 465, SmtpSecurity::Tls);
        d.dialog->show();
        d.type(QStringLiteral("Ann"), QStringLiteral("ann@gmail.com"), QString());
        d.child<QPushButton>("Btn_FindSettings")->click();
        QStringList order;
        QWidget *w = d.child<QWidget>("Edt_User");
        while (order.size() < 10) {
            order << w->objectName();
            do
                w = w->nextInFocusChain();
            while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisible() || !w->isEnabled());
        }
        QCOMPARE(order, (QStringList{QStringLiteral("Edt_User"), QStringLiteral("CBX_Auth"),
                                     QStringLiteral("CBX_Provider"), QStringLiteral("Edt_ClientId"),
                                     QStringLiteral("Edt_ClientSecret"), QStringLiteral("BTN_SignIn"),
                                     QStringLiteral("Btn_TypeMyself"), QStringLiteral("Btn_Save"),
                                     QStringLiteral("Btn_Cancel"), QStringLiteral("Edt_FromName")}));
    }

    // Saved without signing in: OAuth2 is written and the SMTP page's Sign in follows.
    void savedWithoutTheSignIn()
    {
        Dialog d("smtp.gmail.com", 465, SmtpSecurity::Tls);
        d.type(QStringLiteral("Ann"), QStringLiteral("ann@gmail.com"), QStringLiteral("not used"));
        d.child<QPushButton>("Btn_FindSettings")->click();
        d.child<QPushButton>("Btn_Save")->click();
        QCOMPARE(d.dialog->result(), int(QDialog::Accepted));
        QVERIFY(d.dialog->wantsSmtpPage());
        QCOMPARE(d.key("ACC_SMTPAuth"), QStringLiteral("OAuth2"));
        QCOMPARE(d.key("ACC_OAuthProvider"), QStringLiteral("Google"));
        QCOMPARE(d.key("ACC_SMTPHost"), QStringLiteral("smtp.gmail.com"));
        QCOMPARE(d.key("ACC_SMTPPass"), QString());
    }

    // The sign-in in the dialog (its provider set to Custom with the local server's
    // endpoints: no real provider is asked), tested as a send logs in, then each way out:
    // Save keeps the token where the SMTP page keeps it; Cancel, and "type it myself"
    // followed by a cancelled SMTP page, remove it and leave the first-run Config.dat.
    void signInThenLeave_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("withKeyring");
        QTest::newRow("save, keyring") << QStringLiteral("save") << true;
        QTest::newRow("save, file") << QStringLiteral("save") << false;
        QTest::newRow("cancel, keyring") << QStringLiteral("cancel") << true;
        QTest::newRow("cancel, file") << QStringLiteral("cancel") << false;
        QTest::newRow("type myself, page cancelled") << QStringLiteral("type myself") << false;
    }
    void signInThenLeave()
    {
        QFETCH(QString, way);
        QFETCH(bool, withKeyring);
        Dialog d("smtp.gmail.com", 465, SmtpSecurity::Tls, withKeyring);
        d.dialog->show();
        d.type(QStringLiteral("Ann"), QStringLiteral("ann@gmail.com"), QString());
        d.child<QPushButton>("Btn_FindSettings")->click();
        d.f.dialogs.shown.clear(); // Find settings' question
        useTheLocalServer(d);
        auto *state = d.child<QLabel>("LB_SignedIn");
        QCOMPARE(state->text(), QStringLiteral("Not signed in."));

        d.child<QPushButton>("BTN_SignIn")->click();
        QTRY_VERIFY_WITH_TIMEOUT(state->text().startsWith(QLatin1String("Signed in as")), 20000);
        QVERIFY(d.f.dialogs.shown.isEmpty());
        ConfigSettings account;
        account.ACC_SMTPUser = "ann@gmail.com";
        account.ACC_SMTPHost = "smtp.gmail.com";
        const QString key = OAuthSettings::keyOf(account);
        QVERIFY(OAuthTokens::shared().signedInNow(account));
        QCOMPARE(d.keyring.entries.contains(key), withKeyring);
        QCOMPARE(d.tokenFiles().size(), withKeyring ? 0 : 1);
        QCOMPARE(d.file(), FirstRunConfigText()); // the sign-in alone writes no key

        // Test settings logs in with the token got from the sign-in, as a send does.
        d.child<QPushButton>("Btn_TestSettings")->click();
        QCOMPARE(d.tested.size(), size_t(1));
        QCOMPARE(d.tested[0].auth, SmtpAccount::Auth::OAuth2);
        QVERIFY(d.tested[0].password.empty());
        QVERIFY(d.tested[0].accessToken);
        QVERIFY(d.tested[0].accessToken(false).token.starts_with("at-"));
        d.f.dialogs.shown.clear(); // its report

        const bool kept = way == QLatin1String("save");
        if (way == QLatin1String("save")) {
            d.child<QPushButton>("Btn_Save")->click();
            QCOMPARE(d.dialog->result(), int(QDialog::Accepted));
            QVERIFY(!d.dialog->wantsSmtpPage());
            QCOMPARE(d.key("ACC_SMTPAuth"), QStringLiteral("OAuth2"));
            QCOMPARE(d.key("ACC_OAuthProvider"), QStringLiteral("Custom"));
            QCOMPARE(d.key("ACC_OAuthTokenUrl"), m_auth.tokenUrl());
            QVERIFY(d.key("ACC_OAuthAccount") != QString());
            QVERIFY(!d.file().contains("rt-") && !d.file().contains("at-"));
        } else if (way == QLatin1String("cancel")) {
            d.child<QPushButton>("Btn_Cancel")->click();
        } else {
            d.child<QPushButton>("Btn_TypeMyself")->click();
            QVERIFY(d.dialog->wantsSmtpPage());
            // Kept for the SMTP page, which may save it ...
            QVERIFY(OAuthTokens::shared().signedInNow(account));
            QCOMPARE(d.dialog->typedForm().CBX_Auth, std::string("OAuth2"));
            // ... and removed once it was left without a save.
            d.dialog->forgetUnsavedSignIns();
        }
        QCOMPARE(OAuthTokens::shared().signedInNow(account), kept);
        QCOMPARE(d.keyring.entries.contains(key), kept && withKeyring);
        QCOMPARE(d.tokenFiles().size(), kept && !withKeyring ? 1 : 0);
        QVERIFY(d.f.dialogs.shown.isEmpty());
        if (!kept) {
            QCOMPARE(d.file(), FirstRunConfigText());
            QVERIFY(d.f.settings.ACC_OAuthAccount.empty());
        }
        // Nothing of this row is left for the next.
        QString problem;
        OAuthTokens::shared().signOut(account, problem);
    }

    // A sign-in still waiting for the browser is given up with the window: its listener
    // closes, so a late answer of the browser keeps nothing.
    void cancelWhileSigningIn()
    {
        Dialog d("smtp.gmail.com", 465, SmtpSecurity::Tls);
        d.dialog->show();
        d.type(QStringLiteral("Ann"), QStringLiteral("ann@gmail.com"), QString());
        d.child<QPushButton>("Btn_FindSettings")->click();
        useTheLocalServer(d);
        QUrl opened;
        d.dialog->findChild<OAuthLoginBox *>()->openBrowser = [&](const QUrl &url) {
            opened = url;
            return true;
        };
        d.child<QPushButton>("BTN_SignIn")->click();
        QVERIFY(!d.child<QPushButton>("BTN_SignIn")->isEnabled());
        const QUrl back(QUrlQuery(opened).queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded));
        QCOMPARE(back.host(), QStringLiteral("127.0.0.1"));
        QTcpSocket before;
        before.connectToHost(QHostAddress::LocalHost, quint16(back.port()));
        QVERIFY(before.waitForConnected(5000));
        before.abort();

        d.child<QPushButton>("Btn_Cancel")->click();
        QVERIFY(d.child<QPushButton>("BTN_SignIn")->isEnabled());
        QTcpSocket after;
        after.connectToHost(QHostAddress::LocalHost, quint16(back.port()));
        QVERIFY(!after.waitForConnected(2000));
        QCOMPARE(d.file(), FirstRunConfigText());
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
