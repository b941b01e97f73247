#include "config/ConfigFile.h"
#include "config/DataFiles.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
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
        env.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.filePath(QStringLiteral("cache")));
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

    // The pictures kept in the user's cache folder, each with the time it was written.
    QStringList keptPictures()
    {
        const QDir pictures(m_dir.filePath(QStringLiteral("cache/vellorn-composer/pictures")));
        QStringList kept;
        for (const QFileInfo &f : pictures.entryInfoList(QDir::Files, QDir::Name))
            kept << f.fileName() + QLatin1Char('@') + QString::number(f.lastModified().toMSecsSinceEpoch());
        return kept;
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
        // The splash and the tool pictures were drawn and kept.
        const QStringList pictures = keptPictures();
        QVERIFY(pictures.size() >= 8);

        QCOMPARE(startOnce(), 0);
        QCOMPARE(TestFiles::read(m_dir.filePath(QStringLiteral("Config.dat"))), config);
        QCOMPARE(TestFiles::read(m_dir.filePath(QStringLiteral("MailBox.dat"))), store);
        // The second start found every picture it showed: none drawn or written again.
        QCOMPARE(keptPictures(), pictures);
    }

    void emptyStoreStaysEmpty()
    {
        TestFiles::write(m_dir.filePath(QStringLiteral("MailBox.dat")), QByteArray());
        QCOMPARE(startOnce(), 0);
        QCOMPARE(QFileInfo(m_dir.filePath(QStringLiteral("MailBox.dat"))).size(), qint64(0));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
