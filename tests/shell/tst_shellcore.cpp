#include "os/DataPaths.h"
#include "shell/HelpPages.h"
#include "shell/LinkConfig.h"
#include "shell/SplashState.h"
#include "shell/TipsOfTheDay.h"
#include "tests/support/TestFiles.h"
#include "tests/support/windows/WindowFixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The tips, help targets, links and splash rules without windows.
class TestShellCore : public QObject
{
    Q_OBJECT

private slots:
    void tipTexts()
    {
        QCOMPARE(TipsOfTheDay::titles().size(), 6);
        QCOMPARE(TipsOfTheDay::texts().size(), 6);
        QCOMPARE(TipsOfTheDay::titles().first(), QStringLiteral("Compose mail containa grid:"));
        QCOMPARE(TipsOfTheDay::titles().last(), QStringLiteral("Import RichText:"));
        QCOMPARE(TipsOfTheDay::texts().at(3),
                 QStringLiteral("Vellorn Composer also can generate a outside mail file, and let MS Outlook Express "
                                "open it.(You must sure that you have installed MicroSoft Outlook Express) "));
        for (int i = 0; i < 6; ++i)
            QCOMPARE(TipsOfTheDay::texts().at(i).endsWith(QLatin1Char(' ')), i == 3);
    }

    void tipOrderAndWrap()
    {
        QueuedRandom random;
        random.values.enqueue(5);
        TipsOfTheDay tips;
        tips.start(random);
        QCOMPARE(random.bounds, QList<int>({6}));
        QCOMPARE(tips.index(), 5);
        QCOMPARE(tips.memoLines(), QStringList({QStringLiteral(" "), QStringLiteral("Import RichText:"),
                                                QStringLiteral(" "), TipsOfTheDay::texts().at(5)}));
        tips.next();
        QCOMPARE(tips.index(), 0);
        tips.previous();
        QCOMPARE(tips.index(), 5);
        QList<int> walked;
        for (int i = 0; i < 7; ++i) {
            tips.previous();
            walked << tips.index();
        }
        QCOMPARE(walked, QList<int>({4, 3, 2, 1, 0, 5, 4}));
    }

