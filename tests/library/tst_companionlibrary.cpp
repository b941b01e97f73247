#include <QLibrary>
#include <QProcess>
#include <QTest>

// The companion library exports nothing; it only has to load.
class TestCompanionLibrary : public QObject
{
    Q_OBJECT

private:
    const QString m_path = QStringLiteral(VELLORN_BIN_DIR "/libvellorndll.so");

private slots:
    void exportsNoFunction()
    {
        QProcess nm;
        nm.start(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"), m_path});
        QVERIFY(nm.waitForFinished());
        QCOMPARE(nm.exitCode(), 0);
        const QList<QByteArray> lines = nm.readAllStandardOutput().split('\n');
        for (const QByteArray &line : lines) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() < 3)
                continue;
            const QByteArray kind = fields.at(1);
            const QByteArray name = fields.at(2);
            const bool function = kind == "T" || kind == "t" || kind == "W" || kind == "i";
            QVERIFY2(!function || name == "_init" || name == "_fini", line.constData());
        }
    }

    void loads()
    {
        QLibrary lib(m_path);
        QVERIFY2(lib.load(), qPrintable(lib.errorString()));
        lib.unload();
    }
};

QTEST_GUILESS_MAIN(TestCompanionLibrary)
#include "tst_companionlibrary.moc"
