#include "os/DesktopShell.h"

#include <QDesktopServices>

bool DesktopShell::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}
