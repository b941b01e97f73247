#pragma once

#include <QString>

// The program's own registry key ("Path" and "Version"), kept with QSettings.
// Errors are ignored, as the values are informational only.
namespace ProgramRegistry {

void writeInstallInfo(const QString &path, const QString &version);

} // namespace ProgramRegistry
