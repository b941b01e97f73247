#include "config/CertificatePins.h"
#include "config/ConfigState.h"
#include "config/windows/AccountFinder.h"
#include "config/windows/ConfigDatabaseBox.h"
#include "config/windows/NumberBox.h"
#include "config/windows/TFm_Set.h"
#include "tests/support/AiosmtpdServer.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/windows/WindowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSslCertificate>
#include <QSslSocket>
#include <QtTest>

// The SMTP page's Find settings and Test settings, with the search and the test replaced:
// what is asked, what lands in the boxes, and that nothing lands without a yes; the real
// test against a server with a self-signed certificate; the configuration database box.
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

    // Answers the certificate question whenever it shows: with Enter (its default button)
    // or with "Trust this certificate"; counts the questions and keeps what the last said.
    struct QuestionAnswerer
    {
        QTimer timer;
        bool trust = false;
        int asked = 0;
        QString text, name, defaultButton;
        QPointer<QMessageBox> answered;

        explicit QuestionAnswerer(CertificateQuestion &question)
        {
            timer.setInterval(10);
            QObject::connect(&timer, &QTimer::timeout, [this, &question] {
                QMessageBox *box = question.box();
                if (!box || !box->isVisible() || box == answered)
                    return;
                answered = box;
                ++asked;
                text = box->text();
                name = box->objectName();
                defaultButton = box->defaultButton() ? box->defaultButton()->objectName() : QString();
                if (trust)
                    box->findChild<QPushButton *>(QStringLiteral("BT_Trust"))->click();
                else
                    QTest::keyClick(box, Qt::Key_Return);
            });
            timer.start();
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

    // Test settings against a server whose certificate is self-signed asks the send
    // dialog's question: refused (Enter, the default), no pin is kept and the result names
    // the certificate; trusted, the pin is kept as when sending, the test passes, and the
    // next test trusts the pin without asking.
    void selfSignedGoesThroughTheTrustQuestion()
    {
        QVERIFY2(QSslSocket::supportsSsl(), "Qt has no TLS backend");
        TestCertificates certs;
        QVERIFY2(certs.create(), qPrintable(certs.errorString()));
        const TestCertificates::Issued self = certs.issue(QStringLiteral("self"), {QStringLiteral("DNS:localhost")}, true);
        QVERIFY(self.valid());
        AiosmtpdServer server;
        server.setLogin("user", "secret");
        server.setTls(self.certificate, self.key, true);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        const QList<QSslCertificate> shown = QSslCertificate::fromPath(self.certificate);
        QCOMPARE(shown.size(), 1);
        const std::string fingerprint = CertificateFacts::written(shown[0].digest(QCryptographicHash::Sha256)).toStdString();

        Dialog d;
        d.child<QLineEdit>("Edt_Host")->setText(QStringLiteral("localhost"));
        d.child<NumberBox>("Edt_Port")->setValue(server.port());
        d.child<QComboBox>("CBX_Security")->setCurrentIndex(int(SmtpSecurity::Tls));
        d.child<QLineEdit>("Edt_User")->setText(QStringLiteral("user"));
        d.child<QLineEdit>("Edt_Pass")->setText(QStringLiteral("secret"));
        QuestionAnswerer answer(d.finder->certificateQuestion());
        const auto pin = [&] { return CertificatePins(d.f.paths.config).fingerprint("localhost", server.port()); };

        d.child<QPushButton>("Btn_TestSettings")->click();
        QCOMPARE(answer.asked, 1);
        QCOMPARE(answer.name, QStringLiteral("CertificateQuestion"));
        QCOMPARE(answer.defaultButton, QStringLiteral("BT_Cancel"));
        QVERIFY2(answer.text.contains(QString::fromStdString(fingerprint)), qPrintable(answer.text));
        QCOMPARE(pin(), std::string());
        QCOMPARE(d.f.dialogs.shown.size(), 1); // the result; the question is not one of the injected dialogs
        QVERIFY(d.f.dialogs.shown.last().kind == UserDialogs::Kind::Warning);
        QVERIFY2(d.f.dialogs.shown.last().text.contains(QLatin1String("self-signed")),
                 qPrintable(d.f.dialogs.shown.last().text));

        answer.trust = true;
        d.child<QPushButton>("Btn_TestSettings")->click();
        QCOMPARE(answer.asked, 2);
        QCOMPARE(pin(), fingerprint);
        QVERIFY(d.f.dialogs.shown.last().kind == UserDialogs::Kind::Information);
        QVERIFY2(d.f.dialogs.shown.last().text.contains(QLatin1String("AUTH: ok")),
                 qPrintable(d.f.dialogs.shown.last().text));

        d.child<QPushButton>("Btn_TestSettings")->click();
        QCOMPARE(answer.asked, 2);
        QVERIFY(d.f.dialogs.shown.last().kind == UserDialogs::Kind::Information);
        QVERIFY(server.mails().isEmpty());
    }

    // Find settings asks the database the page's box shows, saved or not, and the note under
    // the buttons says which (or that none is asked).
    void findAsksTheDatabaseOfThePage()
    {
        Dialog d;
        auto *box = d.child<ConfigDatabaseBox>("ConfigDatabaseBox");
        auto *note = d.child<QLabel>("LB_FindNote");
        const QString standard = QStringLiteral("https://autoconfig.thunderbird.net/v1.1/");
        QVERIFY(box->CB_ConfigDatabase->isChecked());
        QCOMPARE(d.finder->database(), standard);
        QVERIFY(note->text().contains(standard));

        box->Edt_ConfigDatabase->setText(QStringLiteral(" https://db.example.net/mail/ "));
        QCOMPARE(d.finder->database(), QStringLiteral("https://db.example.net/mail/"));
        QVERIFY2(note->text().contains(QLatin1String("https://db.example.net/mail/")), qPrintable(note->text()));
        box->CB_ConfigDatabase->click();
        QCOMPARE(d.finder->database(), QString());
        QVERIFY(!box->Edt_ConfigDatabase->isEnabled());
        QVERIFY2(note->text().contains(QLatin1String("database is off")), qPrintable(note->text()));
        // Ticked again with no address, it brings back the public database.
        box->Edt_ConfigDatabase->clear();
        box->CB_ConfigDatabase->click();
        QCOMPARE(d.finder->database(), standard);
        // Nothing of it reached the saved settings without Save.
        QCOMPARE(d.f.settings.ACC_ConfigDatabase, standard.toStdString());
    }
};

QTEST_MAIN(TestAccountFinder)
#include "tst_accountfinder.moc"
