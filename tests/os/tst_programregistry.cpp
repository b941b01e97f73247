#include "os/ProgramRegistry.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

// The program's own key: what an installer or a second program reads back, and a later
// start writing over what an earlier one left.
class tst_ProgramRegistry : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;


private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_home.path());
    }

    void writtenValuesReadBack_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("version");
        QTest::newRow("plain") << "/opt/vellorn/bin/vellorn" << "1.0.0";
        QTest::newRow("blanks, '=', ';' and a non-Latin folder") << "/home/Zoë Ω/my = app;x/vellorn"
                                                                << "2.1 beta; test";
        QTest::newRow("empty") << "" << "";
    }
    void writtenValuesReadBack()
    {
        QFETCH(QString, path);
        QFETCH(QString, version);
        ProgramRegistry::writeInstallInfo(path, version);
        const QSettings settings(QStringLiteral("Orlavinte"), QStringLiteral("Vellorn Composer"));
        QCOMPARE(settings.value(QStringLiteral("Path")).toString(), path);
        QCOMPARE(settings.value(QStringLiteral("Version")).toString(), version);
        QCOMPARE(settings.status(), QSettings::NoError);
    }

    // A newer start replaces both values and adds nothing else to the key.
    void laterStartWritesOver()
    {
        ProgramRegistry::writeInstallInfo(QStringLiteral("/old/vellorn"), QStringLiteral("0.9"));
        ProgramRegistry::writeInstallInfo(QStringLiteral("/new/vellorn"), QStringLiteral("1.1"));
        const QSettings settings(QStringLiteral("Orlavinte"), QStringLiteral("Vellorn Composer"));
        QCOMPARE(settings.value(QStringLiteral("Path")).toString(), QStringLiteral("/new/vellorn"));
        QCOMPARE(settings.value(QStringLiteral("Version")).toString(), QStringLiteral("1.1"));
        QCOMPARE(settings.allKeys(), (QStringList{QStringLiteral("Path"), QStringLiteral("Version")}));
        // The key lives under the folder given for user settings, not in the real home.
        QVERIFY(settings.fileName().startsWith(m_home.path()));
    }

    // A start that finds the same values writes nothing: the file keeps its inode (a
    // rewrite replaces it) and its time.
    void sameValuesLeaveTheFile()
    {
        ProgramRegistry::writeInstallInfo(QStringLiteral("/same/vellorn"), QStringLiteral("5.0"));
        const QString file = QSettings(QStringLiteral("Orlavinte"), QStringLiteral("Vellorn Composer")).fileName();
        struct stat before {};
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &before), 0);
        ProgramRegistry::writeInstallInfo(QStringLiteral("/same/vellorn"), QStringLiteral("5.0"));
        struct stat after {};
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        // A changed version is written.
        ProgramRegistry::writeInstallInfo(QStringLiteral("/same/vellorn"), QStringLiteral("5.1"));
        QCOMPARE(QSettings(QStringLiteral("Orlavinte"), QStringLiteral("Vellorn Composer")).value(QStringLiteral("Version")).toString(),
                 QStringLiteral("5.1"));
    }
};

QTEST_GUILESS_MAIN(tst_ProgramRegistry)
#include "tst_programregistry.moc"
