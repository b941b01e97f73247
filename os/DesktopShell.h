#pragma once

#include "os/Shell.h"

// Opens through QDesktopServices.
class DesktopShell : public Shell
{
public:
    bool openUrl(const QUrl &url) override;
};
