#include "tools/CliHandOver.h"
#include "tools/CliPrograms.h"
#include "tools/CliRegistry.h"
#include "tools/CliSupport.h"

#include "os/InstallLayout.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

char **keptArgv = nullptr;

// vellorn-cli's own table lists the handed-over commands too, so "help" shows them all.
struct HandedOverCommands
{
    HandedOverCommands()
    {
        for (const CliPrograms::Command &c : CliPrograms::All)
            CliRegistry::add({QString::fromLatin1(c.name), QString::fromLatin1(c.usage),
                              [program = c.program](const QStringList &) { return CliHandOver::run(program); }});
    }
} handedOverCommands;

} // namespace

void CliHandOver::keepArguments(int, char **argv)
{
    keptArgv = argv;
}

int CliHandOver::run(const char *name)
{
    // Beside vellorn-cli in a portable folder, in lib/vellorn-composer/ under a prefix.
    const QByteArray program = QFile::encodeName(
        InstallLayout(QCoreApplication::applicationDirPath()).privateFolder() + QLatin1String(name));
    if (!keptArgv)
        return Cli::fail(QStringLiteral("cannot start %1").arg(QFile::decodeName(program)));
    std::fflush(stdout);
    ::execv(program.constData(), keptArgv);
    // strerror speaks the locale's encoding.
    return Cli::fail(QStringLiteral("cannot start %1: %2")
                         .arg(QFile::decodeName(program), QString::fromLocal8Bit(std::strerror(errno))));
}
