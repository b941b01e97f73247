#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Installs the desktop entry and the program icon into a fresh prefix, as
// "cmake --install" does, and lets the freedesktop validator judge the entry.
class TestDesktopEntry : public QObject
{
    Q_OBJECT

    static QString run(const QString &program, const QStringList &arguments, int *exitCode)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        if (!process.waitForFinished(60000))
            *exitCode = -1;
        else
            *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return QString::fromLocal8Bit(process.readAll());
    }

    static QString keyValue(const QByteArray &entry, const QByteArray &key)
    {
        for (const QByteArray &line : entry.split('\n'))
            if (line.startsWith(key + '='))
                return QString::fromUtf8(line.mid(key.size() + 1));
        return {};
    }

private slots:
    void installsAValidEntry_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("exec");
        // The programs' folder below the prefix: bin/, or the prefix itself when portable.
        const QString bin = QDir::cleanPath(QStringLiteral("%1/" VELLORN_INSTALL_BINDIR "/vellorn"));
        QTest::newRow("plain") << QStringLiteral("prefix") << bin;
        // A blank makes the path one quoted argument; % and $ are escaped inside it.
        QTest::newRow("blank") << QStringLiteral("my apps 100%$") << QLatin1Char('"') + bin + QLatin1Char('"');
    }

    void installsAValidEntry()
    {
        QFETCH(QString, folder);
        QFETCH(QString, exec);
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        QVERIFY2(!validator.isEmpty(), "desktop-file-validate is missing (desktop-file-utils, installed by scripts/setup)");

        QTemporaryDir dir;
        const QString prefix = dir.filePath(folder);
        int code = 0;
        const QString log = run(QStringLiteral(VELLORN_CMAKE_COMMAND),
                                {QStringLiteral("--install"), QStringLiteral(VELLORN_BUILD_DIR), QStringLiteral("--prefix"),
                                 prefix, QStringLiteral("--component"), QStringLiteral("desktop")},
                                &code);
        QVERIFY2(code == 0, qPrintable(log));

        const QString entryPath = prefix + QStringLiteral("/share/applications/vellorn-composer.desktop");
        QFile entryFile(entryPath);
        QVERIFY(entryFile.open(QIODevice::ReadOnly));
        const QByteArray entry = entryFile.readAll();
        QCOMPARE(keyValue(entry, "Name"), QStringLiteral("Vellorn Composer"));
        QCOMPARE(keyValue(entry, "GenericName"), QStringLiteral("Mail Composer"));
        QCOMPARE(keyValue(entry, "Icon"), QStringLiteral("vellorn-composer"));
        QCOMPARE(keyValue(entry, "Categories"), QStringLiteral("Network;Email;"));
        QCOMPARE(keyValue(entry, "Terminal"), QStringLiteral("false"));
        QString expected = exec.arg(prefix);
        if (folder.contains(QLatin1Char(' ')))
            expected.replace(QLatin1Char('%'), QStringLiteral("%%")).replace(QLatin1Char('$'), QStringLiteral("\\\\$"));
        QCOMPARE(keyValue(entry, "Exec"), expected);

        const QString report = run(validator, {entryPath}, &code);
        QVERIFY2(code == 0 && report.trimmed().isEmpty(), qPrintable(report));

        QFile installedIcon(prefix + QStringLiteral("/share/icons/hicolor/scalable/apps/vellorn-composer.svg"));
        QFile sourceIcon(QStringLiteral(VELLORN_SOURCE_DIR "/resources/icons/vellorn-composer.svg"));
        QVERIFY(installedIcon.open(QIODevice::ReadOnly) && sourceIcon.open(QIODevice::ReadOnly));
        QCOMPARE(installedIcon.readAll(), sourceIcon.readAll());
    }
};

QTEST_GUILESS_MAIN(TestDesktopEntry)
#include "tst_desktop_entry.moc"
