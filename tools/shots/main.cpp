#include "os/DefaultFont.h"
#include "os/ProgramIcons.h"
#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"

#include <QApplication>
#include <QStandardPaths>
#include <QDir>
#include <QWidget>
#include <cstdio>

// vellorn-shots OUTDIR: opens every registered window with demonstration data on the
// offscreen platform and writes OUTDIR/<name>.png of each.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The demonstration windows must not touch the user's own settings (the program's
    // registry values among them).
    QStandardPaths::setTestModeEnabled(true);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vellorn-shots OUTDIR\n");
        return 2;
    }
    // A path from the command line, in the locale's encoding.
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "vellorn-shots: cannot create %s\n", argv[1]);
        return 1;
    }
    DefaultFont::installSubstitutions();
    ProgramIcons::installFallbackTheme();

    int failed = 0;
    for (const ShotRegistry::Entry &entry : ShotRegistry::entries()) {
        ShotContext context;
        QWidget *window = entry.open(context);
        if (!window) {
            std::fprintf(stderr, "vellorn-shots: %s did not open\n", qPrintable(entry.name));
            ++failed;
            continue;
        }
        window->show();
        QApplication::processEvents();
        const QString file = outDir + QLatin1Char('/') + entry.name + QStringLiteral(".png");
        if (!window->grab().save(file)) {
            std::fprintf(stderr, "vellorn-shots: cannot write %s\n", qPrintable(file));
            ++failed;
        } else {
            std::printf("%s\n", qPrintable(file));
        }
        window->close();
        delete window;
    }
    return failed ? 1 : 0;
}
