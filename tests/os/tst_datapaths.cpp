#include "os/DataPaths.h"
#include "os/InstallLayout.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Where the data files live: beside the executable in a portable folder, in the user's
// data folder when the program's folder cannot be written.
class tst_DataPaths : public QObject
{
    Q_OBJECT

private slots:
    void choiceOfFolder_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("hasConfig");
        QTest::addColumn<bool>("besideExecutable");
        QTest::newRow("writable folder") << true << false << true;
        QTest::newRow("read-only folder holding Config.dat") << false << true << true;
        QTest::newRow("read-only folder without Config.dat") << false << false << false;
    }
    void choiceOfFolder()
    {
        QFETCH(bool, writable);
        QFETCH(bool, hasConfig);
        QFETCH(bool, besideExecutable);
        QTemporaryDir exe, home;
        if (hasConfig) {
            QFile config(exe.filePath(QStringLiteral("Config.dat")));
            QVERIFY(config.open(QIODevice::WriteOnly));
        }
        const QString user = home.filePath(QStringLiteral("share/vellorn-composer"));
        QStringList asked;
        const DataPaths paths = DataPaths::choose(exe.path(), user, [&](const QString &folder) {
            asked.append(folder);
            return writable;
        });

        const QString exeFolder = exe.path() + QLatin1Char('/');
        const QString folder = besideExecutable ? exeFolder : user + QLatin1Char('/');
        QCOMPARE(paths.folder, folder);
        QCOMPARE(paths.config, folder + QStringLiteral("Config.dat"));
        QCOMPARE(paths.mailBox, folder + QStringLiteral("MailBox.dat"));
        // The help pages are installed with the program, wherever the data is.
        QCOMPARE(paths.help, exeFolder + QStringLiteral("help/"));
        QCOMPARE(paths.executableFolder, exeFolder);
        QCOMPARE(QDir(user).exists(), !besideExecutable);
        // An existing Config.dat decides without probing the folder.
        QCOMPARE(asked.isEmpty(), hasConfig);
    }

    // Under a prefix (bin/ beside share/vellorn-composer/help/) the data never lies beside
    // the program, even where the user could write there, and the help is found under share/.
    // A help folder beside the program (the build folder, a portable folder) keeps the old rule.
    void standardInstall_data()
    {
        QTest::addColumn<bool>("helpBeside");
        QTest::newRow("standard install") << false;
        QTest::newRow("portable folder beside a share/") << true;
    }
    void standardInstall()
    {
        QFETCH(bool, helpBeside);
        QTemporaryDir prefix, home;
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/vellorn-composer/help")));
        if (helpBeside)
            QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin/help")));
        const QString bin = prefix.filePath(QStringLiteral("bin"));
        const QString user = home.filePath(QStringLiteral("share/vellorn-composer"));
        const DataPaths paths = DataPaths::choose(bin, user, [](const QString &) { return true; });

        const QString folder = helpBeside ? bin + QLatin1Char('/') : user + QLatin1Char('/');
        QCOMPARE(paths.folder, folder);
        QCOMPARE(paths.config, folder + QStringLiteral("Config.dat"));
        QCOMPARE(paths.help, helpBeside ? bin + QStringLiteral("/help/")
                                        : prefix.filePath(QStringLiteral("share/vellorn-composer/help/")));
        QCOMPARE(InstallLayout(bin).privateFolder(),
                 helpBeside ? bin + QLatin1Char('/') : prefix.filePath(QStringLiteral("lib/vellorn-composer/")));
    }

    void recoveryFolderIsWritable_data()
    {
        QTest::addColumn<bool>("recoveryExists");
        QTest::addColumn<QStringList>("writable"); // the folders that can be written
        QTest::addColumn<bool>("inData");
        QTest::newRow("writable data folder") << false << QStringList{"data"} << true;
        QTest::newRow("read-only data folder") << false << QStringList{} << false;
        QTest::newRow("writable Recovery in a read-only folder") << true << QStringList{"Recovery"} << true;
        QTest::newRow("read-only Recovery in a writable folder") << true << QStringList{"data"} << false;
    }
    void recoveryFolderIsWritable()
    {
        QFETCH(bool, recoveryExists);
        QFETCH(QStringList, writable);
        QFETCH(bool, inData);
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("data"));
        QVERIFY(QDir().mkpath(recoveryExists ? data + QStringLiteral("/Recovery") : data));
        const QString user = dir.filePath(QStringLiteral("user"));
        const QString chosen = DataPaths::recoveryFolder(data, user, [&](const QString &folder) {
            return writable.contains(QDir(folder).dirName());
        });
        QCOMPARE(chosen, (inData ? data : user) + QStringLiteral("/Recovery"));
    }

    void writabilityIsTried()
    {
        QTemporaryDir dir;
        QVERIFY(DataPaths::folderWritable(dir.path()));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty()); // the probe is gone
        // Nobody, not even root, can create a file below a file.
        QVERIFY(!DataPaths::folderWritable(QStringLiteral("/dev/null/folder")));
        QVERIFY(DataPaths::userDataFolder().endsWith(QStringLiteral("/vellorn-composer/")));
    }
};

QTEST_GUILESS_MAIN(tst_DataPaths)
#include "tst_datapaths.moc"
