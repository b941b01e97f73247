#include "os/AppPaths.h"

#include <QCoreApplication>

namespace {

QString &overrideFolder()
{
    static QString folder;
    return folder;
}

} // namespace

namespace AppPaths {

QString executableFolder()
{
    QString folder = overrideFolder();
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

void setExecutableFolder(const QString &folder)
{
    overrideFolder() = folder;
}

QString configPath()
{
    return executableFolder() + QStringLiteral("Config.dat");
}

QString mailBoxPath()
{
    return executableFolder() + QStringLiteral("MailBox.dat");
}

QString helpFolder()
{
    return executableFolder() + QStringLiteral("help/");
}

} // namespace AppPaths