    // A missing Config.dat becomes one blank line; the setting reads as on then.
    void showTipsSetting()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("Config.dat"));
        QVERIFY(TipsOfTheDay::readShowTips(config));
        QCOMPARE(TestFiles::read(config), QByteArray(" \r\n"));
        QCOMPARE(QFile::permissions(config) & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
        TestFiles::write(config, "[System]\r\nWND_ShowTips=0\r\n");
        QVERIFY(!TipsOfTheDay::readShowTips(config));
        TestFiles::write(config, "[System]\r\nWND_ShowTips=x\r\n");
        QVERIFY(TipsOfTheDay::readShowTips(config));
    }

    void helpTargets_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("file");
        QTest::newRow("contents") << HelpPages::Contents << "html/Vellorn.htm";
        QTest::newRow("compose") << HelpPages::Compose << "html/Manual_compose_head.htm";
        QTest::newRow("pictures") << HelpPages::PictureSettings << "html/Manual_option_picset.htm";
        QTest::newRow("smtp") << HelpPages::SmtpSettings << "html/Manual_option_smtp.htm";
        QTest::newRow("my information") << HelpPages::MyInformation << "html/Manual_option_myinfo.htm";
    }

    void helpTargets()
    {
        QFETCH(QString, page);
        QFETCH(QString, file);
        DataPaths paths = DataPaths::besideExecutable(QStringLiteral("/opt/vellorn"));
        paths.help = QStringLiteral("/usr/share/vellorn/help/");
        const QString target = HelpPages::target(paths, page.toLatin1().constData());
        QVERIFY(target.startsWith(QStringLiteral("/opt/vellorn/\\help.chm::/html\\")));
        QCOMPARE(HelpPages::pageFile(target, paths), paths.help + file);
    }

    void helpTargetsOutsideTheHelp()
    {
        const DataPaths paths = DataPaths::besideExecutable(QStringLiteral("/opt/vellorn"));
        QCOMPARE(HelpPages::homeFile(paths), QStringLiteral("/opt/vellorn/help/html/Vellorn.htm"));
        for (const char *target : {"/opt/vellorn/help.chm", "/opt/vellorn/\\help.chm::", "x::/html\\..\\..\\Config.dat",
                                   "x::/./Vellorn.htm"})
            QVERIFY2(HelpPages::pageFile(QString::fromLatin1(target), paths).isEmpty(), target);
    }

    void linksWithoutSection()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("Config.dat"));
        TestFiles::write(config, "[System]\r\nWND_ShowTips=1\r\n");
        const LinkAddresses links = LinkConfig::read(config);
        QCOMPARE(links.homePage, QStringLiteral("http://www.orlavinte.com/"));
        QCOMPARE(links.supportMail, QStringLiteral("mailto:support@orlavinte.com"));
        QCOMPARE(LinkConfig::read(dir.filePath(QStringLiteral("missing.dat"))).homePage, links.homePage);

        RecordingShell shell;
        shell.result = false; // a failing handler changes nothing
        LinkConfig::open(shell, LinkConfig::homePage(links));
        LinkConfig::open(shell, LinkConfig::bugReport(links, LinkConfig::BugReportFrom::MainWindow));
        LinkConfig::open(shell, LinkConfig::bugReport(links, LinkConfig::BugReportFrom::Composer));
        QCOMPARE(shell.opened.size(), 3);
        QCOMPARE(shell.opened[0], QUrl(QStringLiteral("http://www.orlavinte.com/")));
        QCOMPARE(shell.opened[1].toString(QUrl::FullyEncoded),
                 QStringLiteral("mailto:support@orlavinte.com?Subject=Bug%20report"));
        QCOMPARE(shell.opened[2].toString(), QStringLiteral("mailto:support@orlavinte.com"));
    }

    void linksFromSection()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("Config.dat"));
        const QByteArray text = "[System]\r\nWND_ShowTips=1\r\n[Links]\r\nHomePage= www.example.org/mail \r\n"
                                "SupportMail=MAILTO:help@example.org?subject=old\r\n";
        TestFiles::write(config, text);
        const LinkAddresses links = LinkConfig::read(config);
        QCOMPARE(links.homePage, QStringLiteral("http://www.example.org/mail"));
        QCOMPARE(links.supportMail, QStringLiteral("mailto:help@example.org"));
        QCOMPARE(LinkConfig::bugReport(links, LinkConfig::BugReportFrom::MainWindow).toString(),
                 QStringLiteral("mailto:help@example.org?Subject=Bug report"));
        QCOMPARE(TestFiles::read(config), text);

        // Empty values keep the defaults.
        TestFiles::write(config, "[Links]\r\nHomePage=\r\nSupportMail=mailto:\r\n");
        QCOMPARE(LinkConfig::read(config).homePage, QStringLiteral("http://www.orlavinte.com/"));
        QCOMPARE(LinkConfig::read(config).supportMail, QStringLiteral("mailto:support@orlavinte.com"));
    }

    void splashRules()
    {
        SplashState menu;
        QVERIFY(menu.pictureClickCloses());
        SplashState splash;
        splash.startTimer();
        QVERIFY(!splash.pictureClickCloses());
        QVERIFY(!splash.timerFired(true));
        QVERIFY(splash.pictureClickCloses());
        splash.startTimer();
        QVERIFY(splash.timerFired(false));

        // As the splash it gives way to the first message box; not from the menu.
        QVERIFY(!menu.messageBoxShown());
        splash.showAsSplash();
        QVERIFY(splash.messageBoxShown());
        QVERIFY(!splash.isSplash());
        QVERIFY(!splash.messageBoxShown());
    }
};

QTEST_GUILESS_MAIN(TestShellCore)
#include "tst_shellcore.moc"
