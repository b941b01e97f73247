#pragma once

#include <QString>

// Help pages the composer opens: the executable's folder followed by these page paths.
namespace ComposerLinks {

inline constexpr const char *ComposeHelpPage = "\\help.chm::/html\\Manual_compose_head.htm";
inline constexpr const char *ContentsHelpPage = "\\help.chm::/html\\Vellorn.htm";

inline QString helpTarget(const QString &executableFolder, const char *page)
{
    return executableFolder + QLatin1String(page);
}

} // namespace ComposerLinks
