#pragma once

#include <QUrl>

// The person's web browser, for a sign-in page.
namespace SystemBrowser {
// Opens the address with the program named in $BROWSER (its "%s" replaced by the address,
// else the address added), else with the desktop's xdg-open. False when neither starts.
bool open(const QUrl &url);
} // namespace SystemBrowser
