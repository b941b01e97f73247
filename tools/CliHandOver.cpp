#include "tools/CliHandOver.h"
#include "tools/CliDrawing.h"
#include "tools/CliRegistry.h"
#include "tools/CliSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

char **keptArgv = nullptr;

// vellorn-cli's own table lists the drawing commands too, so "help" shows them all.
struct DrawingCommands
{
    DrawingCommands()
    {
        for (const CliDrawing::Command &c : CliDrawing::All)
            CliRegistry::add({QString::fromLatin1(c.name), QString::fromLatin1(c.usage),
                              [](const QStringList &) { return CliHandOver::run(); }});
    }
} drawingCommands;

} // namespace

void CliHandOver::keepArguments(int, char **argv)
{
    keptArgv = argv;
}

int CliHandOver::run()
{
    const QByteArray program =
        QFile::encodeName(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(CliDrawing::Program));
    if (!keptArgv)
        return Cli::fail(QStringLiteral("cannot start %1").arg(QFile::decodeName(program)));
    std::fflush(stdout);
    ::execv(program.constData(), keptArgv);
    // strerror speaks the locale's encoding.
    return Cli::fail(QStringLiteral("cannot start %1: %2")
                         .arg(QFile::decodeName(program), QString::fromLocal8Bit(std::strerror(errno))));
}
