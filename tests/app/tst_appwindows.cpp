#include "addressbook/AddressBook.h"
#include "addressbook/windows/TFM_AddEdit.h"
#include "addressbook/windows/TFM_AddLst.h"
#include "app/AppAssembly.h"
#include "app/AppWindows.h"
#include "config/ConfigForm.h"
#include "config/windows/TFm_Set.h"
#include "mailbox/windows/TFM_MailBox.h"
#include "send/SendMode.h"
#include "send/windows/TFM_Send.h"
#include "shell/windows/TFm_About.h"
#include "shell/windows/TFM_Tips.h"
#include "tests/support/TestFiles.h"
#include "tests/support/windows/RecordingComposers.h"
#include "tests/support/windows/WindowFixture.h"

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
        explicit Started(WindowFixture &f)
            : parts({f.dialogs, f.shell, f.clock, f.random, f.help}, f.settings, f.paths)
        {
            parts.loadConfiguration();
            parts.createSplash();
            parts.createMainWindow(composers);
            parts.createDialogs();
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
};

QTEST_MAIN(TestAppWindows)
#include "tst_appwindows.moc"
