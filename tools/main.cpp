#include "tools/CliRegistry.h"
#include "tools/CliSupport.h"

#include <QCoreApplication>
#ifdef VELLORN_CLI_DRAWS
#include <QGuiApplication>
#endif
#ifdef VELLORN_CLI_HANDS_OVER
#include "tools/CliHandOver.h"
#endif
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

QList<CliRegistry::Entry> &table()
{
    static QList<CliRegistry::Entry> entries;
    return entries;
}

int printHelp(const QStringList &)
{
    std::printf("Usage: vellorn-cli COMMAND [ARGS...]\n\nCommands:\n");
    QList<CliRegistry::Entry> all = CliRegistry::entries();
    std::sort(all.begin(), all.end(), [](const auto &a, const auto &b) { return a.name < b.name; });
    for (const CliRegistry::Entry &e : all)
        std::printf("  %s\n", e.usage.toLocal8Bit().constData());
    return 0;
}

int printVersion(const QStringList &)
{
    std::printf("Vellorn Composer 5.0\n");
    return 0;
}

CliCommand helpCommand("help", "help                      this list", &printHelp);
CliCommand versionCommand("version", "version                   the program's version", &printVersion);

} // namespace

void CliRegistry::add(Entry entry)
{
    table().append(std::move(entry));
}

const CliRegistry::Entry *CliRegistry::find(const QString &name)
{
    for (const Entry &e : table())
        if (e.name == name)
            return &e;
    return nullptr;
}

QList<CliRegistry::Entry> CliRegistry::entries()
{
    return table();
}

// Qt's own warnings (fonts, runtime folders of the offscreen platform) are noise on a
// command line whose stderr carries one clear line per failure.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg || qEnvironmentVariableIsSet("VELLORN_CLI_VERBOSE"))
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietMessages);
#ifdef VELLORN_CLI_DRAWS
    // Rendering needs fonts and a paint engine; the offscreen platform keeps the tool
    // usable without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
#else
#ifdef VELLORN_CLI_HANDS_OVER
    CliHandOver::keepArguments(argc, argv);
#endif
    QCoreApplication app(argc, argv);
#endif

    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        printHelp({});
        return 2;
    }
    const QString name = args.takeFirst();
    const CliRegistry::Entry *entry = CliRegistry::find(name);
    if (!entry)
        return Cli::fail(QStringLiteral("unknown command \"%1\" (try \"vellorn-cli help\")").arg(name));
    try {
        return entry->handler(args);
    } catch (const std::exception &e) {
        return Cli::fail(QString::fromUtf8(e.what()));
    }
}
