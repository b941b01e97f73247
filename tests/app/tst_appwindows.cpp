#include "addressbook/AddressBook.h"
#include "addressbook/windows/TFM_AddEdit.h"
#include "addressbook/windows/TFM_AddLst.h"
#include "app/AppAssembly.h"
#include "app/AppWindows.h"
#include "config/ConfigFile.h"
#include "config/ConfigForm.h"
#include "config/windows/FirstStartDialog.h"
#include "config/windows/TFm_Set.h"
#include "mailbox/windows/TFM_MailBox.h"
#include "os/MemoryKeyring.h"
#include "send/SendMode.h"
#include "send/windows/TFM_Send.h"
#include "shell/windows/TFm_About.h"
#include "shell/windows/TFM_Tips.h"
#include "tests/support/TestFiles.h"
#include "tests/support/windows/RecordingComposers.h"
#include "tests/support/windows/WindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

// Start-up with the real windows: the splash, the tips window and the main window, which
// becomes usable when the splash has gone and no tips window is showing.
class TestAppWindows : public QObject
{
    Q_OBJECT

private:
    // The program's start-up steps over the fixture's data folder and fakes.
    struct Started
    {
        // afterFirstPaint: as the program starts, the store read and the tips window made
        // once the main window's first paint is on the screen.
        explicit Started(WindowFixture &f, bool firstStart = false, bool afterFirstPaint = false)
            : parts({f.dialogs, f.shell, f.clock, f.random, f.help}, f.settings, f.paths)
        {
            parts.loadConfiguration();
            parts.createSplash();
            parts.createMainWindow(composers, afterFirstPaint);
            parts.setFirstStart(firstStart);
            parts.createDialogs(afterFirstPaint);
            parts.start();
        }
        RecordingComposers composers;
        AppAssembly parts;
        AppWindows &windows() { return parts.windows(); }
        TFM_MailBox &mainWindow() { return *parts.mainWindow(); }
    };

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void tipsKeepTheMainWindowWaiting()
    {
        WindowFixture f;
        Started s(f);
        TFM_Tips &tips = *s.windows().tips();
        QVERIFY(tips.isVisible());
        QTRY_VERIFY(!s.windows().about()->isVisible());
        QVERIFY(!s.mainWindow().isEnabled());
        tips.Button3->click();
        QVERIFY(s.mainWindow().isEnabled());
    }

    void withoutTipsTheSplashEnablesTheMainWindow()
    {
        WindowFixture f;
        QByteArray config = TestFiles::read(f.paths.config);
        config.replace("WND_ShowTips=1", "WND_ShowTips=0");
        f.writeConfig(config);
        Started s(f);
        TFM_Tips &tips = *s.windows().tips();
        QVERIFY(!tips.isVisible());
        QVERIFY(!s.mainWindow().isEnabled());
        QTRY_VERIFY(s.mainWindow().isEnabled());
        QVERIFY(!s.windows().about()->isVisible());
        QVERIFY(!tips.isVisible());
    }

    void sendDialogRunsJobs()
    {
        WindowFixture f;
        Started s(f);
        QVERIFY(!s.windows().sendDialogShowing());
        QVERIFY(s.windows().sendMails({}, SendMode::Smtp));
        QVERIFY(!s.windows().sendDialogShowing());
    }

    // The configuration dialog and the address book through the opener.
    void configurationAndAddressBook()
    {
        WindowFixture f;
        Started s(f);
        AppWindows &windows = s.windows();
        TFM_AddEdit &editor = *windows.addressEditor();
        TFM_AddLst &list = *windows.addressList();
        TFm_Set &configuration = *windows.configuration();

        QTimer::singleShot(0, [&] {
            QCOMPARE(configuration.findChild<QTabWidget *>(QStringLiteral("PGS_Setting"))->currentIndex(), 2);
            configuration.reject();
        });
        windows.showConfiguration(2);

        QTimer::singleShot(0, [&] {
            editor.findChild<QLineEdit *>(QStringLiteral("Edt_Name"))->setText(QStringLiteral("Ann"));
            editor.findChild<QLineEdit *>(QStringLiteral("Edt_Mail"))->setText(QStringLiteral("ann@example.org"));
            editor.accept();
        });
        windows.addAddress();
        QCOMPARE(AddressBook(f.paths.config).LookupAddress("Ann"), std::string("ann@example.org"));

        QTimer::singleShot(0, [&] {
            QVERIFY(!list.findChild<QPushButton *>(QStringLiteral("Bt_Can"))->isVisible());
            list.accept();
        });
        WindowOpener::AddressPicks picks;
        QVERIFY(windows.showAddressList(WindowOpener::AddressListUse::Pick, &picks));
    }

