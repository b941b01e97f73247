#include "os/InstallLayout.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

// "/usr/bin/../share/x/" reads better as "/usr/share/x/" in messages and help links.
QString cleanFolder(const QString &folder)
{
    return withSlash(QDir::cleanPath(folder));
}

} // namespace

InstallLayout::InstallLayout(const QString &executableFolder)
    : m_executableFolder(withSlash(executableFolder))
{
    // Help beside the program wins: the build folder and portable folders have it there.
    m_standard = !QFileInfo(m_executableFolder + QStringLiteral("help")).isDir()
        && QFileInfo(m_executableFolder + QLatin1String(StandardHelp)).isDir();
}

QString InstallLayout::helpFolder() const
{
    if (m_standard)
        return cleanFolder(m_executableFolder + QLatin1String(StandardHelp));
    return m_executableFolder + QStringLiteral("help/");
}

QString InstallLayout::privateFolder() const
{
    if (m_standard)
        return cleanFolder(m_executableFolder + QLatin1String(StandardPrivate));
    return m_executableFolder;
}
