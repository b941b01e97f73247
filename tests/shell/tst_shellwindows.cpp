#include "shell/HelpPages.h"
#include "shell/TipsOfTheDay.h"
#include "shell/windows/HelpWindow.h"
#include "shell/windows/HtmlHelpLauncher.h"
#include "shell/windows/TFm_About.h"
#include "shell/windows/TFM_Tips.h"
#include "tests/support/TestFiles.h"
#include "tests/support/windows/WindowFixture.h"
#include "ui/WidgetDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

// What a person does with the tips, About and help windows.
class TestShellWindows : public QObject
{
    Q_OBJECT

private slots:
    void walkingThroughTips()
    {
        WindowFixture f;
        f.random.values.enqueue(5);
        TFM_Tips tips(f.services);
        QCOMPARE(tips.windowTitle(), QStringLiteral("Tips of the day"));
        QVERIFY(tips.windowFlags() & Qt::WindowStaysOnTopHint);
        auto memo = [&] { return tips.findChild<QTextEdit *>(QStringLiteral("Mo_tips"))->toPlainText(); };
        QCOMPARE(memo(), QStringLiteral(" \nImport RichText:\n \n") + TipsOfTheDay::texts().at(5));
        tips.findChild<QPushButton *>(QStringLiteral("Button2"))->click();
        QCOMPARE(memo(), QStringLiteral(" \nCompose mail containa grid:\n \n") + TipsOfTheDay::texts().at(0));
        tips.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        tips.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QCOMPARE(tips.tips().index(), 4);

        QVERIFY(tips.findChild<QCheckBox *>(QStringLiteral("CHK_Dsp"))->isChecked());
        QVERIFY(tips.showAtStartup());
        QVERIFY(tips.isVisible());
        QVERIFY(!f.opener.mainEnabled);
        tips.findChild<QPushButton *>(QStringLiteral("Button3"))->click();
        QVERIFY(!tips.isVisible());
        QCOMPARE(f.opener.calls, QStringList({QStringLiteral("mainEnabled 0"), QStringLiteral("mainEnabled 1")}));
    }

    void tipsOffAtStartup()
    {
        WindowFixture f;
        QByteArray config = TestFiles::read(f.paths.config);
        config.replace("WND_ShowTips=1", "WND_ShowTips=0");
        f.writeConfig(config);
        TFM_Tips tips(f.services);
        QVERIFY(!tips.CHK_Dsp->isChecked());
        QVERIFY(!tips.showAtStartup());
        QVERIFY(!tips.isVisible());
        QVERIFY(f.opener.calls.isEmpty());
    }

