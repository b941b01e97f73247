#include "os/DefaultFont.h"
#include "os/ProgramIcons.h"
#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"
#include "ui/AccessibleNames.h"
#include "ui/ReadablePalette.h"
#include "ui/StripPaintStyle.h"

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QWidget>
#include <cstdio>
#include <cstring>

namespace {

// A dark desktop's colours, as dark themes set them.
QPalette darkPalette()
{
    QPalette p;
    const QColor window(0x2b, 0x2b, 0x2b), base(0x1e, 0x1e, 0x1e), text(0xee, 0xee, 0xee);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0x9a));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    p.setColor(QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::Link, QColor(0x6c, 0xb4, 0xff));
    p.setColor(QPalette::Light, QColor(0x50, 0x50, 0x50));
    p.setColor(QPalette::Midlight, QColor(0x40, 0x40, 0x40));
    p.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x30));
    p.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x18));
    p.setColor(QPalette::Shadow, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return p;
}

int usage()
{
    std::fprintf(stderr, "usage: vellorn-shots [--palette dark] [--font-size POINTS] [--style NAME]"
                         " [--style-sheet TEXT] [--check-names] OUTDIR\n"
                         "  --check-names  also lists, as \"unnamed SHOT CONTROL\" lines, every focusable\n"
                         "                 control a screen reader would announce without a name\n");
    return 2;
}

} // namespace

// vellorn-shots [options] OUTDIR: opens every registered window with demonstration data on
// the offscreen platform and writes OUTDIR/<name>.png of each, under the desktop colours,
// font and style the options give.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The demonstration windows must not touch the user's own settings (the program's
    // registry values among them).
    QStandardPaths::setTestModeEnabled(true);

    bool dark = false, checkNames = false;
    int fontSize = 0;
    QString style, styleSheet, outDir;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--check-names")) {
            checkNames = true;
        } else if (a == QLatin1String("--palette") && hasValue) {
            const QString name = args[++i];
            if (name != QLatin1String("dark") && name != QLatin1String("light"))
                return usage();
            dark = name == QLatin1String("dark");
        } else if (a == QLatin1String("--font-size") && hasValue) {
            bool ok = false;
            fontSize = args[++i].toInt(&ok);
            if (!ok || fontSize < 4 || fontSize > 72)
                return usage();
        } else if (a == QLatin1String("--style") && hasValue) {
            style = args[++i];
        } else if (a == QLatin1String("--style-sheet") && hasValue) {
            styleSheet = args[++i];
        } else if (a.startsWith(QLatin1Char('-')) || !outDir.isEmpty()) {
            return usage();
        } else {
            outDir = a;
        }
    }
    if (outDir.isEmpty())
        return usage();
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "vellorn-shots: cannot create %s\n", qPrintable(outDir));
        return 1;
    }
    DefaultFont::installSubstitutions();
    ProgramIcons::installFallbackTheme();
    if (!style.isEmpty())
        QApplication::setStyle(QStyleFactory::create(style));
    // The pieces the program draws its bars and headers in, as it does.
    QApplication::setStyle(new StripPaintStyle(QApplication::style()));
    QApplication::setPalette(ReadablePalette::adjusted(dark ? darkPalette() : QApplication::palette()));
    if (fontSize > 0) {
        QFont font = QApplication::font();
        font.setPointSize(fontSize);
        QApplication::setFont(font);
    }
    if (!styleSheet.isEmpty())
        app.setStyleSheet(styleSheet);

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
        if (checkNames)
            for (const QString &control : AccessibleNames::unnamed(window))
                std::printf("unnamed %s %s\n", qPrintable(entry.name), qPrintable(control));
        window->close();
        delete window;
    }
    return failed ? 1 : 0;
}
