#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

// vellorn-shots photographs every registered window; no picture may come out blank.
class TestShots : public QObject
{
    Q_OBJECT

private slots:
    void everyWindowIsDrawn()
    {
        QTemporaryDir out;
        QProcess shots;
        shots.start(QStringLiteral(VELLORN_BIN_DIR "/vellorn-shots"), {out.path()});
        QVERIFY(shots.waitForFinished(120000));
        QVERIFY2(shots.exitCode() == 0, shots.readAllStandardError().constData());
        const QStringList files = QString::fromLocal8Bit(shots.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList names;
        for (const QString &file : files) {
            names << QFileInfo(file).completeBaseName();
            const QImage image(file);
            QVERIFY2(!image.isNull(), qPrintable(file));
            QSet<QRgb> colours;
            for (int y = 0; y < image.height() && colours.size() < 2; y += 2)
                for (int x = 0; x < image.width() && colours.size() < 2; x += 2)
                    colours.insert(image.pixel(x, y));
            QVERIFY2(colours.size() > 1, qPrintable(file + QStringLiteral(" is one flat colour")));
        }
        for (const char *window : {"send-dialog", "tips", "about", "help", "configuration-picture", "configuration-smtp",
                                   "configuration-info", "address-list", "address-list-pick", "address-editor",
                                   "picture-preview", "print-dialog", "recovery-question", "worker-step"})
            QVERIFY2(names.contains(QLatin1String(window)), window);
    }

    // Every focusable control of every window has a name a screen reader can say, on a
    // dark desktop with a large font as well. The exceptions, with their reasons:
    void everyControlHasAName()
    {
        const QSet<QString> allowed = {
            // The print dialog is Qt's own; its file chooser button shows only "...".
            QStringLiteral("print-dialog"),
        };
        QTemporaryDir out;
        QProcess shots;
        shots.start(QStringLiteral(VELLORN_BIN_DIR "/vellorn-shots"),
                    {QStringLiteral("--check-names"), QStringLiteral("--palette"), QStringLiteral("dark"),
                     QStringLiteral("--font-size"), QStringLiteral("15"), out.path()});
        QVERIFY(shots.waitForFinished(180000));
        QVERIFY2(shots.exitCode() == 0, shots.readAllStandardError().constData());
        QStringList unnamed;
        int pictures = 0;
        for (const QString &line : QString::fromLocal8Bit(shots.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (!line.startsWith(QLatin1String("unnamed "))) {
                ++pictures;
                continue;
            }
            if (!allowed.contains(line.section(QLatin1Char(' '), 1, 1)))
                unnamed << line;
        }
        QVERIFY(pictures > 10);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TestShots)
#include "tst_shots.moc"
