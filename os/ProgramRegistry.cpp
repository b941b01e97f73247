#include "os/ProgramRegistry.h"

#include <QSettings>

namespace ProgramRegistry {

void writeInstallInfo(const QString &path, const QString &version)
{
    QSettings settings(QStringLiteral("Orlavinte"), QStringLiteral("Vellorn Composer"));
    // Every start calls this, and a set value rewrites (and syncs) the whole file even when
    // it is the same: what is already there is left alone.
    const auto put = [&settings](const QString &key, const QString &value) {
        if (!settings.contains(key) || settings.value(key).toString() != value)
            settings.setValue(key, value);
    };
    put(QStringLiteral("Path"), path);
    put(QStringLiteral("Version"), version);
}

} // namespace ProgramRegistry
