#pragma once

#include <QString>

struct DataPaths;

// The help pages the windows open, and where a help target's page lies. A target is the
// executable's folder followed by a page path such as "\help.chm::/html\Vellorn.htm"
// (so two separators meet); the page is the file after "::" in the help folder.
namespace HelpPages {

inline constexpr const char *Contents = "\\help.chm::/html\\Vellorn.htm";
inline constexpr const char *Compose = "\\help.chm::/html\\Manual_compose_head.htm";
inline constexpr const char *PictureSettings = "\\help.chm::/html\\Manual_option_picset.htm";
inline constexpr const char *SmtpSettings = "\\help.chm::/html\\Manual_option_smtp.htm";
inline constexpr const char *MyInformation = "\\help.chm::/html\\Manual_option_myinfo.htm";

// The target a help entry point passes to HtmlHelp for one of the pages above.
QString target(const DataPaths &paths, const char *page);

// The file a target names: paths.help + "html/Page.htm". Empty when the target names no
// page, or a page outside the help folder.
QString pageFile(const QString &target, const DataPaths &paths);

// The contents page (the help window's Home).
QString homeFile(const DataPaths &paths);

} // namespace HelpPages
