#include "ConfigFile.h"
#include "DataFiles.h"
#include "FakeDialogs.h"
#include "IniFile.h"
#include "MainWindowStandIn.h"
#include "TestFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Starts a copy of the program in a folder of its own, as a user would on first run.
class TestStartup : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString installCopy()
    {
        const QString target = m_dir.filePath(QStringLiteral("vellorn"));
        if (!QFile::exists(target))
            QFile::copy(QStringLiteral(VELLORN_BIN_DIR "/vellorn"), target);
        return target;
    }

    // Runs the program until both data files exist (or it ends), then stops it.
    int startOnce()
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(installCopy(), {});
        if (!p.waitForStarted())
            return -1;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 20000 && p.state() == QProcess::Running) {
            if (QFile::exists(m_dir.filePath(QStringLiteral("Config.dat")))
                && QFile::exists(m_dir.filePath(QStringLiteral("MailBox.dat"))))
                break;
            p.waitForFinished(50);
        }
        // Let it reach the message loop before stopping it.
        p.waitForFinished(300);
        if (p.state() == QProcess::Running) {
            p.kill();
            p.waitForFinished();
            return 0;
        }
        return p.exitCode();
    }

private slots:
    void firstAndSecondStart()
    {
        QCOMPARE(startOnce(), 0);
        const QByteArray config = TestFiles::read(m_dir.filePath(QStringLiteral("Config.dat")));
        const QByteArray store = TestFiles::read(m_dir.filePath(QStringLiteral("MailBox.dat")));
        QCOMPARE(config, FirstRunConfigText());
        QCOMPARE(store, DataFiles::mailBoxHeader());
        QCOMPARE(store.size(), 100);

        QCOMPARE(startOnce(), 0);
        QCOMPARE(TestFiles::read(m_dir.filePath(QStringLiteral("Config.dat"))), config);
        QCOMPARE(TestFiles::read(m_dir.filePath(QStringLiteral("MailBox.dat"))), store);
    }

    void emptyStoreStaysEmpty()
    {
        TestFiles::write(m_dir.filePath(QStringLiteral("MailBox.dat")), QByteArray());
        QCOMPARE(startOnce(), 0);
        QCOMPARE(QFileInfo(m_dir.filePath(QStringLiteral("MailBox.dat"))).size(), qint64(0));
    }

    void closingSavesTheConfiguration()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("Config.dat"));
        DataFiles::ensureConfigFile(config);
        ConfigSettings settings = ConfigSettings::firstRun();
        ConfigForm form = ConfigForm::showing(settings);
        FakeDialogs dialogs;
        MainWindowStandIn w(settings, form, dialogs, config);
        QCOMPARE(w.windowTitle(), QStringLiteral("Vellorn Composer"));
        w.show();
        w.move(40, 50);
        w.resize(640, 400);
        form.TB_Quality = 90; // typed into the configuration dialog
        w.close();
        const IniFile ini(config);
        QCOMPARE(ini.readInteger("System", "PIC_Quality", 0), 90);
        QCOMPARE(ini.readString("System", "WND_State"), std::string("Normal"));
        QCOMPARE(ini.readInteger("System", "WND_W", 0), 640);
        QCOMPARE(ini.readInteger("System", "WND_H", 0), 400);
        QVERIFY(dialogs.shown.isEmpty());
    }

    void closingReportsAnUnwritableFile()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("gone/Config.dat"));
        ConfigSettings settings = ConfigSettings::firstRun();
        const ConfigForm form = ConfigForm::showing(settings);
        FakeDialogs dialogs;
        MainWindowStandIn w(settings, form, dialogs, config);
        w.show();
        w.close();
        QCOMPARE(dialogs.shown.size(), 1);
        QVERIFY(dialogs.shown.first().kind == UserDialogs::Kind::Error);
        QCOMPARE(dialogs.shown.first().text, QStringLiteral("Unable to write to ") + config);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
