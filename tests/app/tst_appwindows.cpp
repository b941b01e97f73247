#include "AddressBook.h"
#include "AppWindows.h"
#include "SendMode.h"
#include "ConfigForm.h"
#include "TFM_AddEdit.h"
#include "TFM_AddLst.h"
#include "RecordingComposers.h"
#include "TFM_MailBox.h"
#include "TFM_Send.h"
#include "TFM_Tips.h"
#include "TFm_About.h"
#include "TFm_Set.h"
#include "TestFiles.h"
#include "WindowFixture.h"

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
    // The start-up steps with these windows as the opener; returns the tips window.
    TFM_Tips &start(WindowFixture &f, AppWindows &windows, QWidget &mainWindow)
    {
        WindowServices services{f.dialogs, f.shell, f.clock, f.random, f.settings, f.paths, f.help, f.links, windows};
        TFm_About &splash = windows.createAbout(services);
        splash.showSplash();
        windows.setMainWindow(&mainWindow);
        windows.createSendDialog(services);
        TFM_Tips &tips = windows.createTips(services);
        tips.showAtStartup();
        mainWindow.show();
        windows.setMainWindowEnabled(false);
        splash.startSplashTimer();
        return tips;
    }

    // The real main window, asking the program's windows for the other windows.
    struct MainWindow
    {
        MainWindow(WindowFixture &f, AppWindows &windows)
            : form(ConfigForm::showing(f.settings))
            , services{f.dialogs, f.shell, f.clock, f.random, f.settings, f.paths, f.help, f.links, windows}
            , window(services, composers, form)
        {
        }
        RecordingComposers composers;
        ConfigForm form;
        WindowServices services;
        TFM_MailBox window;
    };

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void tipsKeepTheMainWindowWaiting()
    {
        WindowFixture f;
        AppWindows windows;
        MainWindow main(f, windows);
        TFM_MailBox &mainWindow = main.window;
        TFM_Tips &tips = start(f, windows, mainWindow);
        QVERIFY(tips.isVisible());
        QTRY_VERIFY(!windows.about()->isVisible());
        QVERIFY(!mainWindow.isEnabled());
        tips.Button3->click();
        QVERIFY(mainWindow.isEnabled());
    }

    void withoutTipsTheSplashEnablesTheMainWindow()
    {
        WindowFixture f;
        QByteArray config = TestFiles::read(f.paths.config);
        config.replace("WND_ShowTips=1", "WND_ShowTips=0");
        f.writeConfig(config);
        AppWindows windows;
        MainWindow main(f, windows);
        TFM_MailBox &mainWindow = main.window;
        TFM_Tips &tips = start(f, windows, mainWindow);
        QVERIFY(!tips.isVisible());
        QVERIFY(!mainWindow.isEnabled());
        QTRY_VERIFY(mainWindow.isEnabled());
        QVERIFY(!windows.about()->isVisible());
        QVERIFY(!tips.isVisible());
    }

    void sendDialogRunsJobs()
    {
        WindowFixture f;
        AppWindows windows;
        QWidget mainWindow;
        start(f, windows, mainWindow);
        QVERIFY(!windows.sendDialogShowing());
        QVERIFY(windows.sendMails({}, SendMode::Smtp));
        QVERIFY(!windows.sendDialogShowing());
    }

    // The configuration dialog and the address book through the opener.
    void configurationAndAddressBook()
    {
        WindowFixture f;
        AppWindows windows;
        WindowServices services{f.dialogs, f.shell, f.clock, f.random, f.settings, f.paths, f.help, f.links, windows};
        TFM_AddEdit &editor = windows.createAddressEditor(services);
        TFM_AddLst &list = windows.createAddressList(services);
        ConfigForm form;
        TFm_Set &configuration = windows.createConfiguration(services, form);

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
