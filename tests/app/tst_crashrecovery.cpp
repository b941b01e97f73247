// The real program, killed while a letter is unsaved, offers it again at the next start.
// A small library loaded into the program (recovery_driver) does what the person does.
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <signal.h>

class TestCrashRecovery : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    void start(QProcess &p, const QString &mode)
    {
        const QString program = m_dir.filePath(QStringLiteral("vellorn"));
        if (!QFile::exists(program))
            QFile::copy(QStringLiteral(VELLORN_BIN_DIR "/vellorn"), program);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(VELLORN_DRIVER));
        env.insert(QStringLiteral("VELLORN_DRIVE"), mode);
        env.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("VELLORN_DRIVE_FILE"), m_dir.filePath(QStringLiteral("minutes.txt")));
        env.insert(QStringLiteral("VELLORN_DRIVE_REPORT"), m_dir.filePath(QStringLiteral("report.json")));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(program, {});
        QVERIFY(p.waitForStarted());
    }

    // Waits while the program runs until `done` holds; the autosave comes 30 seconds after
    // the last keystroke, so the wait is long enough for a slow machine.
    static bool waitFor(QProcess &p, const std::function<bool()> &done)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 180000 && p.state() == QProcess::Running) {
            if (done())
                return true;
            p.waitForFinished(200);
        }
        return done();
    }

    static void killHard(QProcess &p)
    {
        ::kill(pid_t(p.processId()), SIGKILL);
        p.waitForFinished();
    }

private slots:
    void killedLetterComesBack()
    {
        TestFiles::write(m_dir.filePath(QStringLiteral("minutes.txt")), "minutes of the meeting");
        const QString recovery = m_dir.filePath(QStringLiteral("Recovery"));
        QProcess first;
        start(first, QStringLiteral("write"));
        // The copy holds the whole letter once the attachment is in it.
        const bool saved = waitFor(first, [&] {
            for (const QString &name : QDir(recovery).entryList({QStringLiteral("*.letter")}, QDir::Files))
                if (TestFiles::read(recovery + QLatin1Char('/') + name).contains("minutes.txt"))
                    return true;
            return false;
        });
        QVERIFY2(saved, "no recovery copy was written");
        killHard(first);
        QCOMPARE(first.exitStatus(), QProcess::CrashExit);

        QProcess second;
        start(second, QStringLiteral("recover"));
        const QString reportPath = m_dir.filePath(QStringLiteral("report.json"));
        const bool reported = waitFor(second, [&] { return QFile::exists(reportPath); });
        second.waitForFinished(300);
        killHard(second);
        QVERIFY2(reported, "the letter did not come back");
        const QJsonObject r = QJsonDocument::fromJson(TestFiles::read(reportPath)).object();
        QCOMPARE(r.value(QStringLiteral("questions")).toArray().first().toString(),
                 QStringLiteral("Recover 1 unsaved letter?"));
        QCOMPARE(r.value(QStringLiteral("subject")).toString(), QStringLiteral("Before the crash"));
        QCOMPARE(r.value(QStringLiteral("to")).toString(), QStringLiteral("bob@example.com"));
        QCOMPARE(r.value(QStringLiteral("cc")).toString(), QStringLiteral("carol@example.org"));
        QVERIFY(r.value(QStringLiteral("letter")).toString().contains(QStringLiteral("An hour of careful writing.")));
        QCOMPARE(r.value(QStringLiteral("attachments")).toArray(), QJsonArray{QStringLiteral("minutes.txt")});
        QVERIFY(r.value(QStringLiteral("changed")).toBool());
    }
};

QTEST_GUILESS_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