    // The program reads the keyring's password after showing its window. Until the read
    // ends the main window stays disabled, even when the splash goes first, and the steps
    // that wait for the password (the recovered letters) wait; then all is as before.
    void keyringReadAfterTheWindowShows_data()
    {
        QTest::addColumn<bool>("tips");
        QTest::newRow("splash only") << false;
        QTest::newRow("with tips") << true;
    }
    void keyringReadAfterTheWindowShows()
    {
        QFETCH(bool, tips);
        WindowFixture f;
        QByteArray config = TestFiles::read(f.paths.config);
        config.replace("ACC_SMTPHost=\r\n", "ACC_SMTPHost=mail.test\r\n")
            .replace("ACC_SMTPUser=\r\n", "ACC_SMTPUser=ann\r\n")
            .replace("WND_ShowTips=1", tips ? "WND_ShowTips=1" : "WND_ShowTips=0");
        f.writeConfig(config + "ACC_SMTPPassInKeyring=1\r\n");

        // A keyring slow to answer: it waits, as the real one does, in a nested loop,
        // until the splash has gone.
        struct SlowKeyring : MemoryKeyring
        {
            std::function<void()> whileAsked;
            Result read(const QString &key) override
            {
                whileAsked();
                return MemoryKeyring::read(key);
            }
        } keyring;
        keyring.entries.insert(QStringLiteral("smtp:ann@mail.test"), "kept");
        RecordingComposers composers;
        AppAssembly parts({f.dialogs, f.shell, f.clock, f.random, f.help, &keyring}, f.settings, f.paths);
        parts.loadConfigurationKeyringLater();
        parts.createSplash();
        TFM_MailBox &main = parts.createMainWindow(composers);
        parts.createDialogs();
        int stepsRun = 0;
        parts.afterPassword([&] { ++stepsRun; });
        bool enabledWhileAsked = true;
        keyring.whileAsked = [&] {
            QTRY_VERIFY(!parts.windows().about()->isVisible());
            if (tips)
                parts.windows().tips()->findChild<QPushButton *>(QStringLiteral("Button3"))->click();
            QTest::qWait(50);
            enabledWhileAsked = main.isEnabled();
            QCOMPARE(stepsRun, 0);
        };
        parts.start();
        QCOMPARE(keyring.calls, 0);
        QVERIFY(f.settings.ACC_SMTPPass.empty());
        QTRY_COMPARE(keyring.calls, 1);
        QVERIFY(!enabledWhileAsked);
        QVERIFY(main.isEnabled());
        QCOMPARE(stepsRun, 1);
        QCOMPARE(f.settings.ACC_SMTPPass, std::string("kept"));
        QCOMPARE(parts.config().form.Edt_Pass, std::string("kept"));
        // Known now: a step runs at once.
        parts.afterPassword([&] { ++stepsRun; });
        QCOMPARE(stepsRun, 2);
    }

