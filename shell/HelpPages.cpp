#include "shell/HelpPages.h"

#include "os/DataPaths.h"

#include <QStringList>

namespace HelpPages {

QString target(const DataPaths &paths, const char *page)
{
    return paths.executableFolder + QString::fromLatin1(page);
}

QString pageFile(const QString &target, const DataPaths &paths)
{
    const qsizetype marker = target.indexOf(QLatin1String("::"));
    if (marker < 0)
        return {};
    QString inner = target.mid(marker + 2);
    inner.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QStringList parts = inner.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return {};
    // The page must stay inside the help folder.
    for (const QString &part : parts)
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            return {};
    return paths.help + parts.join(QLatin1Char('/'));
}

QString homeFile(const DataPaths &paths)
{
    return pageFile(QString::fromLatin1(Contents), paths);
}

} // namespace HelpPages
