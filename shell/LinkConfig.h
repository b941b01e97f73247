#pragma once

#include "product/LinkAddresses.h"

#include <QString>
#include <QUrl>

class Shell;

// The home page and the support address: the optional section [Links] of Config.dat
// (HomePage=, SupportMail=) names them, otherwise the maker's serve. The section is only
// read, never written, so the first-run file keeps its fixed lines.
namespace LinkConfig {

LinkAddresses read(const QString &configPath);

enum class BugReportFrom { MainWindow, Composer };

QUrl homePage(const LinkAddresses &links);
// A mail to the support address; from the main window with the subject "Bug report".
QUrl bugReport(const LinkAddresses &links, BugReportFrom from);

// Opens a link through the shell. Whether a handler took it is of no concern here.
void open(Shell &shell, const QUrl &url);

} // namespace LinkConfig
