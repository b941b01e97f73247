#pragma once

#include <QString>

// The folder of the executable, where Config.dat, MailBox.dat and help/ live.
namespace AppPaths {

// Ends with "/". Computed from QCoreApplication::applicationDirPath() unless overridden.
QString executableFolder();
// Tests and vellorn-cli point the program at another folder.
void setExecutableFolder(const QString &folder);

QString configPath();  // executableFolder() + "Config.dat"
QString mailBoxPath(); // executableFolder() + "MailBox.dat"
QString helpFolder();  // executableFolder() + "help/"

} // namespace AppPaths
