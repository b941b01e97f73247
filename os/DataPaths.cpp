#include "os/DataPaths.h"
#include "os/InstallLayout.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

DataPaths DataPaths::choose(const QString &executableFolder, const QString &userFolder,
                            const std::function<bool(const QString &)> &canWrite)
{
    DataPaths paths = besideExecutable(executableFolder);
    const InstallLayout layout(executableFolder);
    paths.help = layout.helpFolder();
    // A program installed under a prefix never writes beside itself, even where it could
    // (a prefix in the user's home): its data belongs in the user's data folder.
    if (!layout.isStandard() && (QFileInfo::exists(paths.config) || canWrite(paths.executableFolder)))
        return paths;

    // Creating the folder may fail; the start-up then reports the file it cannot create.
    const QString folder = withSlash(userFolder);
    QDir().mkpath(folder);
    paths.folder = folder;
    paths.config = folder + QStringLiteral("Config.dat");
    paths.mailBox = folder + QStringLiteral("MailBox.dat");
    return paths;
}

QString DataPaths::recoveryFolder(const QString &dataFolder, const QString &userFolder,
                                  const std::function<bool(const QString &)> &canWrite)
{
    const QString inData = withSlash(dataFolder) + QStringLiteral("Recovery");
    if (QFileInfo(inData).isDir() ? canWrite(inData) : canWrite(dataFolder))
        return inData;
    return withSlash(userFolder) + QStringLiteral("Recovery");
}

QString DataPaths::userDataFolder()
{
    // Fixed rather than derived from the application name, which is the window title and
    // carries the version: the user's data must not move when the version changes.
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        + QStringLiteral("vellorn-composer/");
}

bool DataPaths::folderWritable(const QString &folder)
{
    QTemporaryFile probe(withSlash(folder) + QStringLiteral(".vellorn-write-test-XXXXXX"));
    return probe.open();
}
