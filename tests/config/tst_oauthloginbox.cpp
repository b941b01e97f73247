#include "config/ConfigState.h"
#include "config/OAuthSettings.h"
#include "config/windows/NumberBox.h"
#include "config/windows/TFm_Set.h"
#include "os/MemoryKeyring.h"
#include "tests/support/OAuthTestServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/windows/WindowControls.h"
#include "tests/support/windows/WindowFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace WindowControls;

// The SMTP page's sign-in with the browser: a stand-in browser in $BROWSER follows the
// local authorization server's approval back to the dialog's loopback listener.
class TestOAuthLoginBox : public QObject
{
    Q_OBJECT

    OAuthTestServer m_auth;

    static void show(QDialog &d)
    {
        d.show();
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
    }
    static void type(QWidget *window, const char *name, const QString &text)
    {
        auto *field = child<QLineEdit>(window, name);
        field->setText(text);
    }

private slots:
    void initTestCase()
    {
        qputenv("BROWSER", VELLORN_PYTHON3 " " VELLORN_SUPPORT_DIR "/stand_in_browser.py");
        QVERIFY2(m_auth.start(), qPrintable(m_auth.errorString()));
    }

    // Choosing OAuth2 leaves the password aside; a preset fills the server's values.
    void presetsFillTheServer()
    {
        WindowFixture f;
        ConfigState config(nullptr);
        config.load(f.settings, f.paths.config);
        TFm_Set dialog(f.services, config.form, config.password);
        show(dialog);
        dialog.setPage(1);
        auto *auth = child<QComboBox>(&dialog, "CBX_Auth");
        auto *group = child<QWidget>(&dialog, "GB_OAuth");
        QVERIFY(!group->isVisible());
        auth->setCurrentIndex(auth->findData(QStringLiteral("OAuth2")));
        QVERIFY(group->isVisible());
        QVERIFY(!child<QLineEdit>(&dialog, "Edt_Pass")->isEnabled());

        auto *provider = child<QComboBox>(&dialog, "CBX_Provider");
        const struct
        {
            const char *name;
            const char *host;
            int port;
            int security;
        } presets[] = {{"Google", "smtp.gmail.com", 465, 1}, {"Microsoft", "smtp.office365.com", 587, 2}};
        for (const auto &p : presets) {
            const int index = provider->findData(QLatin1String(p.name));
            QVERIFY(index >= 0);
            provider->setCurrentIndex(index);
            emit provider->activated(index);
            QCOMPARE(child<QLineEdit>(&dialog, "Edt_Host")->text(), QLatin1String(p.host));
            QCOMPARE(child<NumberBox>(&dialog, "Edt_Port")->value(), p.port);
            QCOMPARE(child<QComboBox>(&dialog, "CBX_Security")->currentIndex(), p.security);
            QVERIFY(child<QLineEdit>(&dialog, "Edt_TokenUrl")->isReadOnly());
            QVERIFY(child<QLineEdit>(&dialog, "Edt_TokenUrl")->text().startsWith(QLatin1String("https://")));
        }
        dialog.reject();
    }

    // Sign in through the browser, save (no token in Config.dat), then sign out.
    void signInAndOut()
    {
        WindowFixture f;
        MemoryKeyring keyring;
        ConfigState config(&keyring);
        config.load(f.settings, f.paths.config);
        TFm_Set dialog(f.services, config.form, config.password);
        show(dialog);
        dialog.setPage(1);
        type(&dialog, "Edt_Host", QStringLiteral("smtp.mail.test"));
        type(&dialog, "Edt_User", QStringLiteral("vera@mail.test"));
        auto *auth = child<QComboBox>(&dialog, "CBX_Auth");
        auth->setCurrentIndex(auth->findData(QStringLiteral("OAuth2")));
        auto *provider = child<QComboBox>(&dialog, "CBX_Provider");
        provider->setCurrentIndex(provider->findData(QStringLiteral("Custom")));
        type(&dialog, "Edt_AuthUrl", m_auth.authorizationUrl());
        type(&dialog, "Edt_TokenUrl", m_auth.tokenUrl());
        type(&dialog, "Edt_Scope", QStringLiteral("https://mail.test/ offline_access"));
        type(&dialog, "Edt_ClientId", m_auth.clientId());
        auto *state = child<QLabel>(&dialog, "LB_SignedIn");
        QCOMPARE(state->text(), QStringLiteral("Not signed in."));

        click(&dialog, "BTN_SignIn");
        QTRY_VERIFY_WITH_TIMEOUT(state->text().startsWith(QLatin1String("Signed in as vera@mail.test")), 20000);
        QVERIFY(state->text().contains(QLatin1String("keyring")));
        QVERIFY(f.dialogs.shown.isEmpty());
        const QString key = QStringLiteral("oauth:vera@mail.test@smtp.mail.test");
        const std::string refreshToken = keyring.entries.value(key);
        QVERIFY(refreshToken.starts_with("rt-"));

        click(&dialog, "Button1");
        QVERIFY(!dialog.isVisible());
        const QByteArray file = TestFiles::read(f.paths.config);
        QVERIFY(file.contains("ACC_SMTPAuth=OAuth2\r\n"));
        QVERIFY(file.contains("ACC_OAuthProvider=Custom\r\n"));
        QVERIFY(file.contains("ACC_OAuthAccount=vera@mail.test\r\n"));
        QVERIFY(!file.contains(QByteArray::fromStdString(refreshToken)));
        QVERIFY(!file.contains("rt-") && !file.contains("at-"));
        QCOMPARE(OAuthSettings::keyOf(f.settings), key);

        show(dialog);
        dialog.setPage(1);
        QVERIFY(state->text().startsWith(QLatin1String("Signed in as vera@mail.test")));
        click(&dialog, "BTN_SignOut");
        QVERIFY(!keyring.entries.contains(key));
        QCOMPARE(state->text(), QStringLiteral("Not signed in."));
        QVERIFY(f.dialogs.shown.isEmpty());
        dialog.reject();
    }
};

QTEST_MAIN(TestOAuthLoginBox)
#include "tst_oauthloginbox.moc"
