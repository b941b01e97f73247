#include "os/ProgramRegistry.h"

#include <QSettings>

namespace ProgramRegistry {

void writeInstallInfo(const QString &path, const QString &version)
{
    QSettings settings(QStringLiteral("Orlavinte"), QStringLiteral("Vellorn Composer"));
    settings.setValue(QStringLiteral("Path"), path);
    settings.setValue(QStringLiteral("Version"), version);
}

} // namespace ProgramRegistry