    // The main window paints without the dialogs; each is made when first opened, over
    // the configuration the start-up loaded, and then kept.
    void dialogsAreMadeWhenFirstOpened()
    {
        WindowFixture f;
        QByteArray config = TestFiles::read(f.paths.config);
        QVERIFY(config.contains("ACC_SMTPHost=\r\n"));
        config.replace("ACC_SMTPHost=\r\n", "ACC_SMTPHost=smtp.example.org\r\n");
        f.writeConfig(config);
        Started s(f);
        const auto made = [](const char *name) {
            int count = 0;
            for (QWidget *w : QApplication::topLevelWidgets())
                count += w->objectName() == QLatin1String(name);
            return count;
        };
        for (const char *name : {"Fm_Set", "FM_Send", "FM_AddLst", "FM_AddEdit"})
            QVERIFY2(made(name) == 0, name);

        // Its Save writes the main window's keys as the window stands.
        s.mainWindow().resize(640, 400);
        for (int round = 0; round < 2; ++round) {
            QTimer::singleShot(0, [&] {
                TFm_Set *dialog = s.windows().configuration();
                QCOMPARE(dialog->findChild<QLineEdit *>(QStringLiteral("Edt_Host"))->text(),
                         QStringLiteral("smtp.example.org"));
                dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
            });
            s.windows().showConfiguration(1);
        }
        QCOMPARE(made("Fm_Set"), 1);
        QVERIFY(TestFiles::read(f.paths.config).contains("WND_W=640\r\n"));

        QVERIFY(s.windows().sendMails({}, SendMode::Smtp));
        QCOMPARE(made("FM_Send"), 1);
        QCOMPARE(s.windows().sendDialog()->objectName(), QStringLiteral("FM_Send"));
        QVERIFY(s.windows().sendMails({}, SendMode::Smtp));
        QCOMPARE(made("FM_Send"), 1);
    }

    // The first start's account window: "type the settings myself" goes on to the
    // configuration's SMTP page, which shows the name, the address and the password typed
    // so far; leaving both saves nothing, and the page opens with the saved values again.
    // Saved on the page, what was typed is written.
    void firstStartLeadsToTheSmtpPage_data()
    {
        QTest::addColumn<bool>("saveOnThePage");
        QTest::newRow("page cancelled") << false;
        QTest::newRow("page saved") << true;
    }
    void firstStartLeadsToTheSmtpPage()
    {
        QFETCH(bool, saveOnThePage);
        WindowFixture f;
        Started s(f);
        const QByteArray before = TestFiles::read(f.paths.config);
        bool asked = false;
        int page = -1;
        QStringList shown;
        const auto text = [&](const char *name) {
            return s.windows().configuration()->findChild<QLineEdit *>(QLatin1String(name))->text();
        };
        QTimer::singleShot(0, [&] {
            auto *first = qobject_cast<FirstStartDialog *>(QApplication::activeModalWidget());
            QVERIFY(first);
            asked = true;
            first->findChild<QLineEdit *>(QStringLiteral("Edt_FromName"))->setText(QStringLiteral("Ann Lee"));
            first->findChild<QLineEdit *>(QStringLiteral("Edt_FromAdd"))->setText(QStringLiteral("ann@example.org"));
            first->findChild<QLineEdit *>(QStringLiteral("Edt_Pass"))->setText(QStringLiteral("s3cret"));
            QTimer::singleShot(0, [&] {
                TFm_Set *configuration = s.windows().configuration();
                QCOMPARE(QApplication::activeModalWidget(), configuration);
                page = configuration->findChild<QTabWidget *>(QStringLiteral("PGS_Setting"))->currentIndex();
                for (const char *name : {"Edt_FromName", "Edt_FromAdd", "Edt_User", "Edt_Pass", "Edt_Host"})
                    shown << text(name);
                if (saveOnThePage)
                    configuration->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
                else
                    configuration->reject();
            });
            first->findChild<QPushButton *>(QStringLiteral("Btn_TypeMyself"))->click();
        });
        s.windows().showFirstStart();
        QVERIFY(asked);
        QCOMPARE(page, 1);
        QCOMPARE(shown, (QStringList{QStringLiteral("Ann Lee"), QStringLiteral("ann@example.org"),
                                     QStringLiteral("ann@example.org"), QStringLiteral("s3cret"), QString()}));
        if (saveOnThePage) {
            const QByteArray file = TestFiles::read(f.paths.config);
            QVERIFY(file.contains("ACC_FromName=Ann Lee\r\n"));
            QVERIFY(file.contains("ACC_SMTPUser=ann@example.org\r\n"));
            QCOMPARE(f.settings.ACC_SMTPPass, std::string("s3cret"));
            return;
        }
        QCOMPARE(TestFiles::read(f.paths.config), before);
        QVERIFY(f.settings.ACC_FromName.empty());
        // Shown again, the page has the saved values.
        QTimer::singleShot(0, [&] {
            shown.clear();
            for (const char *name : {"Edt_FromName", "Edt_FromAdd", "Edt_Pass"})
                shown << text(name);
            s.windows().configuration()->reject();
        });
        s.windows().showConfiguration(1);
        QCOMPARE(shown, (QStringList{QString(), QString(), QString()}));
    }