    // The splash ignores clicks and closes on its timer; opened from the menu, a click
    // closes it and the link opens the home page.
    void splashAndAbout()
    {
        WindowFixture f;
        TFm_About about(f.services);
        QVERIFY(about.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(about.TM_close->interval(), 20);
        QVERIFY(!about.TM_close->isActive());
        bool tipsShowing = true;
        about.tipsShowing = [&] { return tipsShowing; };

        about.show();
        about.startSplashTimer();
        QTest::mouseClick(about.Image1, Qt::LeftButton);
        QVERIFY(about.isVisible());
        QTRY_VERIFY(!about.isVisible());
        QVERIFY(!about.TM_close->isActive());
        QVERIFY(f.opener.calls.isEmpty()); // the tips window enables the main window

        about.show();
        QTest::mouseClick(about.Label4, Qt::LeftButton);
        QCOMPARE(f.shell.opened, QList<QUrl>({QUrl(QStringLiteral("http://www.orlavinte.com/"))}));
        QVERIFY(about.isVisible());
        QTest::mouseClick(about.Image1, Qt::LeftButton);
        QVERIFY(!about.isVisible());

        tipsShowing = false;
        about.show();
        about.startSplashTimer();
        QTRY_COMPARE(f.opener.calls, QStringList({QStringLiteral("mainEnabled 1")}));
    }

    // A message box while the program starts (the store cannot be read, say) is not left
    // under the always-on-top splash: the splash goes. The question's default is No.
    void splashGivesWayToAMessageBox()
    {
        WindowFixture f;
        TFm_About about(f.services);
        about.tipsShowing = [] { return false; };
        about.showSplash();
        QVERIFY(about.isVisible());
        WidgetDialogs dialogs;
        bool splashShown = true;
        QString defaultButton;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            splashShown = about.isVisible();
            defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
            QCOMPARE(box->textFormat(), Qt::PlainText); // what people typed is never markup
            QTest::keyClick(box, Qt::Key_Return);
        });
        const auto answer = dialogs.messageBox(UserDialogs::Kind::Warning, QStringLiteral("Vellorn Composer"),
                                               QStringLiteral("<b>Cannot open file</b> MailBox.dat\r\nGo on?"),
                                               UserDialogs::Buttons::YesNo);
        QVERIFY(!splashShown);
        QCOMPARE(defaultButton, QStringLiteral("&No"));
        QVERIFY(answer == UserDialogs::Answer::No);
        // The timer still makes the main window usable.
        about.startSplashTimer();
        QTRY_COMPARE(f.opener.calls, QStringList({QStringLiteral("mainEnabled 1")}));
        QVERIFY(!about.isVisible());
    }

    // One help window: the page's title, Back, Forward and Home, reused by every call; a
    // missing page is reported by name.
    void helpWindow()
    {
        WindowFixture f;
        QTemporaryDir help;
        f.paths.help = help.path() + QLatin1Char('/');
        QVERIFY(QDir(help.path()).mkpath(QStringLiteral("html")));
        TestFiles::write(help.filePath(QStringLiteral("html/Vellorn.htm")),
                         "<html><head><title>Contents</title></head><body>"
                         "<a href=\"Manual_option_smtp.htm\">SMTP</a> <a href=\"https://example.org/\">web</a></body></html>");
        TestFiles::write(help.filePath(QStringLiteral("html/Manual_option_smtp.htm")),
                         "<html><head><title>The SMTP page</title></head><body>Server</body></html>");
        HtmlHelpLauncher launcher(f.dialogs, f.shell, f.paths);

        QCOMPARE(launcher.HtmlHelp(nullptr, HelpPages::target(f.paths, HelpPages::SmtpSettings)), 1);
        HelpWindow *window = launcher.window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("The SMTP page"));
        window->HomeAction->trigger();
        QCOMPARE(window->windowTitle(), QStringLiteral("Contents"));
        window->BackAction->trigger();
        QCOMPARE(window->windowTitle(), QStringLiteral("The SMTP page"));
        QVERIFY(window->ForwardAction->isEnabled());
        window->ForwardAction->trigger();
        QCOMPARE(window->windowTitle(), QStringLiteral("Contents"));
        emit window->Browser->anchorClicked(QUrl(QStringLiteral("https://example.org/")));
        QCOMPARE(f.shell.opened, QList<QUrl>({QUrl(QStringLiteral("https://example.org/"))}));
        emit window->Browser->anchorClicked(QUrl(QStringLiteral("Manual_option_smtp.htm")));
        QCOMPARE(window->windowTitle(), QStringLiteral("The SMTP page"));

        window->close();
        QCOMPARE(launcher.HtmlHelp(nullptr, HelpPages::target(f.paths, HelpPages::Contents)), 1);
        QCOMPARE(launcher.window(), window);
        QVERIFY(window->isVisible());
        QVERIFY(f.dialogs.shown.isEmpty());

        QCOMPARE(launcher.HtmlHelp(nullptr, HelpPages::target(f.paths, HelpPages::Compose)), 0);
        QCOMPARE(f.dialogs.shown.size(), 1);
        QCOMPARE(f.dialogs.shown[0].kind, UserDialogs::Kind::Error);
        QCOMPARE(f.dialogs.shown[0].text,
                 QStringLiteral("Cannot find the help page ") + help.filePath(QStringLiteral("html/Manual_compose_head.htm")));
        f.paths.help = help.filePath(QStringLiteral("gone/"));
        QCOMPARE(launcher.HtmlHelp(nullptr, HelpPages::target(f.paths, HelpPages::Contents)), 0);
        QVERIFY(f.dialogs.shown[1].text.endsWith(QStringLiteral("gone/html/Vellorn.htm")));
    }
};

QTEST_MAIN(TestShellWindows)
#include "tst_shellwindows.moc"
