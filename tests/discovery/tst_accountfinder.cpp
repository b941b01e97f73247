#include "config/ConfigState.h"
#include "config/windows/AccountFinder.h"
#include "config/windows/NumberBox.h"
#include "config/windows/TFm_Set.h"
#include "tests/support/windows/WindowFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The SMTP page's Find settings and Test settings, with the search and the test replaced:
// what is asked, what lands in the boxes, and that nothing lands without a yes.
class TestAccountFinder : public QObject
{
    Q_OBJECT

    struct Dialog
    {
        WindowFixture f;
        ConfigState config{nullptr};
        std::unique_ptr<TFm_Set> dialog;
        AccountFinder *finder = nullptr;
        QStringList asked;

        Dialog()
        {
            config.load(f.settings, f.paths.config);
            dialog = std::make_unique<TFm_Set>(f.services, config.form, config.password);
            finder = dialog->findChild<AccountFinder *>(QStringLiteral("AccountFinder"));
            finder->discover = [this](const QString &address) {
                asked << address;
                AccountDiscovery::Result r;
                if (address.endsWith(QLatin1String("@example.org"))) {
                    FoundServer s;
                    s.host = "smtp.example.org";
                    s.port = 465;
                    s.security = SmtpSecurity::Tls;
                    s.user = address.toStdString();
                    r.server = s;
                    r.offered = {s};
                    r.source = AccountDiscovery::Source::Database;
                    r.from = QStringLiteral("https://db.test/example.org");
                }
                r.notes << QStringLiteral("https://autoconfig.example.org/...: HTTP 404");
                return r;
            };
        }
        template <class W>
        W *child(const char *name) const
        {
            return dialog->findChild<W *>(QString::fromLatin1(name));
        }
    };

private slots:
    void findFillsTheBoxesAfterAYes()
    {
        Dialog d;
        QVERIFY(d.finder);
        d.child<QLineEdit>("Edt_FromAdd")->setText(QStringLiteral("ann@example.org"));
        d.f.dialogs.answers.enqueue(UserDialogs::Answer::No);
        d.child<QPushButton>("Btn_FindSettings")->click();
        QCOMPARE(d.asked, QStringList{QStringLiteral("ann@example.org")});
        QCOMPARE(d.f.dialogs.shown.size(), 1);
        const QString text = d.f.dialogs.shown.last().text;
        QVERIFY2(text.contains(QLatin1String("Found in https://db.test/example.org")), qPrintable(text));
        QVERIFY(text.contains(QLatin1String("Host: smtp.example.org")));
        QVERIFY(text.contains(QLatin1String("HTTP 404")));
        // No: nothing changes.
        QCOMPARE(d.child<QLineEdit>("Edt_Host")->text(), QString());

        d.child<QPushButton>("Btn_FindSettings")->click();
        QCOMPARE(d.child<QLineEdit>("Edt_Host")->text(), QStringLiteral("smtp.example.org"));
        QCOMPARE(d.child<NumberBox>("Edt_Port")->value(), 465);
        QCOMPARE(d.child<QComboBox>("CBX_Security")->currentIndex(), int(SmtpSecurity::Tls));
        QCOMPARE(d.child<QLineEdit>("Edt_User")->text(), QStringLiteral("ann@example.org"));
        // The address typed as the account name wins over the sender's.
        d.child<QLineEdit>("Edt_User")->setText(QStringLiteral("bob@elsewhere.example"));
        d.child<QPushButton>("Btn_FindSettings")->click();
        QCOMPARE(d.asked.last(), QStringLiteral("bob@elsewhere.example"));
        QVERIFY(d.f.dialogs.shown.last().text.contains(QLatin1String("No settings were found")));
        QCOMPARE(d.child<QLineEdit>("Edt_Host")->text(), QStringLiteral("smtp.example.org"));
    }

    void findWithoutAnAddressAsksForOne()
    {
        Dialog d;
        d.child<QPushButton>("Btn_FindSettings")->click();
        QVERIFY(d.asked.isEmpty());
        QCOMPARE(d.f.dialogs.shown.size(), 1);
        QVERIFY(d.f.dialogs.shown.last().text.contains(QLatin1String("mail address")));
    }

    void testShowsTheStepsOfTheBoxes()
    {
        Dialog d;
        SmtpAccount tested;
        d.finder->test = [&](const SmtpAccount &a) {
            tested = a;
            SmtpConnectionTest::Outcome o;
            o.steps = {{QStringLiteral("Connect"), true, QStringLiteral("smtp.example.org:587")},
                       {QStringLiteral("AUTH"), false, QStringLiteral("535 5.7.8 Authentication failed")}};
            o.advice = QStringLiteral("the server does not accept this password (or this user name)");
            return o;
        };
        d.child<QPushButton>("Btn_TestSettings")->click();
        QCOMPARE(d.f.dialogs.shown.size(), 1); // no host: asks for one
        QCOMPARE(tested.host, std::string());

        d.child<QLineEdit>("Edt_Host")->setText(QStringLiteral(" smtp.example.org "));
        d.child<NumberBox>("Edt_Port")->setValue(587);
        d.child<QComboBox>("CBX_Security")->setCurrentIndex(int(SmtpSecurity::StartTls));
        d.child<QLineEdit>("Edt_User")->setText(QStringLiteral("ann"));
        d.child<QLineEdit>("Edt_Pass")->setText(QStringLiteral("secret"));
        d.child<QPushButton>("Btn_TestSettings")->click();
        QCOMPARE(tested.host, std::string("smtp.example.org"));
        QCOMPARE(tested.port, 587);
        QVERIFY(tested.security == SmtpSecurity::StartTls);
        QCOMPARE(tested.password, std::string("secret"));
        QCOMPARE(tested.pinsFile, d.f.paths.config);
        const FakeDialogs::Shown shown = d.f.dialogs.shown.last();
        QVERIFY(shown.kind == UserDialogs::Kind::Warning);
        QVERIFY2(shown.text.contains(QLatin1String("AUTH: failed - 535 5.7.8")), qPrintable(shown.text));
        QVERIFY(shown.text.contains(QLatin1String("To change: the server does not accept this password")));
    }
};

QTEST_MAIN(TestAccountFinder)
#include "tst_accountfinder.moc"