    // The tips window made after the main window's first paint: none before it, then
    // shown over the main window, which it keeps waiting until it closes, whether the splash
    // went before or after it came.
    void tipsAfterTheFirstPaintKeepTheMainWindowWaiting()
    {
        WindowFixture f;
        Started s(f, false, true);
        QVERIFY(!s.windows().tips());
        QVERIFY(!s.mainWindow().isEnabled());
        QTRY_VERIFY(s.windows().tips() && s.windows().tips()->isVisible());
        TFM_Tips &tips = *s.windows().tips();
        QTRY_VERIFY(!s.windows().about()->isVisible());
        QVERIFY(!s.mainWindow().isEnabled());
        QVERIFY(!s.mainWindow().storeReading());
        tips.Button3->click();
        QVERIFY(s.mainWindow().isEnabled());
        // Its choice is kept with the window's layout, as when it was made at once.
        QVERIFY(s.mainWindow().showTipsAtStartup);
    }

    // The splash going before the main window's first paint: the main window waits for the
    // tips window still to come, until it closes; when it is not to show, it does not wait.
    void splashGoingBeforeTheTipsCome_data()
    {
        QTest::addColumn<bool>("tips");
        QTest::newRow("tips to show") << true;
        QTest::newRow("tips not shown") << false;
    }
    void splashGoingBeforeTheTipsCome()
    {
        QFETCH(bool, tips);
        WindowFixture f;
        if (!tips)
            f.writeConfig(TestFiles::read(f.paths.config).replace("WND_ShowTips=1", "WND_ShowTips=0"));
        Started s(f, false, true);
        QVERIFY(!s.windows().tips());
        s.windows().about()->TM_closeTimer();
        QCOMPARE(s.mainWindow().isEnabled(), !tips);
        QTRY_VERIFY(s.windows().tips());
        QCOMPARE(s.windows().tips()->isVisible(), tips);
        QCOMPARE(s.mainWindow().isEnabled(), !tips);
        if (tips) {
            s.windows().tips()->Button3->click();
            QVERIFY(s.mainWindow().isEnabled());
        }
    }

    // A first start: the account questions come before the tips window, which opens once
    // they have been answered (and keeps the main window waiting as at any start); they
    // are asked once. Made at once or after the main window's first paint alike.
    void firstStartAsksBeforeTheTips_data()
    {
        QTest::addColumn<bool>("afterFirstPaint");
        QTest::newRow("made at once") << false;
        QTest::newRow("after the first paint") << true;
    }
    void firstStartAsksBeforeTheTips()
    {
        QFETCH(bool, afterFirstPaint);
        WindowFixture f;
        Started s(f, true, afterFirstPaint);
        if (afterFirstPaint)
            QTRY_VERIFY(!s.mainWindow().storeReading());
        QVERIFY(s.windows().tips());
        TFM_Tips &tips = *s.windows().tips();
        QVERIFY(!tips.isVisible());
        // The splash goes and, no tips window showing, leaves the main window usable.
        QTRY_VERIFY(!s.windows().about()->isVisible());
        QTRY_VERIFY(s.mainWindow().isEnabled());
        int asked = 0;
        bool tipsWhileAsked = true;
        const auto answer = [&] {
            if (auto *first = qobject_cast<FirstStartDialog *>(QApplication::activeModalWidget())) {
                ++asked;
                tipsWhileAsked = tips.isVisible();
                first->findChild<QPushButton *>(QStringLiteral("Btn_Cancel"))->click();
            }
        };
        QTimer::singleShot(0, answer);
        s.parts.askFirstStart();
        QCOMPARE(asked, 1);
        QVERIFY(!tipsWhileAsked);
        QVERIFY(tips.isVisible());
        QVERIFY(!s.mainWindow().isEnabled());
        tips.Button3->click();
        QVERIFY(s.mainWindow().isEnabled());
        QCOMPARE(TestFiles::read(f.paths.config), FirstRunConfigText());

        QTimer::singleShot(0, answer);
        s.parts.askFirstStart();
        QCOMPARE(asked, 1);
        QVERIFY(!tips.isVisible());
    }
};

QTEST_MAIN(TestAppWindows)
#include "tst_appwindows.moc"
