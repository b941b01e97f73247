#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// A standard install into a fresh prefix, as a distribution or "cmake --install" makes it:
// where each file lands, that the installed programs find their helpers and help there,
// and that the metadata, manual pages and completion cover what vellorn-cli offers.
class TestInstallLayout : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_prefix;

    static QString run(const QString &program, const QStringList &arguments, int *exitCode,
                       const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        if (!process.waitForFinished(120000))
            *exitCode = -1;
        else
            *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return QString::fromLocal8Bit(process.readAll());
    }

    // The command names `vellorn-cli help` lists: the first word of each indented line.
    QStringList helpCommands()
    {
        int code = 0;
        const QString help = run(m_prefix + QStringLiteral("/bin/vellorn-cli"), {QStringLiteral("help")}, &code);
        QStringList names;
        static const QRegularExpression line(QStringLiteral("^  ([a-z][a-z-]*)\\b"), QRegularExpression::MultilineOption);
        for (auto it = line.globalMatch(help); it.hasNext();)
            names.append(it.next().captured(1));
        return names;
    }

    static QString tool(const char *name)
    {
        return QStandardPaths::findExecutable(QString::fromLatin1(name));
    }

private slots:
    void initTestCase()
    {
        m_prefix = m_dir.filePath(QStringLiteral("usr"));
        int code = 0;
        const QString log = run(QStringLiteral(VELLORN_CMAKE_COMMAND),
                                {QStringLiteral("--install"), QStringLiteral(VELLORN_BUILD_DIR), QStringLiteral("--prefix"), m_prefix},
                                &code);
        QVERIFY2(code == 0, qPrintable(log));
    }

    void filesWhereTheLayoutPutsThem()
    {
        for (const char *file : {"bin/vellorn", "bin/vellorn-cli", "lib/vellorn-composer/vellorn-cli-draw",
                                 "lib/vellorn-composer/vellorn-cli-send", "lib/vellorn-composer/libvellorndll.so",
                                 "share/vellorn-composer/help/html/Vellorn.htm", "share/man/man1/vellorn.1.gz",
                                 "share/man/man1/vellorn-cli.1.gz", "share/applications/vellorn-composer.desktop",
                                 "share/metainfo/com.orlavinte.VellornComposer.metainfo.xml",
                                 "share/icons/hicolor/scalable/apps/vellorn-composer.svg",
                                 "share/bash-completion/completions/vellorn-cli", "share/doc/vellorn-composer/copyright"})
            QVERIFY2(QFileInfo::exists(m_prefix + QLatin1Char('/') + QLatin1String(file)), file);
        // Nothing lands in the prefix itself.
        const QStringList top = QDir(m_prefix).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QCOMPARE(top, (QStringList{QStringLiteral("bin"), QStringLiteral("lib"), QStringLiteral("share")}));
    }

    void installedCliFindsItsHelperPrograms()
    {
        // rtf runs in vellorn-cli-draw, which an installed vellorn-cli finds in lib/vellorn-composer/.
        QFile letter(m_dir.filePath(QStringLiteral("letter.rtf")));
        QVERIFY(letter.open(QIODevice::WriteOnly));
        letter.write("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Installed hello\\par}");
        letter.close();
        int code = 0;
        const QString out = run(m_prefix + QStringLiteral("/bin/vellorn-cli"),
                                {QStringLiteral("rtf"), QStringLiteral("text"), letter.fileName()}, &code);
        QVERIFY2(code == 0 && out.contains(QStringLiteral("Installed hello")), qPrintable(out));
    }

    void metadataIsValid()
    {
        const QString validator = tool("appstreamcli");
        QVERIFY2(!validator.isEmpty(), "appstreamcli is missing (appstream, installed by scripts/setup)");
        int code = 0;
        const QString report = run(validator, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                               m_prefix + QStringLiteral("/share/metainfo/com.orlavinte.VellornComposer.metainfo.xml")},
                                   &code);
        QVERIFY2(code == 0, qPrintable(report));
        QVERIFY2(!report.contains(QStringLiteral("W:")) && !report.contains(QStringLiteral("E:")), qPrintable(report));
    }

    void manualPagesCoverEveryCommand_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("vellorn") << QStringLiteral("vellorn.1.gz");
        QTest::newRow("vellorn-cli") << QStringLiteral("vellorn-cli.1.gz");
    }

    void manualPagesCoverEveryCommand()
    {
        QFETCH(QString, page);
        const QString man = tool("man");
        QVERIFY2(!man.isEmpty(), "man is missing (man-db, installed by scripts/setup)");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        const QString path = m_prefix + QStringLiteral("/share/man/man1/") + page;
        int code = 0;
        // Warnings go to standard error, the page to standard output: ask for the warnings only.
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(man, {QStringLiteral("--warnings"), QStringLiteral("-l"), path});
        QVERIFY(process.waitForFinished(60000));
        const QString warnings = QString::fromLocal8Bit(process.readAllStandardError());
        const QString text = QString::fromLocal8Bit(process.readAllStandardOutput());
        QVERIFY2(process.exitCode() == 0 && warnings.isEmpty(), qPrintable(warnings));
        Q_UNUSED(code);
        if (page != QLatin1String("vellorn-cli.1.gz"))
            return;
        const QStringList commands = helpCommands();
        QVERIFY(commands.size() >= 10);
        for (const QString &command : commands) {
            // Each command heads an entry of its own: the rendered page has it at the start of an indented line.
            const QRegularExpression entry(QStringLiteral("\\n {7}") + QRegularExpression::escape(command) + QStringLiteral("\\b"));
            QVERIFY2(text.contains(entry), qPrintable(QStringLiteral("the manual page lacks the command ") + command));
        }
    }

    void completionKnowsEveryCommand()
    {
        QFile completion(m_prefix + QStringLiteral("/share/bash-completion/completions/vellorn-cli"));
        QVERIFY(completion.open(QIODevice::ReadOnly));
        const QString script = QString::fromUtf8(completion.readAll());
        static const QRegularExpression list(QStringLiteral("local commands=\"([^\"]*)\""));
        const QStringList known = list.match(script).captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QStringList commands = helpCommands();
        commands.sort();
        QStringList sortedKnown = known;
        sortedKnown.sort();
        QCOMPARE(sortedKnown, commands);
        const QString bash = tool("bash");
        int code = 0;
        const QString syntax = run(bash, {QStringLiteral("-n"), completion.fileName()}, &code);
        QVERIFY2(code == 0, qPrintable(syntax));
    }
};

QTEST_GUILESS_MAIN(TestInstallLayout)
#include "tst_install_layout.moc"
